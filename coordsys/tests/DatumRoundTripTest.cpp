// Every datum of the built dictionary: a point inside the datum's useful
// range goes to WGS84 and back through the datum converter and comes back
// within the inverse's tolerance, its height untouched. The point is the
// middle of the first system on the datum that gives a range; without one, a
// point of the region the datum's location names. A datum whose grid data is
// not installed is skipped, its test naming the file.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstring>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "coordsys/CsParams.h"
#include "coordsys/DatumConverter.h"
#include "coordsys/core/CsCore.h"
#include "coordsys/core/CsDictionary.h"
#include "coordsys/tests/CoordSysTestSupport.h"
#include "coordsys/tests/DatumConverterTestKit.h"

namespace {

using convertertest::ConverterPtr;

struct DatumCase {
    std::string key;
    double point[2];
    std::string pointFrom;  // where the point comes from
};

// Points inside the regions that the shipped datums' locations name.
const std::map<std::string, std::pair<double, double>> kRegions = {
    {"North America", {-98.0, 39.0}}, {"Europe", {10.0, 50.0}},  {"South Africa", {25.0, -29.0}},
    {"East Africa", {37.0, -3.0}},    {"Denmark", {10.0, 56.0}}, {"Western Europe", {5.0, 48.0}},
    {"Russia", {37.6, 55.75}},        {"Germany", {10.0, 51.0}}, {"Great Britain", {-2.0, 54.0}},
    {"Hong Kong", {114.15, 22.35}},
};

std::vector<DatumCase> DictionaryDatums() {
    if (CS_setDictionaryDirectory(wlxtest::BinDir().string().c_str()) != 0) return {};
    std::map<std::string, std::pair<double, double>> middles;
    std::map<std::string, std::string> systems;
    if (std::FILE* file = CS_openCoordSysDictionary("rb")) {
        CsCoordSysDef def{};
        while (CS_readCoordSysRecord(file, &def, nullptr) == 1) {
            if (!def.datumKey[0] || middles.count(def.datumKey)) continue;
            if (!(def.minLongitude < def.maxLongitude && def.minLatitude < def.maxLatitude))
                continue;
            middles[def.datumKey] = {(def.minLongitude + def.maxLongitude) / 2,
                                     (def.minLatitude + def.maxLatitude) / 2};
            systems[def.datumKey] = def.key;
        }
        CS_closeDictionary(file);
    }
    std::vector<DatumCase> cases;
    if (std::FILE* file = CS_openDatumDictionary("rb")) {
        CsDatumDef def{};
        while (CS_readDatumRecord(file, &def, nullptr) == 1) {
            DatumCase c{def.key, {12.5, 41.25}, "no range and no known location"};
            if (auto it = middles.find(def.key); it != middles.end()) {
                c.point[0] = it->second.first;
                c.point[1] = it->second.second;
                c.pointFrom = "the middle of the range of " + systems[def.key];
            } else if (auto region = kRegions.find(def.location); region != kRegions.end()) {
                c.point[0] = region->second.first;
                c.point[1] = region->second.second;
                c.pointFrom = "in " + region->first;
            }
            cases.push_back(c);
        }
        CS_closeDictionary(file);
    }
    return cases;
}

void PrintTo(const DatumCase& c, std::ostream* os) {
    *os << c.key;
}

std::string TestName(const ::testing::TestParamInfo<DatumCase>& info) {
    std::string name;
    for (char c : info.param.key) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

class DictionaryDatum : public ::testing::TestWithParam<DatumCase> {};

TEST_P(DictionaryDatum, RoundTripsThroughWgs84) {
    const DatumCase& c = GetParam();
    coordsystest::UseDictionaries();
    CsPtr<CsDatumBlock> datum(CS_loadDatum(c.key.c_str()));
    ASSERT_TRUE(datum) << CS_lastMessage();
    CsPtr<CsDatumBlock> wgs84(CS_loadDatum("WGS84"));
    ASSERT_TRUE(wgs84) << CS_lastMessage();
    ConverterPtr forward(CS_datumConverterBuild(datum.get(), wgs84.get(), 0));
    if (!forward && CS_lastError() == 128) {
        GTEST_SKIP() << c.key << " (method " << datum->method
                     << ") needs grid data that is not installed: " << CS_lastMessage();
    }
    ASSERT_TRUE(forward) << CS_lastMessage();
    ConverterPtr inverse(CS_datumConverterBuild(wgs84.get(), datum.get(), 0));
    ASSERT_TRUE(inverse) << CS_lastMessage();
    SCOPED_TRACE("point " + std::to_string(c.point[0]) + " " + std::to_string(c.point[1]) + " (" +
                 c.pointFrom + ")");
    const double in[3] = {c.point[0], c.point[1], 250.0};
    double out[3], back[3];
    ASSERT_EQ(CS_datumConvert(forward.get(), in, out), 0) << CS_lastMessage();
    ASSERT_EQ(CS_datumConvert(inverse.get(), out, back), 0) << CS_lastMessage();
    EXPECT_NEAR(back[0], in[0], 1e-9);
    EXPECT_NEAR(back[1], in[1], 1e-9);
    EXPECT_EQ(out[2], 250.0);
    EXPECT_EQ(back[2], 250.0);
    // A datum with shifts of its own moves the point: the round trip is not
    // two converters that do nothing.
    const bool shifts =
        datum->deltaX != 0 || datum->deltaY != 0 || datum->deltaZ != 0 || datum->method == 7;
    if (shifts) {
        EXPECT_GT(std::hypot(out[0] - in[0], out[1] - in[1]), 1e-6);
    }
}

INSTANTIATE_TEST_SUITE_P(Dictionary, DictionaryDatum, ::testing::ValuesIn(DictionaryDatums()),
                         TestName);

}  // namespace
