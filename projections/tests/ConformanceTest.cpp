// The family contract, checked on every row of the projection table that has
// a setup: a row is tested the moment it gets one. Each row is built from the
// dictionary's first system of its key, else from a default definition (GRS
// 1980, metres or degrees, scale reduction 1, everything else zero); a family
// whose default definition fails its check needs a dictionary system.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "coordsys/CsParams.h"
#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"
#include "coordsys/core/CsDictionary.h"
#include "projections/ProjectionTable.h"
#include "testing/TestSupport.h"

namespace {

std::vector<std::string> RowsWithASetup() {
    std::vector<std::string> keys;
    for (int i = 0; i < cs_ProjectionCount; ++i) {
        if (cs_ProjectionTable[i].setup != nullptr) keys.push_back(cs_ProjectionTable[i].key);
    }
    return keys;
}

// The dictionary's first system of the projection, else the default one.
CsCoordSysDef DefinitionOf(const CsProjectionEntry& row, std::string* source) {
    std::FILE* file = CS_openCoordSysDictionary("rb");
    CsCoordSysDef def{};
    bool found = false;
    while (file != nullptr && CS_readCoordSysRecord(file, &def, nullptr) == 1) {
        if (std::strcmp(def.projectionKey, row.key) == 0) {
            found = true;
            break;
        }
    }
    if (file != nullptr) CS_closeDictionary(file);
    if (found) {
        *source = std::string("dictionary system ") + def.key;
        return def;
    }
    def = CsCoordSysDef{};
    std::strcpy(def.key, "CONFORMANCE");
    std::strcpy(def.projectionKey, row.key);
    std::strcpy(def.ellipsoidKey, "GRS1980");
    std::strcpy(def.unit, row.code == kCsProjLl ? "DEGREE" : "METER");
    def.scaleReduction = 1.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    *source = "the default definition";
    return def;
}

class FamilyConformance : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        ASSERT_EQ(CS_setDictionaryDirectory(wlxtest::BinDir().string().c_str()), 0);
    }
};

TEST_P(FamilyConformance, HoldsTheContractAtItsOrigin) {
    const CsProjectionEntry* row = CS_projectionLookupExact(GetParam().c_str());
    ASSERT_NE(row, nullptr);
    std::string source;
    const CsCoordSysDef def = DefinitionOf(*row, &source);
    SCOPED_TRACE(GetParam() + " on " + source);
    // The national grid systems need their shift files, which are not shipped.
    if (row->code == 58 || row->code == 60) {
        const char* grid = CS_dataFilePath(row->code == 58 ? "OSTN97.TXT" : "OSTN02.TXT");
        if (!grid || !CS_fileExists(grid)) GTEST_SKIP() << "no OSTN grid file installed";
    }
    // Danish System 34 has no polynomial tables to finish its conversion with.
    if (row->code == kCsProjSystm34 || row->code == kCsProjSystm3499) {
        GTEST_SKIP() << "no System 34 polynomial tables";
    }
    ASSERT_NE(row->check, nullptr);
    int errors[8];
    EXPECT_EQ(row->check(&def, row->code, errors, 8), 0) << "first error " << errors[0];
    CsPtr<CsParams> params(CS_paramsFromDef(&def));
    ASSERT_TRUE(params) << CS_lastMessage();
    const CsParams& p = *params;
    const CsProjectionConstants* constants = CS_constants(&p);
    EXPECT_EQ(p.projectionCode, row->code);

    ASSERT_TRUE(p.forward && p.inverse && p.gridScale && p.parallelScale && p.meridianScale &&
                p.convergence && p.checkGeographic && p.checkCartesian)
        << "every slot is set";
    for (double value : {p.rangeCentralMeridian, p.minLongitude, p.minLatitude, p.maxLongitude,
                         p.maxLatitude, p.minX, p.minY, p.maxX, p.maxY}) {
        EXPECT_TRUE(std::isfinite(value)) << "useful range";
    }
    EXPECT_LE(p.minLongitude, p.maxLongitude);
    EXPECT_LE(p.minLatitude, p.maxLatitude);
    EXPECT_LE(p.minX, p.maxX);
    EXPECT_LE(p.minY, p.maxY);

    // The origin: the central meridian the setup names, the origin latitude.
    const double origin[3] = {p.rangeCentralMeridian, def.originLatitude, 0.0};
    const bool pole = std::fabs(origin[1]) * kCsDegToRad > kCsMaxLatitude;
    double xy[3], back[3];
    EXPECT_EQ(p.forward(constants, xy, origin), pole ? 1 : 0);
    ASSERT_TRUE(std::isfinite(xy[0]) && std::isfinite(xy[1])) << xy[0] << " " << xy[1];
    // A centre pole may invert as the singular point or as a regular one.
    int inverse = p.inverse(constants, back, xy);
    if (pole) {
        EXPECT_TRUE(inverse == 0 || inverse == 1) << inverse;
    } else {
        EXPECT_EQ(inverse, 0);
    }
    EXPECT_NEAR(back[1], origin[1], 1e-9) << "latitude round trip";
    if (!pole) {
        EXPECT_NEAR(CS_normDeg180(back[0] - origin[0]), 0.0, 1e-9) << "longitude round trip";
    }

    for (auto scale : {p.gridScale, p.parallelScale, p.meridianScale}) {
        double value = scale(constants, origin);
        EXPECT_TRUE(std::isfinite(value) && value > 0.0) << "scale " << value;
    }
    double convergence = p.convergence(constants, origin);
    EXPECT_TRUE(std::isfinite(convergence)) << convergence;
    if (!pole) {
        EXPECT_NE(convergence, -360.0) << "a convergence at the origin";
    }

    const double geographic[1][3] = {{origin[0], origin[1], origin[2]}};
    const double cartesian[1][3] = {{xy[0], xy[1], 0.0}};
    EXPECT_EQ(p.checkGeographic(constants, 1, geographic), 0);
    EXPECT_EQ(p.checkCartesian(constants, 1, cartesian), 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, FamilyConformance, ::testing::ValuesIn(RowsWithASetup()),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
