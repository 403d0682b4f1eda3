#include "coordsys/FrenchGrid.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "coordsys/CsParams.h"
#include "coordsys/core/CsRecords.h"
#include "coordsys/datum/DatumErrors.h"
#include "coordsys/datum/DatumMethods.h"
#include "coordsys/datum/GridFileInput.h"

namespace {

constexpr double kMeanShift[3] = {-168.0, -60.0, 320.0};

CsFrenchGrid* g_grid = nullptr;
int g_useCount = 0;

CsFrenchGrid* Corrupt(CsFrenchGrid* grid, const char* path) {
    CS_setErrorContext(path);
    CS_reportError(kCsErrCorrupt);
    delete grid;
    return nullptr;
}

}  // namespace

void CS_collapseBlanks(char* line) {
    char* out = line;
    bool blank = true;  // drops leading blanks
    for (const char* in = line; *in; ++in) {
        const bool isBlank = std::isspace(static_cast<unsigned char>(*in)) != 0;
        if (isBlank && blank) continue;
        *out++ = isBlank ? ' ' : *in;
        blank = isBlank;
    }
    if (out > line && out[-1] == ' ') --out;
    *out = '\0';
}

int CS_splitFields(char* line, const char* fields[], int max) {
    CS_collapseBlanks(line);
    int count = 0;
    char* p = line;
    while (*p && count < max) {
        fields[count++] = p;
        char* blank = std::strchr(p, ' ');
        if (!blank) break;
        *blank = '\0';
        p = blank + 1;
    }
    return count;
}

CsFrenchGrid* CS_frenchGridNew(const char* path) {
    auto source = CS_openGridSource(path);
    if (!source) {
        CS_setErrorContext(path);
        CS_reportError(kCsErrShiftFileOpen);
        return nullptr;
    }
    std::string text(static_cast<std::size_t>(source->Size()), '\0');
    if (!text.empty() &&
        !source->ReadAt(0, reinterpret_cast<std::uint8_t*>(text.data()), text.size())) {
        CS_reportError(kCsErrIo);
        return nullptr;
    }
    if (text.empty()) {
        CS_reportError(kCsErrIo);
        return nullptr;
    }
    auto* grid = new (std::nothrow) CsFrenchGrid{};
    if (!grid) {
        CS_reportError(kCsErrNoMemory);
        return nullptr;
    }
    std::strncpy(grid->path, path, sizeof grid->path - 1);
    int stage = 0;  // 0 the first line, 1 the header, 2 the nodes
    bool haveExtent = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, std::min<std::size_t>(end - start, 255));
        start = end + 1;
        const char* f[20];
        const int n = CS_splitFields(line.data(), f, 20);
        if (stage == 0) {
            if (n < 1 || CS_stricmp(f[0], "GR3D") != 0) return Corrupt(grid, path);
            stage = 1;
            continue;
        }
        if (stage == 1) {
            if (n == 7 && CS_stricmp(f[0], "GR3D1") == 0) {
                grid->minLongitude = std::strtod(f[1], nullptr);
                grid->maxLongitude = std::strtod(f[2], nullptr);
                grid->minLatitude = std::strtod(f[3], nullptr);
                grid->maxLatitude = std::strtod(f[4], nullptr);
                grid->lonStep = std::strtod(f[5], nullptr);
                grid->latStep = std::strtod(f[6], nullptr);
                haveExtent = grid->lonStep > 0 && grid->latStep > 0 &&
                             grid->maxLongitude > grid->minLongitude &&
                             grid->maxLatitude > grid->minLatitude;
            } else if (n >= 1 && CS_stricmp(f[0], "GR3D3") == 0) {
                if (!haveExtent) return Corrupt(grid, path);
                const double columns =
                    std::trunc((grid->maxLongitude - grid->minLongitude) / grid->lonStep + 0.1) + 1;
                const double rows =
                    std::trunc((grid->maxLatitude - grid->minLatitude) / grid->latStep + 0.1) + 1;
                // Every node stands on a line of its own: a grid larger than
                // the file has room for is damaged, and never allocated.
                if (!(columns * rows <= static_cast<double>(text.size()))) {
                    return Corrupt(grid, path);
                }
                grid->columns = static_cast<std::int32_t>(columns);
                grid->rows = static_cast<std::int32_t>(rows);
                grid->coverage = grid->latStep;
                const std::size_t size = static_cast<std::size_t>(columns * rows);
                grid->tX.assign(size, 0);
                grid->tY.assign(size, 0);
                grid->tZ.assign(size, 0);
                CsEllipsoidDef grs{}, clarke{};
                if (CS_readEllipsoidDef("GRS1980", &grs) != 0 ||
                    CS_readEllipsoidDef("CLRK-IGN", &clarke) != 0) {
                    delete grid;
                    return nullptr;
                }
                grid->grsA = grs.equatorialRadius;
                grid->grsE2 = grs.eccentricity * grs.eccentricity;
                grid->clarkeA = clarke.equatorialRadius;
                grid->clarkeE2 = clarke.eccentricity * clarke.eccentricity;
                stage = 2;
            }
            continue;
        }
        if (n != 8) continue;
        const double lon = std::strtod(f[1], nullptr), lat = std::strtod(f[2], nullptr);
        const double c = std::trunc((lon - grid->minLongitude) / grid->lonStep + 1e-10);
        const double r = std::trunc((lat - grid->minLatitude) / grid->latStep + 1e-10);
        if (!(c >= 0 && c < grid->columns && r >= 0 && r < grid->rows)) {
            return Corrupt(grid, path);
        }
        // Translations are stored in millimetres; one beyond a kilometre, or
        // not a number, is damage.
        double mm[3];
        for (int i = 0; i < 3; ++i) {
            mm[i] = std::trunc(std::strtod(f[3 + i], nullptr) * 1000.0);
            if (!(std::fabs(mm[i]) <= 1e6)) return Corrupt(grid, path);
        }
        const std::size_t at =
            static_cast<std::size_t>(r) * grid->columns + static_cast<std::size_t>(c);
        grid->tX[at] = static_cast<std::int32_t>(mm[0]);
        grid->tY[at] = static_cast<std::int32_t>(mm[1]);
        grid->tZ[at] = static_cast<std::int32_t>(mm[2]);
    }
    if (stage < 2) return Corrupt(grid, path);
    return grid;
}

