#include "coordsys/DatumConverter.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "coordsys/FrenchGrid.h"
#include "coordsys/GridCatalog.h"
#include "coordsys/core/CsCore.h"
#include "coordsys/datum/DatumErrors.h"
#include "coordsys/datum/DatumMethods.h"
#include "coordsys/datum/GridFileInput.h"

namespace {

struct PathRow {
    int method;
    int toWgs84[4];
    int fromWgs84[4];
};

constexpr PathRow kPaths[] = {
    {1, {1}, {1001}},
    {2, {2}, {1002}},
    {3, {3}, {1003}},
    {4, {4, 5}, {1005, 1004}},
    {5, {5}, {1005}},
    {6, {}, {}},
    {7, {6}, {1006}},
    {8, {1009, 5}, {1005, 9}},
    {9, {15}, {1015}},
    {10, {10, 7}, {1007, 1010}},
    {11, {16}, {1016}},
    {12, {17}, {1017}},
    {13, {18}, {1018}},
    {14, {11, 7}, {1007, 1011}},
    {15, {12, 8}, {1008, 1012}},
    {16, {13, 1014, 5}, {1005, 14, 1013}},
    {17, {7}, {1007}},
    {18, {8}, {1008}},
    {19, {1014, 5}, {1005, 14}},
    {20, {19}, {1019}},
    {21, {20}, {1020}},
    {22, {22, 23}, {1023, 1022}},
    {0, {}, {}},
};

const PathRow* FindPath(int method) {
    const PathRow* found = nullptr;
    for (const PathRow* row = kPaths; row->method != 0; ++row) {
        if (row->method == method) found = row;
    }
    return found;
}

bool IsParameterStep(int step) {
    return step == 1 || step == 2 || step == 3 || (step >= 15 && step <= 18);
}

bool IsNullStep(int step) {
    return step == 5 || step == 7 || step == 8 || step == 23;
}

bool GridFamilyOf(int step, CsGridFamily* family) {
    switch (step) {
        case 4:
            *family = CsGridFamily::kNad27ToNad83;
            return true;
        case 9:
            *family = CsGridFamily::kNad83ToHarn;
            return true;
        case 10:
            *family = CsGridFamily::kAgd66ToGda94;
            return true;
        case 11:
            *family = CsGridFamily::kAgd84ToGda94;
            return true;
        case 12:
            *family = CsGridFamily::kNzgd49ToNzgd2k;
            return true;
        case 13:
            *family = CsGridFamily::kAts77ToCsrs;
            return true;
        case 14:
            *family = CsGridFamily::kNad83ToCsrs;
            return true;
        case 19:
            *family = CsGridFamily::kTokyoToJgd2k;
            return true;
        case 21:
            *family = CsGridFamily::kNad27ToCsrs;
            return true;
        case 22:
            *family = CsGridFamily::kEd50ToEtrf89;
            return true;
        case 24:
            *family = CsGridFamily::kNad27ToAts77;
            return true;
        default:
            return false;
    }
}

struct CoverageCodes {
    int step, hard, fallback, unshifted;
};
constexpr CoverageCodes kCoverage[] = {
    {2, 370, 146, 370},  {4, 334, 359, 335},  {9, 336, 364, 337},  {10, 304, 360, 305},
    {11, 328, 361, 329}, {12, 330, 362, 331}, {13, 332, 363, 333}, {14, 365, 367, 366},
    {19, 375, 377, 376}, {20, 380, 382, 381}, {21, 383, 385, 384}, {22, 386, 388, 387},
    {24, 393, 395, 394},
};

const CoverageCodes* CoverageOf(int step) {
    for (const CoverageCodes& c : kCoverage) {
        if (c.step == step) return &c;
    }
    return nullptr;
}

struct CatalogFlags {
    bool tested = false;
    bool present = false;
};
CatalogFlags g_nad27ToCsrs, g_nad27ToAts77, g_ats77ToCsrs;

void TestCatalog(CatalogFlags& flags, const char* name) {
    if (flags.tested) return;
    flags.tested = true;
    const char* path = CS_dataFilePath(name);
    flags.present = path && CS_openGridSource(path) != nullptr;
}

bool Pair(int a, int b, int x, int y) {
    return (a == x && b == y) || (a == y && b == x);
}

bool Near(double a, double b, double tolerance) {
    return std::fabs(a - b) <= tolerance;
}

bool SameShifts(const CsDatumBlock& s, const CsDatumBlock& t) {
    return Near(s.deltaX, t.deltaX, 1e-4) && Near(s.deltaY, t.deltaY, 1e-4) &&
           Near(s.deltaZ, t.deltaZ, 1e-4);
}

bool SameRotations(const CsDatumBlock& s, const CsDatumBlock& t) {
    return Near(s.rotX, t.rotX, 5e-6) && Near(s.rotY, t.rotY, 5e-6) && Near(s.rotZ, t.rotZ, 5e-6);
}

bool EqualDatums(const CsDatumBlock& s, const CsDatumBlock& t) {
    const double a = std::min(s.equatorialRadius, t.equatorialRadius);
    const double e = std::min(s.eccentricity, t.eccentricity);
    if (!Near(s.equatorialRadius, t.equatorialRadius, 1e-12 * a) ||
        !Near(s.eccentricity, t.eccentricity, 1e-10 * e)) {
        return false;
    }
    switch (s.method) {
        case 1:
        case 11:
            return SameShifts(s, t);
        case 3:
        case 9:
            return Near(s.bwScale, t.bwScale, 1e-10 * std::fabs(s.bwScale)) &&
                   SameRotations(s, t) && SameShifts(s, t);
        case 12:
            return SameRotations(s, t) && SameShifts(s, t);
        case 2:
            return CS_stricmp(s.key, t.key) == 0;
        default:
            return true;
    }
}

void ReleaseStep(CsDatumStep& step) {
    const int base = step.code >= 1000 ? step.code - 1000 : step.code;
    CsGridFamily family;
    if (IsParameterStep(base)) {
        CS_datumShiftFree(static_cast<CsDatumShiftMethod>(base), step.object);
    } else if (GridFamilyOf(base, &family)) {
        CS_gridFamilyRelease(family);
    } else if (base == 20) {
        CS_frenchGridRelease();
    } else if (base == 6 || IsNullStep(base)) {
        // nothing held
    } else {
        CS_setErrorContext("CS_datum:6");
        CS_reportError(kCsErrInternal);
    }
    step.object = nullptr;
}

CsDatumConverter* Fail(int code, const char* context) {
    CS_setErrorContext(context);
    CS_reportError(code);
    return nullptr;
}

}  // namespace

