#include "coordsys/JapanGrid.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>

#include "common/ByteOrder.h"
#include "coordsys/core/CsCore.h"
#include "coordsys/datum/DatumErrors.h"
#include "coordsys/datum/GridFileInput.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kRecordSize = 12;

bool ReadAll(const std::string& path, std::string* bytes) {
    auto source = CS_openGridSource(path);
    if (!source) return false;
    bytes->assign(static_cast<std::size_t>(source->Size()), '\0');
    return bytes->empty() ||
           source->ReadAt(0, reinterpret_cast<std::uint8_t*>(bytes->data()), bytes->size());
}

void ParseText(const std::string& text, std::vector<CsJapanRecord>* records) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, std::min<std::size_t>(end - start, 127));
        start = end + 1;
        char* rest = nullptr;
        const unsigned long mesh = std::strtoul(line.c_str(), &rest, 10);
        if (mesh == 0 || mesh > 0xFFFFFFFFul) continue;
        char* rest2 = nullptr;
        const double lat = std::strtod(rest, &rest2);
        const double lon = std::strtod(rest2, nullptr);
        // Shifts are seconds, stored in units of 1e-5: a line whose values are
        // not numbers of that range is no record.
        const double latUnits = std::trunc(lat * 100000.0), lonUnits = std::trunc(lon * 100000.0);
        if (!(std::fabs(latUnits) < 2e9 && std::fabs(lonUnits) < 2e9)) continue;
        records->push_back({static_cast<std::uint32_t>(mesh), static_cast<std::int32_t>(latUnits),
                            static_cast<std::int32_t>(lonUnits)});
    }
    std::stable_sort(
        records->begin(), records->end(),
        [](const CsJapanRecord& a, const CsJapanRecord& b) { return a.mesh < b.mesh; });
}

bool ParseBinary(const std::string& bytes, std::vector<CsJapanRecord>* records) {
    if (bytes.size() % kRecordSize != 0) return false;
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    for (std::size_t at = 0; at < bytes.size(); at += kRecordSize) {
        records->push_back({byteorder::LoadU32Le(p + at), byteorder::LoadI32Le(p + at + 4),
                            byteorder::LoadI32Le(p + at + 8)});
    }
    return std::is_sorted(
        records->begin(), records->end(),
        [](const CsJapanRecord& a, const CsJapanRecord& b) { return a.mesh < b.mesh; });
}

// A cache that cannot be written (a read-only directory) leaves the records in
// memory only; a temporary file renamed into place never leaves half a cache.
void WriteBinary(const std::string& path, const std::vector<CsJapanRecord>& records) {
    std::vector<std::uint8_t> bytes(records.size() * kRecordSize);
    for (std::size_t i = 0; i < records.size(); ++i) {
        std::uint8_t* p = bytes.data() + i * kRecordSize;
        byteorder::StoreU32Le(records[i].mesh, p);
        byteorder::StoreI32Le(records[i].latShift, p + 4);
        byteorder::StoreI32Le(records[i].lonShift, p + 8);
    }
    const std::string temporary = path + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) return;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    std::error_code error;
    if (written && closed) fs::rename(temporary, path, error);
    if (!written || !closed || error) fs::remove(temporary, error);
}

const CsJapanRecord* Find(const CsJapanGrid* grid, std::uint32_t mesh) {
    auto it = std::lower_bound(grid->records.begin(), grid->records.end(), mesh,
                               [](const CsJapanRecord& r, std::uint32_t m) { return r.mesh < m; });
    return it != grid->records.end() && it->mesh == mesh ? &*it : nullptr;
}

bool Inside(const CsGridFileCell& cell, const double ll[2]) {
    return ll[0] >= cell.minX && ll[0] < cell.maxX && ll[1] >= cell.minY && ll[1] < cell.maxY;
}

bool InRange(const double ll[2]) {
    return ll[0] >= 120.0 && ll[0] <= 160.0 && ll[1] >= 20.0 && ll[1] <= 60.0;
}

}  // namespace

std::string CS_japanBinaryPath(const std::string& textPath) {
    const std::size_t slash = textPath.find_last_of('/');
    const std::size_t dot = textPath.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return textPath + "._jg";
    }
    return textPath.substr(0, dot + 1) + "_jg";
}

std::uint32_t CS_japanMeshCode(const double ll[2]) {
    if (!InRange(ll)) {
        CS_failWith(kCsErrInternal, "CS_jpnMeshCode:1");
        return 0;
    }
    const auto seconds = [](double degrees) {
        return static_cast<std::uint32_t>((degrees + 1e-12) * 3600.0);
    };
    const std::uint32_t b = seconds(ll[1]);
    const std::uint32_t m = seconds(ll[0] - 100.0) / 45;
    return ((b / 2400) % 100) * 1000000 + ((m / 80) % 100) * 10000 + ((b / 300) % 8) * 1000 +
           ((m / 10) % 8) * 100 + ((b / 30) % 10) * 10 + m % 10;
}