void CS_frenchGridFree(CsFrenchGrid* grid) {
    delete grid;
}

int CS_frenchGridShifts(const CsFrenchGrid* grid, const double ll[2], double* tX, double* tY,
                        double* tZ) {
    *tX = kMeanShift[0], *tY = kMeanShift[1], *tZ = kMeanShift[2];
    if (!(ll[0] >= grid->minLongitude && ll[0] < grid->maxLongitude && ll[1] >= grid->minLatitude &&
          ll[1] < grid->maxLatitude)) {
        return 1;
    }
    const int c = static_cast<int>((ll[0] - grid->minLongitude) / grid->lonStep);
    const int r = static_cast<int>((ll[1] - grid->minLatitude) / grid->latStep);
    // The four corners must be nodes of the grid.
    if (c < 0 || r < 0 || c + 1 >= grid->columns || r + 1 >= grid->rows) return 1;
    const double x = (ll[0] - (c * grid->lonStep + grid->minLongitude)) / grid->lonStep;
    const double y = (ll[1] - (r * grid->latStep + grid->minLatitude)) / grid->latStep;
    auto at = [&](const std::vector<std::int32_t>& a) {
        const std::size_t i = static_cast<std::size_t>(r) * grid->columns + c;
        const double t00 = a[i] * 0.001, t10 = a[i + 1] * 0.001;
        const double t01 = a[i + grid->columns] * 0.001, t11 = a[i + grid->columns + 1] * 0.001;
        return t00 + (t10 - t00) * x + (t01 - t00) * y + (t00 - t10 - t01 + t11) * x * y;
    };
    *tX = at(grid->tX);
    *tY = at(grid->tY);
    *tZ = at(grid->tZ);
    return 0;
}

int CS_ntfToRgf93(const CsFrenchGrid* grid, double out[3], const double in[3]) {
    for (int i = 0; i < 3; ++i) out[i] = in[i];
    const double flat[3] = {in[0], in[1], 0.0};
    double xyz[3];
    CS_geodeticToGeocentric(xyz, flat, grid->clarkeA, grid->clarkeE2);
    const double moved[3] = {xyz[0] + kMeanShift[0], xyz[1] + kMeanShift[1],
                             xyz[2] + kMeanShift[2]};
    double approx[3];
    int status = CS_geocentricToGeodetic(approx, moved, grid->grsA, grid->grsE2);
    if (status != 0) return status;
    double t[3];
    if (CS_frenchGridShifts(grid, approx, &t[0], &t[1], &t[2]) != 0) {
        out[0] = approx[0];
        out[1] = approx[1];
        return 1;
    }
    const double shifted[3] = {xyz[0] + t[0], xyz[1] + t[1], xyz[2] + t[2]};
    double result[3];
    status = CS_geocentricToGeodetic(result, shifted, grid->grsA, grid->grsE2);
    if (status != 0) return status;
    out[0] = result[0];
    out[1] = result[1];
    return 0;
}

int CS_rgf93ToNtf(const CsFrenchGrid* grid, double out[3], const double in[3]) {
    for (int i = 0; i < 3; ++i) out[i] = in[i];
    double t[3];
    const int outside = CS_frenchGridShifts(grid, in, &t[0], &t[1], &t[2]);
    const double flat[3] = {in[0], in[1], 0.0};
    double xyz[3];
    CS_geodeticToGeocentric(xyz, flat, grid->grsA, grid->grsE2);
    const double moved[3] = {xyz[0] - t[0], xyz[1] - t[1], xyz[2] - t[2]};
    double result[3];
    if (CS_geocentricToGeodetic(result, moved, grid->clarkeA, grid->clarkeE2) != 0) return -1;
    out[0] = result[0];
    out[1] = result[1];
    return outside;
}

int CS_frenchGridInit() {
    if (!g_grid) {
        const char* path = CS_dataFilePath("gr3df97a.txt");
        if (!path) return -1;
        g_grid = CS_frenchGridNew(std::string(path).c_str());
        if (!g_grid) return -1;
    }
    ++g_useCount;
    return 0;
}

void CS_frenchGridRelease() {
    if (--g_useCount < 1) {
        CS_frenchGridFree(g_grid);
        g_grid = nullptr;
        g_useCount = 0;
    }
}

int CS_frenchGridUseCount() {
    return g_useCount;
}

int CS_frenchGridForward(double out[3], const double in[3]) {
    if (!g_grid) return CS_failWith(kCsErrNotInitialized, "");
    return CS_ntfToRgf93(g_grid, out, in);
}

int CS_frenchGridInverse(double out[3], const double in[3]) {
    if (!g_grid) return CS_failWith(kCsErrNotInitialized, "");
    return CS_rgf93ToNtf(g_grid, out, in);
}
