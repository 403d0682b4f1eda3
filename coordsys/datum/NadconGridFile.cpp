#include "coordsys/datum/NadconGridFile.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "common/ByteOrder.h"
#include "coordsys/core/CsCore.h"
#include "coordsys/datum/DatumErrors.h"

namespace {

using byteorder::Endian;

constexpr std::size_t kHeaderSize = 96;

std::string FileName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Whole seconds of arc, as the published steps are meant.
double SnapStep(double step) {
    return std::trunc(step * 3600.0 + 0.4) / 3600.0;
}

// Reads the header: 0, or the code of what is wrong with the file.
int ReadHeader(CS_usGridFile* file, double density) {
    const CGridFileInput& in = file->input;
    const std::uint64_t size = in.Size();
    std::uint8_t h[kHeaderSize];
    if (size < kHeaderSize) return kCsErrCorrupt;
    if (in.Read(0, h, sizeof h) != 0) return -1;
    const auto i32 = [&](int at) { return byteorder::Load<Endian::kLittle, std::int32_t>(h + at); };
    const auto f32 = [&](int at) { return byteorder::Load<Endian::kLittle, float>(h + at); };
    const std::int32_t columns = i32(64), rows = i32(68);
    const double minLon = f32(76), lonStep = SnapStep(f32(80));
    const double minLat = f32(84), latStep = SnapStep(f32(88));
    if (columns < 2 || rows < 2 || !std::isfinite(minLon) || !std::isfinite(minLat) ||
        !(lonStep > 0.0) || !(latStep > 0.0)) {
        return kCsErrCorrupt;
    }
    const std::uint64_t recordSize = 4 + 4 * static_cast<std::uint64_t>(columns);
    if ((static_cast<std::uint64_t>(rows) + 1) * recordSize != size) return kCsErrCorrupt;
    file->columns = columns;
    file->rows = rows;
    file->recordSize = static_cast<std::int32_t>(recordSize);
    file->minLongitude = minLon;
    file->minLatitude = minLat;
    file->lonStep = lonStep;
    file->latStep = latStep;
    file->maxLongitude = minLon + (columns - 1) * lonStep;
    file->maxLatitude = minLat + (rows - 1) * latStep;
    file->density = density != 0.0 ? density : std::min(lonStep, latStep);
    file->fileSize = size;
    return 0;
}

CS_usGridFile* Open(std::unique_ptr<CS_usGridFile> file, int bufferSize, double density) {
    file->path = file->input.Path();
    const std::string name = FileName(file->path);
    CS_strNCopy(file->name, CS_gridFileStem(file->path, 15).c_str(), sizeof file->name);
    CS_emptyGridCell(&file->cell);
    if (name.find('.') == std::string::npos) {
        file->input.Fail(kCsErrCorrupt);
        return nullptr;
    }
    file->kind = CS_usGridFileKind(file->path);
    if (!file->input.ReadOnce([&] { return ReadHeader(file.get(), density); })) return nullptr;
    const std::uint64_t record = file->recordSize;
    std::uint64_t buffer = bufferSize > 0 ? static_cast<std::uint64_t>(bufferSize) : 0;
    buffer = std::min(buffer, file->fileSize);
    file->bufferSize = buffer <= 2 * record ? 2 * record : buffer / record * record;
    return file.release();
}

int FailCell(CS_usGridFile* file, int code) {
    if (code > 0) file->input.Fail(code);
    CS_usGridFileRelease(file);
    return -1;
}

}  // namespace

int CS_usGridFileKind(const std::string& path) {
    const std::string name = FileName(path);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) return kCsUsGridOther;
    const std::string extension = name.substr(dot + 1);
    const bool hpgn = CS_strnicmp(name.c_str(), "hpgn", 4) == 0;
    if (CS_stricmp(extension.c_str(), "LAS") == 0) {
        return hpgn ? kCsUsGridHpgnLas : kCsUsGridNadconLas;
    }
    if (CS_stricmp(extension.c_str(), "LOS") == 0) {
        return hpgn ? kCsUsGridHpgnLos : kCsUsGridNadconLos;
    }
    if (extension == "94") return kCsUsGridVertcon;
    if (CS_stricmp(extension.c_str(), "geo") == 0) return kCsUsGridGeoid;
    return kCsUsGridOther;
}

CS_usGridFile* CS_usGridFileNew(const char* path, int bufferSize, double density) {
    return Open(std::make_unique<CS_usGridFile>(CGridFileInput(path)), bufferSize, density);
}

