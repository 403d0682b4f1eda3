// Independent readers of the .sif and .kif layouts for the tests: they walk
// the file's bytes as the format lays them out, without the index classes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace indexcheck {

struct Box {
    double minX, minY, maxX, maxY;
    bool operator==(const Box&) const = default;
};

struct SifEntry {
    std::uint32_t offset;  // child node or WLX record
    Box box;
    std::uint16_t type;
};

struct SifNode {
    std::uint32_t offset;
    int level;
    std::vector<SifEntry> entries;
};

struct SifTree {
    std::string error;  // empty when every check passed
    int minEntries = 0, maxEntries = 0, height = 0, precision = 0;
    std::uint32_t featureCount = 0;
    std::vector<SifNode> nodes;     // in depth-first order, root first
    std::vector<SifEntry> records;  // leaf entries in tree order
};

// Checks node offsets, levels, minimum fill, every inner box against its
// child's cover, every leaf box inside all its ancestors' boxes, and the
// feature count.
SifTree ReadSif(const std::filesystem::path& file);
// Records whose boxes meet the window, by walking only the nodes that do.
std::vector<std::uint32_t> WindowSearch(const SifTree& tree, const Box& window);

struct KifEntry {
    std::string key;
    std::uint32_t offset;
};

struct KifTree {
    std::string error;
    int capacity = 0, keyLength = 0, height = 0;
    std::uint32_t featureCount = 0;
    std::vector<KifEntry> entries;  // in-order walk
};

// Checks order of (key, offset) over the in-order walk, node fill (at most
// the capacity, at least half of it below the root), leaf depth and count.
KifTree ReadKif(const std::filesystem::path& file);

}  // namespace indexcheck
