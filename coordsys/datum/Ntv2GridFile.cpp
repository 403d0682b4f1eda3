#include "coordsys/datum/Ntv2GridFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "common/ByteOrder.h"
#include "coordsys/core/CsCore.h"
#include "coordsys/datum/DatumErrors.h"

namespace {

using byteorder::Endian;

constexpr std::size_t kHeader16 = 176;  // overview header, 16-byte records
constexpr std::size_t kSubHeader16 = 176;

// The two header layouts: where the second record begins, the sizes of the
// overview and sub-file headers, and where the three counts are.
struct Layout {
    int id;
    std::size_t secondRecord;
    std::size_t header, subHeader;
    std::size_t counts[3];
};
constexpr Layout kLayouts[] = {
    {1, 16, kHeader16, kSubHeader16, {8, 24, 40}},
    {2, 12, 164, 172, {8, 20, 32}},  // 12-byte integer records
};
constexpr std::size_t kNodeSize = 16;
constexpr std::uint64_t kMaxSubGrids = kCsNtv2NoGrid;  // indexes fit 16 bits, 0xFFFF is none

// Points inside these rectangles (east-positive degrees, edges inclusive)
// never let their cells be cached.
constexpr double kUncachedRectangles[][4] = {
    {-135.33333334, 60.5, -134.75, 61.0},
    {-132.83333333, 61.75, -132.16666667, 62.33333334},
};

std::int32_t I32(const std::uint8_t* p) {
    return byteorder::Load<Endian::kLittle, std::int32_t>(p);
}
double F64(const std::uint8_t* p) {
    return byteorder::Load<Endian::kLittle, double>(p);
}
float F32(const std::uint8_t* p) {
    return byteorder::Load<Endian::kLittle, float>(p);
}

bool NameIs(const std::uint8_t* p, const char* name) {
    return std::memcmp(p, name, 8) == 0;
}

void CopyName(char out[9], const std::uint8_t* p) {
    std::memcpy(out, p, 8);
    out[8] = '\0';
}

bool Contains(const CsNtv2SubGrid& g, double x, double y) {
    return g.minX <= x && x <= g.maxX && g.southEdge <= y && y <= g.northEdge;
}

// Fills one sub-grid from its header bytes: false when its values cannot
// describe a grid of its node count.
bool ReadSubGrid(const std::uint8_t* h, std::uint64_t nodeOffset, bool sixteen, double density,
                 CsNtv2SubGrid* g) {
    if (!NameIs(h, "SUB_NAME")) return false;
    CopyName(g->name, h + 8);
    CopyName(g->parentName, h + 24);
    const double south = F64(h + 72) / 3600.0, north = F64(h + 88) / 3600.0;
    const double east = F64(h + 104) / 3600.0, west = F64(h + 120) / 3600.0;
    const double latStep = F64(h + 136) / 3600.0, lonStep = F64(h + 152) / 3600.0;
    const std::int32_t count = I32(h + 168);
    for (double v : {south, north, east, west, latStep, lonStep}) {
        if (!std::isfinite(v)) return false;
    }
    if (!(latStep > 0.0 && lonStep > 0.0 && south <= north && east <= west) || count < 0) {
        return false;
    }
    const double rows = std::trunc((north - south) / latStep + 1.01);
    const double columns = std::trunc((west - east) / lonStep + 1.01);
    // The node count bounds both (it was checked against the file's size).
    if (rows > count || columns > count || rows * columns != static_cast<double>(count)) {
        return false;
    }
    g->westEdge = -west;
    g->southEdge = south;
    g->eastEdge = -east;
    g->northEdge = north;
    g->minX = east;
    g->minY = south;
    g->maxX = west;
    g->maxY = north;
    g->lonStep = lonStep;
    g->latStep = latStep;
    g->density = density != 0.0 ? density : std::min(lonStep, latStep);
    g->nodeOffset = nodeOffset;
    g->nodeCount = count;
    g->parent = kCsNtv2NoGrid;
    g->firstChild = kCsNtv2NoGrid;
    g->rows = static_cast<std::int32_t>(rows);
    g->columns = static_cast<std::int32_t>(columns);
    g->rowSize = g->columns * static_cast<std::int32_t>(kNodeSize);
    g->sixteenByteLayout = sixteen;
    return true;
}

// Links every sub-grid to its parent; false when a parent is missing or the
// links run in a circle (such a sub-grid could never be reached).
bool LinkParents(std::vector<CsNtv2SubGrid>& grids) {
    for (std::size_t i = 0; i < grids.size(); ++i) {
        if (CS_strnicmp(grids[i].parentName, "NONE    ", 8) == 0) continue;
        auto parent = std::find_if(grids.begin(), grids.end(), [&](const CsNtv2SubGrid& g) {
            return std::memcmp(g.name, grids[i].parentName, 8) == 0;
        });
        if (parent == grids.end()) return false;
        const auto index = static_cast<std::uint16_t>(parent - grids.begin());
        grids[i].parent = index;
        if (grids[index].firstChild == kCsNtv2NoGrid) {
            grids[index].firstChild = static_cast<std::uint16_t>(i);
        }
    }
    for (std::size_t i = 0; i < grids.size(); ++i) {
        std::uint16_t up = grids[i].parent;
        for (std::size_t steps = 0; up != kCsNtv2NoGrid; up = grids[up].parent) {
            if (++steps > grids.size()) return false;
        }
    }
    return true;
}

// Indexes the file: 0, or the code of what is wrong with it.
int Index(CsNtv2File* file, double density) {
    const CGridFileInput& in = file->input;
    const std::uint64_t size = in.Size();
    std::uint8_t header[kHeader16];
    if (size < kHeader16) return kCsErrCorrupt;
    if (in.Read(0, header, sizeof header) != 0) return -1;
    if (!NameIs(header, "NUM_OREC")) return kCsErrCorrupt;
    // The layout whose second record's name starts where it says.
    const Layout* layout = std::find_if(std::begin(kLayouts), std::end(kLayouts), [&](auto& l) {
        return header[l.secondRecord] == 'N' && header[l.secondRecord + 1] == 'U';
    });
    if (layout == std::end(kLayouts)) return kCsErrCorrupt;
    file->layout = layout->id;
    const std::size_t headerSize = layout->header, subHeaderSize = layout->subHeader;
    file->overviewRecords = I32(header + layout->counts[0]);
    file->subFileRecords = I32(header + layout->counts[1]);
    file->subFileCount = I32(header + layout->counts[2]);
    // The headers' sizes are fixed by these counts; every sub-file needs at
    // least its header.
    const std::int64_t count = file->subFileCount;
    if (file->overviewRecords != 11 || file->subFileRecords != 11 || count < 1 ||
        static_cast<std::uint64_t>(count) >= kMaxSubGrids ||
        static_cast<std::uint64_t>(count) * subHeaderSize > size - headerSize) {
        return kCsErrCorrupt;
    }

    file->subGrids.resize(static_cast<std::size_t>(count));
    std::uint64_t position = headerSize;
    std::uint8_t sub[kSubHeader16] = {};
    for (CsNtv2SubGrid& g : file->subGrids) {
        if (subHeaderSize > size - position) return kCsErrCorrupt;
        if (in.Read(position, sub, subHeaderSize) != 0) return -1;
        const std::uint64_t nodes = position + subHeaderSize;
        const std::int32_t nodeCount = I32(sub + 168);
        if (nodeCount < 0 || static_cast<std::uint64_t>(nodeCount) * kNodeSize > size - nodes) {
            return kCsErrCorrupt;
        }
        if (!ReadSubGrid(sub, nodes, file->layout == 1, density, &g)) return kCsErrCorrupt;
        position = nodes + static_cast<std::uint64_t>(nodeCount) * kNodeSize;
    }
    return LinkParents(file->subGrids) ? 0 : kCsErrCorrupt;
}

// The latitude and longitude shifts of `count` nodes from `p`: false when one
// is not a number.
bool NodeShifts(const std::uint8_t* p, int count, float lat[2], float lon[2]) {
    for (int i = 0; i < count; ++i, p += kNodeSize) {
        lat[i] = F32(p);
        lon[i] = F32(p + 4);
        if (!std::isfinite(lat[i]) || !std::isfinite(lon[i])) return false;
    }
    return true;
}

void SetCoefficients(CsGridFileCell* cell, double v00, double v10, double v01, double v11) {
    cell->coefficients[0] = v00;
    cell->coefficients[1] = v10 - v00;
    cell->coefficients[2] = v01 - v00;
    cell->coefficients[3] = v11 - v10 - v01 + v00;
}

CsNtv2File* Open(std::unique_ptr<CsNtv2File> file, int kind, int bufferSize, double density) {
    file->kind = kind;
    file->bufferSize = std::max(bufferSize < 1 ? kCsNtv2DefaultBuffer : bufferSize, 4096);
    file->blocks.SetCapacity(static_cast<std::size_t>(file->bufferSize));
    file->path = file->input.Path();
    CS_strNCopy(file->name, CS_gridFileStem(file->path, 15).c_str(), sizeof file->name);
    CS_emptyGridCell(&file->longitudeCell);
    CS_emptyGridCell(&file->latitudeCell);
    return file->input.ReadOnce([&] { return Index(file.get(), density); }) ? file.release()
                                                                            : nullptr;
}

}  // namespace