void CS_japanMeshCorner(double ll[2], std::uint32_t c) {
    ll[0] = 100.0 + 45.0 * (c % 10 + 10 * ((c / 100) % 10 + 8 * ((c / 10000) % 100))) / 3600.0;
    ll[1] = 30.0 * ((c / 10) % 10 + 10 * ((c / 1000) % 10 + 8 * ((c / 1000000) % 100))) / 3600.0;
}

CsJapanGrid* CS_japanGridNew(const char* path, int, unsigned, double) {
    auto* grid = new (std::nothrow) CsJapanGrid{};
    if (!grid) {
        CS_reportError(kCsErrNoMemory);
        return nullptr;
    }
    std::snprintf(grid->path, sizeof grid->path, "%s", path);
    const std::string stem = fs::path(path).stem().string();
    std::snprintf(grid->name, sizeof grid->name, "%s", stem.c_str());
    grid->latCellSize = 1.0 / 120.0;
    grid->lonCellSize = 0.0125;
    CS_emptyGridCell(&grid->longitudeCell);
    CS_emptyGridCell(&grid->latitudeCell);
    const std::string binary = CS_japanBinaryPath(path);
    std::error_code error;
    const auto textTime = fs::last_write_time(path, error);
    bool textKnown = !error;
    const auto binaryTime = fs::last_write_time(binary, error);
    std::string bytes;
    if (textKnown && !error && binaryTime > textTime && ReadAll(binary, &bytes) &&
        ParseBinary(bytes, &grid->records)) {
        return grid;
    }
    grid->records.clear();
    if (!ReadAll(path, &bytes)) {
        CS_setErrorContext(path);
        CS_reportError(kCsErrShiftFileOpen);
        delete grid;
        return nullptr;
    }
    ParseText(bytes, &grid->records);
    WriteBinary(binary, grid->records);
    return grid;
}

void CS_japanGridFree(CsJapanGrid* grid) {
    delete grid;
}

int CS_japanGridShift(CsJapanGrid* grid, double out[2], const double in[2], CSgridCellCache*) {
    out[0] = in[0];
    out[1] = in[1];
    if (!Inside(grid->longitudeCell, in)) {
        if (!InRange(in)) return 1;
        const std::uint32_t code = CS_japanMeshCode(in);
        double sw[2];
        CS_japanMeshCorner(sw, code);
        const double dLon = 45.0 / 3600.0, dLat = 30.0 / 3600.0;
        const double corners[4][2] = {{sw[0], sw[1]},
                                      {sw[0] + dLon, sw[1]},
                                      {sw[0] + dLon, sw[1] + dLat},
                                      {sw[0], sw[1] + dLat}};
        const CsJapanRecord* r[4];
        for (int i = 0; i < 4; ++i) {
            // Corners beyond the valid range have no mesh: not covered.
            if (!InRange(corners[i])) return 1;
            // A corner on a mesh line: nudge inwards so that its own mesh is found.
            const double probe[2] = {corners[i][0] + 1e-9, corners[i][1] + 1e-9};
            r[i] = Find(grid, CS_japanMeshCode(probe));
            if (!r[i]) return 1;
        }
        auto fill = [&](CsGridFileCell& cell, std::int32_t CsJapanRecord::*field) {
            const double s = r[0]->*field * 1e-5, e = r[1]->*field * 1e-5;
            const double ne = r[2]->*field * 1e-5, n = r[3]->*field * 1e-5;
            cell.minX = sw[0];
            cell.minY = sw[1];
            cell.maxX = sw[0] + dLon;
            cell.maxY = sw[1] + dLat;
            cell.width = dLon;
            cell.height = dLat;
            cell.density = grid->latCellSize;
            cell.coefficients[0] = s;
            cell.coefficients[1] = e - s;
            cell.coefficients[2] = n - s;
            cell.coefficients[3] = ne - n - e + s;
            std::snprintf(cell.source, sizeof cell.source, "%s", grid->name);
        };
        fill(grid->longitudeCell, &CsJapanRecord::lonShift);
        fill(grid->latitudeCell, &CsJapanRecord::latShift);
    }
    out[0] = in[0] + CS_gridCellValue(grid->longitudeCell, in[0], in[1]) / 3600.0;
    out[1] = in[1] + CS_gridCellValue(grid->latitudeCell, in[0], in[1]) / 3600.0;
    return 0;
}