CsDatumConverter* CS_datumConverterNew(const CsParams* source, const CsParams* target, int,
                                       int coverageMode) {
    const bool sourceNonEarth = source->projectionCode == 55;
    const bool targetNonEarth = target->projectionCode == 55;
    if (sourceNonEarth != targetNonEarth) return Fail(kCsErrNonEarth, "");
    return CS_datumConverterBuild(&source->datum, &target->datum, coverageMode);
}

CsDatumConverter* CS_datumConverterBuild(const CsDatumBlock* source, const CsDatumBlock* target,
                                         int coverageMode) {
    CS_setErrorContext("Source\\CS_datum");
    const CsDatumBlock* wgs84 = CS_keptWgs84();
    if (!wgs84) return nullptr;
    const int sm = source->method, tm = target->method;
    if (Pair(sm, tm, 4, 19)) TestCatalog(g_nad27ToCsrs, "Nad27ToCsrs.gdc");
    if (Pair(sm, tm, 4, 16)) TestCatalog(g_nad27ToAts77, "Nad27ToATs77.gdc");
    if (Pair(sm, tm, 16, 19)) TestCatalog(g_ats77ToCsrs, "Ats77ToCsrs.gdc");

    auto empty = [&](int mode) -> CsDatumConverter* {
        auto* c = CS_allocate<CsDatumConverter>();
        if (!c) return Fail(kCsErrNoMemory, "");
        std::memset(c, 0, sizeof *c);
        std::memcpy(c->sourceKey, source->key, kCsKeySize);
        std::memcpy(c->targetKey, target->key, kCsKeySize);
        c->sourceKey[kCsKeySize - 1] = c->targetKey[kCsKeySize - 1] = '\0';
        c->coverageMode = static_cast<std::uint16_t>(mode);
        return c;
    };
    if (!source->key[0] || !target->key[0]) return empty(0);
    if (sm == tm && EqualDatums(*source, *target)) return empty(0);

    const PathRow* from = FindPath(sm);
    const PathRow* to = FindPath(tm);
    if (!from || !to) return Fail(kCsErrInternal, "CS_datum:1");
    CsDatumConverter* c = empty(coverageMode);
    if (!c) return nullptr;
    int n = 0;
    for (int code : from->toWgs84) {
        if (code == 0) break;
        c->steps[n++].code = code;
    }
    for (int code : to->fromWgs84) {
        if (code == 0) break;
        if (n >= kCsMaxDatumSteps) {
            CS_free(c);
            return Fail(kCsErrInternal, "CS_datum:3");
        }
        c->steps[n++].code = code;
    }
    for (int i = 0; i + 1 < n; ++i) {
        int& a = c->steps[i].code;
        int& b = c->steps[i + 1].code;
        if ((a == 1005 && b == 5) || (a == 5 && b == 1005)) a = b = kCsRemovedStep;
    }
    int kept = 0;
    for (int i = 0; i < n; ++i) {
        if (c->steps[i].code != kCsRemovedStep) c->steps[kept++].code = c->steps[i].code;
    }
    for (int i = kept; i < kCsMaxDatumSteps; ++i) c->steps[i] = {0, nullptr};
    auto single = [&](int code) {
        for (CsDatumStep& s : c->steps) s = {0, nullptr};
        c->steps[0].code = code;
    };
    if (g_nad27ToCsrs.present && sm == 4 && tm == 19) single(21);
    if (g_nad27ToCsrs.present && sm == 19 && tm == 4) single(1021);
    if (g_nad27ToAts77.present && sm == 4 && tm == 16) single(24);
    if (g_nad27ToAts77.present && sm == 16 && tm == 4) single(1024);
    if (g_ats77ToCsrs.present && sm == 16 && tm == 19) single(13);
    if (g_ats77ToCsrs.present && sm == 19 && tm == 16) single(1013);

    int ready = 0;  // steps set up so far: each is released once on failure
    bool failed = false;
    for (; ready < kCsMaxDatumSteps && c->steps[ready].code != 0; ++ready) {
        CsDatumStep& step = c->steps[ready];
        const bool backward = step.code >= 1000 && step.code != kCsRemovedStep;
        const int base = backward ? step.code - 1000 : step.code;
        CsGridFamily family;
        if (step.code == kCsRemovedStep) {
            Fail(kCsErrInternal, "CS_datum:4");
            failed = true;
        } else if (IsParameterStep(base)) {
            step.object = CS_datumShiftSetup(static_cast<CsDatumShiftMethod>(base),
                                             backward ? target : source, wgs84);
            failed = step.object == nullptr;
        } else if (GridFamilyOf(base, &family)) {
            failed = CS_gridFamilyInit(family) != 0;
        } else if (base == 20) {
            failed = CS_frenchGridInit() != 0;
        } else if (base == 6 || IsNullStep(base)) {
            // nothing to set up
        } else {
            Fail(kCsErrInternal, "CS_datum:5");
            failed = true;
        }
        if (failed) break;
    }
    if (failed) {
        for (int i = 0; i < ready; ++i) ReleaseStep(c->steps[i]);
        CS_free(c);
        return nullptr;
    }
    return c;
}