CsNtv2File* CS_ntv2Open(int kind, const char* path, int bufferSize, double density) {
    return Open(std::make_unique<CsNtv2File>(CGridFileInput(path)), kind, bufferSize, density);
}

CsNtv2File* CS_ntv2OpenBytes(int kind, const char* name, std::span<const std::uint8_t> bytes,
                             int bufferSize, double density) {
    return Open(std::make_unique<CsNtv2File>(CGridFileInput(name, bytes)), kind, bufferSize,
                density);
}

void CS_ntv2Close(CsNtv2File* file) {
    delete file;
}

void CS_ntv2Release(CsNtv2File* file) {
    file->input.Close();
    file->blocks.Clear();
}

std::uint16_t CS_ntv2FindSubGrid(const CsNtv2File* file, const double ll[2]) {
    const double x = -ll[0], y = ll[1];
    const auto& grids = file->subGrids;
    std::uint16_t parent = kCsNtv2NoGrid, found = kCsNtv2NoGrid;
    for (std::size_t i = 0; i < grids.size();) {
        const CsNtv2SubGrid& g = grids[i];
        if (g.parent == parent && Contains(g, x, y)) {
            found = static_cast<std::uint16_t>(i);
            if (g.firstChild == kCsNtv2NoGrid) break;
            parent = found;
            i = g.firstChild;
            continue;
        }
        ++i;
    }
    return found;
}

