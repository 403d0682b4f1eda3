#include "coordsys/datum/Ntv1GridFile.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "common/ByteOrder.h"
#include "coordsys/core/CsCore.h"
#include "coordsys/datum/DatumErrors.h"

namespace {

using byteorder::Endian;

constexpr int kHeaderRecords = 12;
constexpr std::uint64_t kHeaderSize = kHeaderRecords * 16;
constexpr std::size_t kNodeSize = 16;

double F64(const std::uint8_t* p, bool bigEndian) {
    return bigEndian ? byteorder::Load<Endian::kBig, double>(p)
                     : byteorder::Load<Endian::kLittle, double>(p);
}

// Reads the header: 0, or the code of what is wrong with the file.
int ReadHeader(CsNtv1File* file, double density) {
    const CGridFileInput& in = file->input;
    const std::uint64_t size = in.Size();
    std::uint8_t h[kHeaderSize];
    if (size < kHeaderSize) return kCsErrCorrupt;
    if (in.Read(0, h, sizeof h) != 0) return -1;
    // The record count, 12: an i16 in this system's files, an i32 in the
    // published big-endian ones.
    if (byteorder::Load<Endian::kLittle, std::int16_t>(h + 8) == kHeaderRecords) {
        file->bigEndian = false;
    } else if (byteorder::Load<Endian::kBig, std::int32_t>(h + 8) == kHeaderRecords) {
        file->bigEndian = true;
    } else {
        return kCsErrCorrupt;
    }
    const bool big = file->bigEndian;
    file->headerRecords = kHeaderRecords;
    const double south = F64(h + 24, big), north = F64(h + 40, big);
    const double east = F64(h + 56, big), west = F64(h + 72, big);
    const double latStep = F64(h + 88, big), lonStep = F64(h + 104, big);
    for (double v : {south, north, east, west, latStep, lonStep}) {
        if (!std::isfinite(v)) return kCsErrCorrupt;
    }
    if (!(latStep > 0.0 && lonStep > 0.0 && east < west && south < north)) return kCsErrCorrupt;
    // Both counts are bounded by the nodes the file can hold.
    const double maxNodes = static_cast<double>((size - kHeaderSize) / kNodeSize);
    const double columns = std::trunc((west - east) / lonStep + 4.85e-8) + 1.0;
    const double rows = std::trunc((north - south) / latStep + 4.85e-8) + 1.0;
    if (columns < 2 || rows < 2 || columns > maxNodes || rows > maxNodes ||
        columns * rows != maxNodes || (size - kHeaderSize) % kNodeSize != 0) {
        return kCsErrCorrupt;
    }
    file->minX = east;
    file->minY = south;
    file->maxX = west;
    file->maxY = north;
    file->lonStep = lonStep;
    file->latStep = latStep;
    file->columns = static_cast<std::int32_t>(columns);
    file->rows = static_cast<std::int32_t>(rows);
    file->rowSize = file->columns * static_cast<std::int32_t>(kNodeSize);
    file->density = density != 0.0 ? density : std::min(lonStep, latStep) + 1.0 / 3600.0;
    file->fileSize = size;
    return 0;
}

CsNtv1File* Open(std::unique_ptr<CsNtv1File> file, int bufferSize, double density) {
    file->path = file->input.Path();
    CS_strNCopy(file->name, CS_gridFileStem(file->path, 15).c_str(), sizeof file->name);
    CS_emptyGridCell(&file->longitudeCell);
    CS_emptyGridCell(&file->latitudeCell);
    if (!file->input.ReadOnce([&] { return ReadHeader(file.get(), density); })) return nullptr;
    // A buffer that would hold all the nodes holds the whole file; any other
    // is whole rows, at least two.
    const std::uint64_t rowSize = file->rowSize;
    const std::uint64_t asked = bufferSize > 0 ? static_cast<std::uint64_t>(bufferSize) : 0;
    file->bufferSize = asked >= file->fileSize - kHeaderSize
                           ? file->fileSize
                           : std::max(asked / rowSize, std::uint64_t{2}) * rowSize;
    return file.release();
}

int Fail(CsNtv1File* file, int code) {
    if (code > 0) file->input.Fail(code);
    CS_ntv1Release(file);
    return -1;
}

// Loads the cell of the point (X west-positive): 0, or -1 reported.
int LoadCell(CsNtv1File* file, double x, double y) {
    file->cellLoaded = false;
    if (!(file->minX <= x && x < file->maxX && file->minY <= y && y < file->maxY)) {
        CS_failWith(kCsErrInternal, "CS_caV1GridFile:1");
        return Fail(file, 0);
    }
    // Rounding may put a point of the last cell one step further.
    const auto c =
        std::min(static_cast<std::int32_t>((x - file->minX) / file->lonStep), file->columns - 2);
    const auto r =
        std::min(static_cast<std::int32_t>((y - file->minY) / file->latStep), file->rows - 2);
    const std::uint64_t rowSize = file->rowSize;
    const std::uint64_t first = kHeaderSize + r * rowSize;
    if (!file->window.Holds(first, 2 * rowSize)) {
        if (file->input.Open() != 0) return Fail(file, 0);
        std::uint64_t start = 0, end = file->fileSize;
        if (file->bufferSize < file->fileSize) {
            // The window's rows around the cell's two, inside the grid.
            const std::int64_t rows = static_cast<std::int64_t>(file->bufferSize / rowSize);
            std::int64_t low = std::max<std::int64_t>(0, r - (rows - 2) / 2);
            const std::int64_t high = std::min<std::int64_t>(file->rows, low + rows);
            low = std::max<std::int64_t>(0, high - rows);
            start = kHeaderSize + low * rowSize;
            end = kHeaderSize + high * rowSize;
        }
        if (file->window.Load(file->input, start, static_cast<std::size_t>(end - start)) != 0) {
            return Fail(file, 0);
        }
        if (end - start == file->fileSize) file->input.Close();
    }
    double lat[4], lon[4];
    const std::uint64_t offsets[4] = {first + c * kNodeSize, first + (c + 1) * kNodeSize,
                                      first + rowSize + c * kNodeSize,
                                      first + rowSize + (c + 1) * kNodeSize};
    for (int i = 0; i < 4; ++i) {
        const std::uint8_t* node = file->window.At(offsets[i]);
        lat[i] = F64(node, file->bigEndian);
        lon[i] = F64(node + 8, file->bigEndian);
        if (!std::isfinite(lat[i]) || !std::isfinite(lon[i])) return Fail(file, kCsErrCorrupt);
    }
    auto fill = [&](CsGridFileCell* cell, const double v[4]) {
        cell->minX = file->minX + c * file->lonStep;
        cell->minY = file->minY + r * file->latStep;
        cell->maxX = cell->minX + file->lonStep;
        cell->maxY = cell->minY + file->latStep;
        cell->density = file->density;
        cell->width = file->lonStep;
        cell->height = file->latStep;
        cell->coefficients[0] = v[0];
        cell->coefficients[1] = v[1] - v[0];
        cell->coefficients[2] = v[2] - v[0];
        cell->coefficients[3] = v[3] - v[1] - v[2] + v[0];
        CS_strNCopy(cell->source, file->name, sizeof cell->source);
    };
    fill(&file->longitudeCell, lon);
    fill(&file->latitudeCell, lat);
    file->cellLoaded = true;
    return 0;
}

}  // namespace

