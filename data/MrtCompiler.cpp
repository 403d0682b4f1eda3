// Compiles a multiple-regression definition (.mrtdef text) into the .MRT file
// the datum-shift library reads:
//
//     mrt_compiler ED50-MREG.mrtdef <dir>/ED50-MREG.MRT
//
// The text gives uPowers, vPowers, k, latitudeOffset and longitudeOffset as
// "name = value" lines, and one line per term: "longitude|latitude|height q p
// coefficient" for the term U^q V^p. Lines starting with '#' are comments.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "coordsys/datum/MultipleRegression.h"

namespace {

struct Term {
    int list;  // 0 longitude, 1 latitude, 2 height
    int q, p;
    double coefficient;
};

int Fail(const std::string& where, const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", where.c_str(), message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: mrt_compiler <definition.mrtdef> <output.MRT>\n");
        return 2;
    }
    const std::string input = argv[1];
    std::ifstream in(input);
    if (!in) return Fail(input, "cannot be read");
    std::map<std::string, double> fields;
    std::vector<Term> terms;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::string where = input + ":" + std::to_string(number);
        if (line.empty() || line[0] == '#') continue;
        std::istringstream text(line);
        if (auto equals = line.find('='); equals != std::string::npos) {
            std::string name = line.substr(0, equals);
            name.erase(name.find_last_not_of(' ') + 1);
            try {
                fields[name] = std::stod(line.substr(equals + 1));
            } catch (const std::exception&) {
                return Fail(where, "'" + name + "' is not a number");
            }
            continue;
        }
        std::string list;
        Term term{};
        text >> list >> term.q >> term.p >> term.coefficient;
        const char* lists[] = {"longitude", "latitude", "height"};
        term.list = static_cast<int>(std::find(std::begin(lists), std::end(lists), list) -
                                     std::begin(lists));
        if (text.fail() || term.list == 3) return Fail(where, "not a term line");
        terms.push_back(term);
    }
    for (const char* name : {"uPowers", "vPowers", "k", "latitudeOffset", "longitudeOffset"}) {
        if (!fields.count(name)) return Fail(input, std::string(name) + " is missing");
    }

    CsMrtRecord record{};
    record.magic = kCsMrtMagic;
    record.recordSize = kCsMrtRecordSize;
    const double uPowers = fields["uPowers"], vPowers = fields["vPowers"];
    if (!(uPowers >= 1 && uPowers <= kCsMrtMaxPowers && vPowers >= 1 &&
          vPowers <= kCsMrtMaxPowers)) {
        return Fail(input, "uPowers and vPowers must lie in 1 to 10");
    }
    record.uPowers = static_cast<std::uint8_t>(uPowers);
    record.vPowers = static_cast<std::uint8_t>(vPowers);
    record.k = fields["k"];
    record.latitudeOffset = fields["latitudeOffset"];
    record.longitudeOffset = fields["longitudeOffset"];
    // Each list's coefficients in the order the evaluation meets its terms:
    // V's power outside, U's inside.
    std::sort(terms.begin(), terms.end(), [](const Term& a, const Term& b) {
        return std::tie(a.list, a.p, a.q) < std::tie(b.list, b.p, b.q);
    });
    std::uint32_t* masks[3] = {record.longitudeMask, record.latitudeMask, record.heightMask};
    int next = 0;
    for (std::size_t i = 0; i < terms.size(); ++i) {
        const Term& t = terms[i];
        if (t.q < 0 || t.q >= record.uPowers || t.p < 0 || t.p >= record.vPowers) {
            return Fail(input, "a term's power is beyond uPowers or vPowers");
        }
        if (i > 0 && std::tie(t.list, t.p, t.q) ==
                         std::tie(terms[i - 1].list, terms[i - 1].p, terms[i - 1].q)) {
            return Fail(input, "a term is given twice");
        }
        if (next == kCsMrtCoefficients) return Fail(input, "more than 150 coefficients");
        if (t.list == 1 && (i == 0 || terms[i - 1].list != 1)) record.latitudeFirst = next;
        if (t.list == 2 && (i == 0 || terms[i - 1].list != 2)) record.heightFirst = next;
        const int bit = 10 * t.p + t.q;
        masks[t.list][bit / 32] |= 0x80000000u >> (bit % 32);
        record.coefficients[next++] = t.coefficient;
    }

    const std::vector<std::uint8_t> bytes = CS_encodeMrtRecord(record);
    std::ofstream out(argv[2], std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) return Fail(argv[2], "cannot be written");
    return 0;
}