double CS_ntv2Coverage(const CsNtv2File* file, const double ll[2]) {
    const std::uint16_t index = CS_ntv2FindSubGrid(file, ll);
    return index == kCsNtv2NoGrid ? 0.0 : file->subGrids[index].density;
}

int CS_ntv2Shift(CsNtv2File* file, double shift[2], const double ll[2]) {
    file->cellMayBeCached = false;
    shift[0] = shift[1] = 0.0;
    CS_setErrorContext(file->path.c_str());
    const std::uint16_t index = CS_ntv2FindSubGrid(file, ll);
    if (index == kCsNtv2NoGrid) {
        CS_setErrorContext("");
        return 1;
    }
    if (file->input.Open() != 0) return -1;
    const CsNtv2SubGrid& g = file->subGrids[index];
    const double x = -ll[0], y = ll[1];
    // A sub-grid one node wide or high is all edge.
    const bool north = std::fabs(y - g.northEdge) <= 1e-12 || g.rows == 1;
    const bool west = std::fabs(x - g.maxX) <= 1e-12 || g.columns == 1;
    // On an edge the edge's own nodes; elsewhere a cell whose far nodes lie
    // inside the grid, whatever the rounding of the division.
    auto index1d = [](double offset, double step, std::int32_t count, bool edge) {
        if (edge) return count - 1;
        const double cell = std::trunc(offset / step + 1e-12);
        return static_cast<std::int32_t>(std::clamp(cell, 0.0, std::max(0.0, count - 2.0)));
    };
    const std::int32_t c = index1d(x - g.minX, g.lonStep, g.columns, west);
    const std::int32_t r = index1d(y - g.southEdge, g.latStep, g.rows, north);
    const int across = west ? 1 : 2;
    const std::uint64_t row0 = g.nodeOffset + static_cast<std::uint64_t>(r) * g.rowSize +
                               static_cast<std::uint64_t>(c) * kNodeSize;
    float lat[4] = {}, lon[4] = {};
    const std::uint8_t* nodes = file->blocks.Get(file->input, row0, across * kNodeSize);
    if (nodes == nullptr) return -1;
    if (!NodeShifts(nodes, across, lat, lon)) return file->input.Fail(kCsErrCorrupt);
    if (!north) {
        nodes = file->blocks.Get(file->input, row0 + g.rowSize, across * kNodeSize);
        if (nodes == nullptr) return -1;
        if (!NodeShifts(nodes, across, lat + 2, lon + 2)) return file->input.Fail(kCsErrCorrupt);
    }
    // Nodes missing on an edge repeat the ones read, so their differences are 0.
    if (west) {
        lat[1] = lat[0], lon[1] = lon[0];
        lat[3] = lat[2], lon[3] = lon[2];
    }
    if (north) {
        lat[2] = lat[0], lon[2] = lon[0];
        lat[3] = lat[1], lon[3] = lon[1];
    }

    for (CsGridFileCell* cell : {&file->longitudeCell, &file->latitudeCell}) {
        cell->minX = g.minX + c * g.lonStep;
        cell->minY = g.southEdge + r * g.latStep;
        cell->maxX = cell->minX + g.lonStep;
        cell->maxY = cell->minY + g.latStep;
        cell->density = g.density;
        cell->width = g.lonStep;
        cell->height = g.latStep;
        CS_strNCopy(cell->source, file->name, sizeof cell->source);
    }
    SetCoefficients(&file->longitudeCell, lon[0], lon[1], lon[2], lon[3]);
    SetCoefficients(&file->latitudeCell, lat[0], lat[1], lat[2], lat[3]);

    bool cacheable = g.sixteenByteLayout;
    for (const auto& box : kUncachedRectangles) {
        if (box[0] <= ll[0] && ll[0] <= box[2] && box[1] <= ll[1] && ll[1] <= box[3]) {
            cacheable = false;
        }
    }
    file->cellMayBeCached = cacheable;
    shift[0] = CS_gridCellValue(file->longitudeCell, x, y);
    shift[1] = CS_gridCellValue(file->latitudeCell, x, y);
    CS_setErrorContext("");
    return 0;
}