CS_usGridFile* CS_usGridFileNewBytes(const char* name, std::span<const std::uint8_t> bytes,
                                     int bufferSize, double density) {
    return Open(std::make_unique<CS_usGridFile>(CGridFileInput(name, bytes)), bufferSize, density);
}

int CS_usGridFileCell(CS_usGridFile* file, const double ll[2]) {
    // Node offsets of the point; beyond the last node is outside, and a point
    // on the east or north edge takes the last cell's edge.
    const double ox = (ll[0] - file->minLongitude + 1e-12) / file->lonStep;
    const double oy = (ll[1] - file->minLatitude + 1e-12) / file->latStep;
    constexpr double kEdge = 1e-9;  // the nudge above must not push an edge out
    if (!(ox >= 0.0 && oy >= 0.0 && ox <= file->columns - 1 + kEdge &&
          oy <= file->rows - 1 + kEdge)) {
        CS_failWith(kCsErrInternal, "CS_usGridFile:1");
        return FailCell(file, 0);
    }
    const std::int32_t c = std::min(static_cast<std::int32_t>(ox), file->columns - 2);
    const std::int32_t r = std::min(static_cast<std::int32_t>(oy), file->rows - 2);
    const std::uint64_t record = file->recordSize;
    // Row r is record r + 1.
    const std::uint64_t first = (static_cast<std::uint64_t>(r) + 1) * record;
    if (!file->window.Holds(first, 2 * record)) {
        if (file->input.Open() != 0) return FailCell(file, 0);
        const std::uint64_t records = file->fileSize / record;
        const std::uint64_t held = file->bufferSize / record;
        const std::uint64_t wanted = static_cast<std::uint64_t>(r) + 1;
        const std::uint64_t low =
            std::min(wanted - std::min(wanted, (held - 2) / 2), records - held);
        if (file->window.Load(file->input, low * record, static_cast<std::size_t>(held * record)) !=
            0) {
            return FailCell(file, 0);
        }
        if (held == records) file->input.Close();
    }
    const auto value = [&](std::uint64_t row, std::int32_t column) {
        const std::uint64_t at = first + row * record + 4 + 4 * static_cast<std::uint64_t>(column);
        return static_cast<double>(byteorder::Load<Endian::kLittle, float>(file->window.At(at)));
    };
    const double p00 = value(0, c), p10 = value(0, c + 1);
    const double p01 = value(1, c), p11 = value(1, c + 1);
    for (double v : {p00, p10, p01, p11}) {
        if (!std::isfinite(v)) return FailCell(file, kCsErrCorrupt);
    }
    CsGridFileCell& cell = file->cell;
    cell.minX = file->minLongitude + c * file->lonStep;
    cell.minY = file->minLatitude + r * file->latStep;
    cell.maxX = cell.minX + file->lonStep;
    cell.maxY = cell.minY + file->latStep;
    cell.density = file->density;
    cell.width = file->lonStep;
    cell.height = file->latStep;
    cell.coefficients[0] = p00;
    cell.coefficients[1] = p10 - p00;
    cell.coefficients[2] = p01 - p00;
    cell.coefficients[3] = p11 - p10 - p01 + p00;
    CS_strNCopy(cell.source, file->name, sizeof cell.source);
    return 0;
}

double CS_usGridFileCoverage(const CS_usGridFile* file, const double ll[2]) {
    const bool inside = file->minLongitude <= ll[0] && ll[0] < file->maxLongitude &&
                        file->minLatitude <= ll[1] && ll[1] < file->maxLatitude;
    return inside ? file->density : 0.0;
}

int CS_usGridFileValue(CS_usGridFile* file, double* value, const double ll[2]) {
    const CsGridFileCell& cell = file->cell;
    const bool current = cell.density != 0.0 && cell.minX <= ll[0] && ll[0] < cell.maxX &&
                         cell.minY <= ll[1] && ll[1] < cell.maxY;
    if (!current) {
        if (const int status = CS_usGridFileCell(file, ll); status != 0) {
            *value = 0.0;
            return status;
        }
    }
    *value = CS_gridCellValue(cell, ll[0], ll[1]);
    return 0;
}

void CS_usGridFileRelease(CS_usGridFile* file) {
    file->window.Clear();
    CS_emptyGridCell(&file->cell);
    file->input.Close();
}

void CS_usGridFileFree(CS_usGridFile* file) {
    delete file;
}
