#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "coordsys/CoordSysDescriptor.h"
#include "coordsys/CsParams.h"
#include "coordsys/CsWktReader.h"
#include "coordsys/CsWktWriter.h"
#include "coordsys/tests/CoordSysTestSupport.h"
#include "testing/TestSupport.h"

namespace {

TEST(Descriptor, DefaultSurvivesExportAndImport) {
    CCoordSysDescriptor original;
    CsParams block{};
    EXPECT_TRUE(original.ExportDefinition(block));
    EXPECT_STREQ(block.csDef.key, "LL84");
    EXPECT_STREQ(block.csDef.unit, "DEGREE");
    EXPECT_STREQ(block.csDef.datumKey, "WGS84");
    EXPECT_STREQ(block.csDef.ellipsoidKey, "WGS84");
    EXPECT_STREQ(block.datum.ellipsoidKey, "WGS84");
    EXPECT_EQ(block.datum.method, 6);
    // The figure follows from the two radii.
    EXPECT_NEAR(1.0 / block.datum.flattening, 298.257223563, 1e-5);
    EXPECT_NEAR(block.datum.eccentricity, 0.0818191908426, 1e-10);
    EXPECT_EQ(CCoordSysDescriptor(block), original);
}

TEST(Descriptor, ImportsABuiltBlock) {
    ASSERT_EQ(CS_setDictionaryDirectory(wlxtest::BinDir().string().c_str()), 0);
    CsPtr<CsParams> params(CS_loadCoordSys("UTM27-10"));
    ASSERT_TRUE(params) << CS_lastMessage();
    CCoordSysDescriptor d(*params);
    EXPECT_EQ(d.key, "UTM27-10");
    EXPECT_EQ(d.projectionKey, "UTM");
    EXPECT_EQ(d.group, "UTM");
    EXPECT_EQ(d.unit, "METER");
    EXPECT_EQ(d.parameters[0], 10.0);
    EXPECT_EQ(d.unitScale, 1.0);
    EXPECT_EQ(d.datumKey, "NAD27");
    EXPECT_EQ(d.datumMethod, 4);
    EXPECT_EQ(d.deltaX, -8.0);
    EXPECT_EQ(d.ellipsoidKey, "CLRK66");
    EXPECT_EQ(d.ellipsoidDescription, "Clarke 1866");
    EXPECT_EQ(d.equatorialRadius, 6378206.4);
    EXPECT_EQ(d.polarRadius, 6356583.8);

    CsParams copy{};
    ASSERT_TRUE(d.ExportDefinition(copy));
    EXPECT_EQ(std::memcmp(&copy.csDef.parameters, &params->csDef.parameters,
                          sizeof copy.csDef.parameters),
              0);
    EXPECT_NEAR(copy.datum.eccentricity, params->datum.eccentricity, 1e-15);
}

TEST(Descriptor, CutsOverlongTextsAtACharacterBoundary) {
    CCoordSysDescriptor d;
    d.key = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";                     // 26 characters
    d.description = std::string(62, 'x') + "\xC3\xA9" + "y";  // an e-acute straddles the cut
    CsParams block{};
    EXPECT_FALSE(d.ExportDefinition(block));
    EXPECT_STREQ(block.csDef.key, "ABCDEFGHIJKLMNOPQRSTUVW");
    EXPECT_EQ(std::string(block.csDef.description), std::string(62, 'x'));

    CCoordSysDescriptor fits;
    fits.description = std::string(61, 'x') + "\xC3\xA9";  // 63 bytes fit
    EXPECT_TRUE(fits.ExportDefinition(block));
    EXPECT_EQ(std::string(block.csDef.description), fits.description);
}

}  // namespace

// What a WKT text declares survives the descriptor: a quadrant of 2 is
// written back as 2, not as the record's 0.
TEST(Descriptor, CarriesTheQuadrantOfAWkt) {
    coordsystest::UseDictionaries();
    CsParams tm = coordsystest::Loaded("BritishNatGrid");
    tm.csDef.quadrant = 2;
    std::string text;
    ASSERT_EQ(WriteWkt(tm, text), kWktOk);
    CsParams read;
    ASSERT_EQ(ReadWkt(text, &read), kWktOk);
    CCoordSysDescriptor descriptor(read);
    EXPECT_EQ(descriptor.quadrant, 2);
    CsParams exported{};
    descriptor.ExportDefinition(exported);
    EXPECT_EQ(exported.csDef.quadrant, 2);
    std::string again;
    ASSERT_EQ(WriteWkt(exported, again), kWktOk);
    EXPECT_EQ(again, text);
    EXPECT_NE(again.find("PARAMETER[\"VLSM_quadrant\", 2]"), std::string::npos) << again;

    // The default is the quadrant of x east, y north, which no text mentions.
    EXPECT_EQ(CCoordSysDescriptor().quadrant, 1);
}