CsNtv1File* CS_ntv1Open(const char* path, int bufferSize, unsigned /*secondNumber*/,
                        double density) {
    return Open(std::make_unique<CsNtv1File>(CGridFileInput(path)), bufferSize, density);
}

CsNtv1File* CS_ntv1OpenBytes(const char* name, std::span<const std::uint8_t> bytes, int bufferSize,
                             double density) {
    return Open(std::make_unique<CsNtv1File>(CGridFileInput(name, bytes)), bufferSize, density);
}

void CS_ntv1Free(CsNtv1File* file) {
    delete file;
}

void CS_ntv1Release(CsNtv1File* file) {
    file->window.Clear();
    CS_emptyGridCell(&file->longitudeCell);
    CS_emptyGridCell(&file->latitudeCell);
    file->cellLoaded = false;
    file->input.Close();
}

double CS_ntv1Coverage(const CsNtv1File* file, const double ll[2]) {
    const double x = -ll[0], y = ll[1];
    const bool inside = file->minX <= x && x < file->maxX && file->minY <= y && y < file->maxY;
    return inside ? file->density : 0.0;
}

int CS_ntv1Shift(CsNtv1File* file, double shift[2], const double ll[2]) {
    const double x = -ll[0], y = ll[1];
    const CsGridFileCell& cell = file->longitudeCell;
    const bool current =
        cell.density != 0.0 && cell.minX <= x && x < cell.maxX && cell.minY <= y && y < cell.maxY;
    if (!current && LoadCell(file, x, y) != 0) {
        shift[0] = shift[1] = 0.0;
        return -1;
    }
    shift[0] = CS_gridCellValue(file->longitudeCell, x, y);
    shift[1] = CS_gridCellValue(file->latitudeCell, x, y);
    return 0;
}