int CS_datumConvert(CsDatumConverter* converter, const double in[3], double out[3]) {
    for (int i = 0; i < 3; ++i) out[i] = in[i];
    if (!converter || converter->steps[0].code == 0) return 0;
    CS_setErrorContext("CS_datum:0");
    double point[3] = {in[0], in[1], in[2]};
    int result = 0;
    int warning = 0;
    for (int i = 0; i < kCsMaxDatumSteps && converter->steps[i].code != 0; ++i) {
        CsDatumStep& step = converter->steps[i];
        if (step.code == kCsRemovedStep) continue;
        const bool backward = step.code >= 1000;
        const int base = backward ? step.code - 1000 : step.code;
        double next[3] = {point[0], point[1], point[2]};
        int status = 0;
        CsGridFamily family;
        if (IsParameterStep(base)) {
            const auto method = static_cast<CsDatumShiftMethod>(base);
            status = backward ? CS_datumShiftInverse(method, step.object, next, point)
                              : CS_datumShiftForward(method, step.object, next, point);
        } else if (GridFamilyOf(base, &family)) {
            status = backward ? CS_gridFamilyInverse(family, next, point)
                              : CS_gridFamilyForward(family, next, point);
        } else if (base == 20) {
            status =
                backward ? CS_frenchGridInverse(next, point) : CS_frenchGridForward(next, point);
        } else if (base == 6) {
            status = backward ? CS_wgs72Inverse(next, point) : CS_wgs72Forward(next, point);
        } else if (IsNullStep(base)) {
            status = 0;
        } else {
            Fail(kCsErrInternal, "CS_datum:7");
            return -1;
        }
        if (status < 0) return status;
        point[0] = next[0];
        point[1] = next[1];
        if (status > 0) {
            const CoverageCodes* codes = CoverageOf(base);
            if (converter->coverageMode == 0) {
                if (codes) {
                    CS_setErrorPosition(static_cast<int>(std::trunc(in[0])),
                                        static_cast<int>(std::trunc(in[1])));
                    CS_reportError(codes->hard);
                } else {
                    Fail(kCsErrInternal,
                         IsNullStep(base) || base == 6 ? "CS_datum:7A" : "CS_datum:9");
                }
                for (int k = 0; k < 3; ++k) out[k] = in[k];
                return -1;
            }
            if (result == 0) {
                if (IsParameterStep(base) && base != 2) {
                    CS_reportError(kCsErrGeocentric);
                    return -1;
                }
                if (IsNullStep(base) || base == 6) {
                    Fail(kCsErrInternal, "CS_datum:8A");
                    return -1;
                }
                if (!codes) {
                    Fail(kCsErrInternal, "CS_datum:9");
                    return -1;
                }
                warning = status == 2 ? codes->fallback : codes->unshifted;
                result = status;
            }
        }
    }
    point[2] = in[2];
    if (result == 0) {
        for (int i = 0; i < 3; ++i) out[i] = point[i];
        return 0;
    }
    auto whole = [](double v) {
        double t = std::trunc(v);
        if (std::fabs(t) >= 10000.0) t = t < 0 ? -9999.0 : 9999.0;
        return static_cast<std::int16_t>(t);
    };
    const std::int16_t lon = whole(in[0]), lat = whole(in[1]);
    CS_setErrorPosition(lon, lat);
    auto give = [&](int status) {
        for (int i = 0; i < 3; ++i) out[i] = point[i];
        return status;
    };
    auto report = [&] { CS_reportError(warning); };
    const int mode = converter->coverageMode;
    if (mode < 1 || mode > 4) {
        Fail(kCsErrInternal, "CS_datum:10");
        return -1;
    }
    if (converter->missCount < 10) {
        bool known = false;
        for (int i = 0; i < converter->missCount; ++i) {
            known =
                known || (converter->missCells[i][0] == lon && converter->missCells[i][1] == lat);
        }
        if (known) {
            if (mode == 1) {
                report();
                return give(1);
            }
            return give(0);
        }
        converter->missCells[converter->missCount][0] = lon;
        converter->missCells[converter->missCount][1] = lat;
        ++converter->missCount;
        if (mode == 1) {
            report();
            return give(1);
        }
        if (mode == 3) return give(0);
        if (converter->missCount < 10) {
            report();
            return give(1);
        }
        if (mode == 2) {
            CS_setErrorContext(converter->sourceKey);
            CS_reportError(368);
            return -1;
        }
        CS_reportError(371);
        converter->missCount = 11;
        return give(1);
    }
    switch (mode) {
        case 1:
            report();
            return give(1);
        case 3:
            return give(0);
        case 2:
            CS_setErrorContext(converter->sourceKey);
            CS_reportError(368);
            return -1;
        default:
            return give(0);
    }
}

void CS_datumConverterFree(CsDatumConverter* converter) {
    if (!converter) return;
    for (int i = 0; i < kCsMaxDatumSteps && converter->steps[i].code != 0; ++i) {
        ReleaseStep(converter->steps[i]);
    }
    CS_free(converter);
}
