#include "dgn/DgnSeed.h"

#include <array>

#include "dgn/DgnCodec.h"

namespace dgn {

namespace {

constexpr std::size_t kSeedSize = kControlLength + 2;

constexpr std::array<std::uint8_t, kSeedSize> BuildSeed() {
    std::array<std::uint8_t, kSeedSize> seed{};
    seed[0] = 0x08;  // level 8, 2-D
    seed[1] = kTypeControl;
    const std::uint16_t words = (kControlLength - 4) / 2;
    seed[2] = static_cast<std::uint8_t>(words);
    seed[3] = static_cast<std::uint8_t>(words >> 8);
    StoreLong(1000, seed.data() + kControlSubUnits);
    StoreLong(1, seed.data() + kControlPositionalUnits);
    seed[kControlUnitNames] = 'm';
    seed[kControlUnitNames + 1] = ' ';
    seed[kControlUnitNames + 2] = 'm';
    seed[kControlUnitNames + 3] = 'm';
    for (std::size_t i = 0; i < 3; ++i) StoreVaxDouble(1.0, seed.data() + kControlScales + 8 * i);
    // The design range covers the whole plane.
    for (std::size_t i = 0; i < 3; ++i) {
        StoreLong(-2147483647 - 1, seed.data() + kControlDesignRange + 4 * i);
        StoreLong(2147483647, seed.data() + kControlDesignRange + 12 + 4 * i);
    }
    seed[kControlLength] = 0xFF;
    seed[kControlLength + 1] = 0xFF;
    return seed;
}

constexpr std::array<std::uint8_t, kSeedSize> kSeed = BuildSeed();
constexpr BinaryResource kBinaries[] = {{kSeedResourceName, kSeedResourceType, kSeed}};

}  // namespace

HINSTANCE DgnModule() {
    static constexpr ModuleResources kResources{{}, kBinaries};
    return &kResources;
}

std::span<const std::uint8_t> SeedDesign() {
    return LoadResource(DgnModule(),
                        FindResourceA(DgnModule(), kSeedResourceName, kSeedResourceType));
}

}  // namespace dgn
