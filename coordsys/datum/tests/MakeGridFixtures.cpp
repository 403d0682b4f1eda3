// Writes the grid fixtures of tests/data from the builders of GridFixtures.h:
//
//     make_grid_fixtures coordsys/datum/tests/data
//
// then fill their golden files from PROJ and GDAL (tests/data/generate_golden.py).
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "testing/GridFixtures.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_grid_fixtures <directory>\n");
        return 2;
    }
    const std::string dir = argv[1];
    const struct {
        const char* name;
        std::vector<std::uint8_t> bytes;
    } files[] = {
        {"ntv2-nested.gsb", datumtest::Ntv2Bytes(datumtest::NestedGrids())},
        {"ntv1-small.dat", datumtest::SmallNtv1(true)},
        {"nadcon-small.las", datumtest::SmallNadcon(true)},
        {"nadcon-small.los", datumtest::SmallNadcon(false)},
    };
    for (const auto& file : files) {
        std::ofstream out(dir + "/" + file.name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.bytes.data()),
                  static_cast<std::streamsize>(file.bytes.size()));
        if (!out) {
            std::fprintf(stderr, "%s/%s cannot be written\n", dir.c_str(), file.name);
            return 1;
        }
    }
    return 0;
}
