#include "nativeformat/tests/IndexChecker.h"

#include <cstring>
#include <functional>
#include <map>

#include "common/ByteOrder.h"
#include "testing/TestSupport.h"

namespace indexcheck {

namespace {

using Bytes = std::vector<std::uint8_t>;

// The `width` bytes at `at`; a field past the end throws, as vector::at does.
const std::uint8_t* Field(const Bytes& b, std::size_t at, int width) {
    return &b.at(at + width - 1) - (width - 1);
}

// width 2 or 4.
std::uint32_t U(const Bytes& b, std::size_t at, int width) {
    const std::uint8_t* p = Field(b, at, width);
    return width == 2 ? byteorder::LoadU16Be(p) : byteorder::LoadU32Be(p);
}

// width 4 or 8.
double Real(const Bytes& b, std::size_t at, int width) {
    const std::uint8_t* p = Field(b, at, width);
    return width == 4 ? byteorder::LoadF32Be(p) : byteorder::LoadF64Be(p);
}

bool Inside(const Box& inner, const Box& outer) {
    return inner.minX >= outer.minX && inner.minY >= outer.minY && inner.maxX <= outer.maxX &&
           inner.maxY <= outer.maxY;
}

}  // namespace

SifTree ReadSif(const std::filesystem::path& file) {
    const Bytes b = wlxtest::ReadBytes(file);
    SifTree t;
    if (b.size() < 512 || U(b, 0, 4) != 0x41534946) return t.error = "bad header", t;
    t.minEntries = U(b, 8, 2);
    t.maxEntries = U(b, 10, 2);
    t.height = U(b, 12, 2);
    t.precision = U(b, 14, 2);
    t.featureCount = U(b, 28, 4);
    const int m = t.maxEntries, w = t.precision / 8;
    const std::size_t inner = 4 * m * (w + 1), leaf = inner + 2 * m;
    std::function<void(std::uint32_t, int, std::vector<Box>&)> walk =
        [&](std::uint32_t at, int level, std::vector<Box>& path) {
            const std::size_t size = level == 0 ? leaf : inner;
            if (!t.error.empty()) return;
            if (at < 512 || at + size > b.size()) return void(t.error = "node outside the file");
            SifNode node{at, level, {}};
            for (int i = 0; i < m; ++i) {
                const std::uint32_t offset = U(b, at + 4 * i, 4);
                if (offset == 0) continue;
                const std::size_t box = at + 4 * m + 4 * w * i;
                node.entries.push_back(
                    {offset,
                     {Real(b, box, w), Real(b, box + w, w), Real(b, box + 2 * w, w),
                      Real(b, box + 3 * w, w)},
                     static_cast<std::uint16_t>(level == 0 ? U(b, at + inner + 2 * i, 2) : 0)});
            }
            if (!path.empty() && static_cast<int>(node.entries.size()) < t.minEntries)
                t.error = "underflow";
            t.nodes.push_back(node);
            for (const SifEntry& e : node.entries) {
                for (const Box& ancestor : path)
                    if (!Inside(e.box, ancestor)) t.error = "entry outside an ancestor's box";
                if (level == 0) {
                    t.records.push_back(e);
                    continue;
                }
                const std::size_t childAt = t.nodes.size();
                path.push_back(e.box);
                walk(e.offset, level - 1, path);
                path.pop_back();
                if (!t.error.empty()) return;
                Box cover{1e300, 1e300, -1e300, -1e300};
                for (const SifEntry& c : t.nodes[childAt].entries)
                    cover = {std::min(cover.minX, c.box.minX), std::min(cover.minY, c.box.minY),
                             std::max(cover.maxX, c.box.maxX), std::max(cover.maxY, c.box.maxY)};
                if (!(cover == e.box)) t.error = "inner box is not its child's cover";
            }
        };
    std::vector<Box> path;
    if (t.height > 0) walk(U(b, 16, 4), t.height - 1, path);
    if (t.error.empty() && t.records.size() != t.featureCount) t.error = "feature count";
    return t;
}

std::vector<std::uint32_t> WindowSearch(const SifTree& tree, const Box& window) {
    std::map<std::uint32_t, const SifNode*> byOffset;
    for (const SifNode& n : tree.nodes) byOffset[n.offset] = &n;
    auto meets = [&](const Box& a) {
        return a.minX <= window.maxX && a.maxX >= window.minX && a.minY <= window.maxY &&
               a.maxY >= window.minY;
    };
    std::vector<std::uint32_t> found;
    std::function<void(const SifNode&)> visit = [&](const SifNode& n) {
        for (const SifEntry& e : n.entries) {
            if (!meets(e.box)) continue;
            if (n.level == 0)
                found.push_back(e.offset);
            else
                visit(*byOffset.at(e.offset));
        }
    };
    if (!tree.nodes.empty()) visit(tree.nodes.front());
    return found;
}

KifTree ReadKif(const std::filesystem::path& file) {
    const Bytes b = wlxtest::ReadBytes(file);
    KifTree t;
    if (b.size() < 512 || U(b, 0, 4) != 0x414B4946) return t.error = "bad header", t;
    t.capacity = U(b, 6, 2);
    t.keyLength = U(b, 8, 2);
    t.height = U(b, 10, 2);
    t.featureCount = U(b, 24, 4);
    const std::size_t c = t.capacity, k = t.keyLength;
    std::function<void(std::uint32_t, int, bool)> walk = [&](std::uint32_t at, int level,
                                                             bool root) {
        const std::size_t size = level == 0 ? (k + 4) * c : (k + 8) * c + 4;
        if (!t.error.empty()) return;
        if (at < 512 || at + size > b.size()) return void(t.error = "node outside the file");
        std::size_t count = 0;
        while (count < c && U(b, at + k * c + 4 * count, 4) != 0) ++count;
        if (!root && count < c / 2) t.error = "underflow";
        for (std::size_t i = 0; i <= count; ++i) {
            if (level > 0) walk(U(b, at + (k + 4) * c + 4 * i, 4), level - 1, false);
            if (i == count) break;
            const char* key = reinterpret_cast<const char*>(&b[at + k * i]);
            t.entries.push_back({std::string(key, strnlen(key, k)), U(b, at + k * c + 4 * i, 4)});
        }
    };
    if (t.height > 0) walk(U(b, 12, 4), t.height - 1, true);
    for (std::size_t i = 1; i < t.entries.size() && t.error.empty(); ++i) {
        const KifEntry &a = t.entries[i - 1], &e = t.entries[i];
        if (a.key > e.key || (a.key == e.key && a.offset >= e.offset)) t.error = "out of order";
    }
    if (t.error.empty() && t.entries.size() != t.featureCount) t.error = "feature count";
    return t;
}

}  // namespace indexcheck
