// Writes a large shapefile (.shp, .shx, .dbf) for the conversion benchmarks:
// a grid of points (in row order, or scattered: the same points in an order
// that jumps across the grid, as unsorted data comes), of polygons that each
// hold an exterior ring and a hole, or of polygons of one ring with 20 to 200
// vertices, with three attribute columns.
//
//   make_shapefile points <count> <base name>
//   make_shapefile scattered <count> <base name>
//   make_shapefile polygons <count> <base name>
//   make_shapefile varied <count> <base name>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include "common/ByteOrder.h"

namespace {

class Output {
public:
    explicit Output(const std::string& name) : file_(std::fopen(name.c_str(), "wb")) {
        if (!file_) {
            std::fprintf(stderr, "cannot create %s\n", name.c_str());
            std::exit(1);
        }
        std::setvbuf(file_, nullptr, _IOFBF, 1 << 20);
    }
    ~Output() {
        if (std::fclose(file_) != 0) {
            std::fprintf(stderr, "write failed\n");
            std::exit(1);
        }
    }
    void Bytes(const void* data, std::size_t n) { std::fwrite(data, 1, n, file_); }
    void Byte(std::uint8_t b) { Bytes(&b, 1); }
    void Le32(std::uint32_t v) { Field<byteorder::Endian::kLittle>(v); }
    void Be32(std::uint32_t v) { Field<byteorder::Endian::kBig>(v); }
    void Le16(std::uint16_t v) { Field<byteorder::Endian::kLittle>(v); }
    void F64(double d) { Field<byteorder::Endian::kLittle>(d); }
    void Seek(long offset) { std::fseek(file_, offset, SEEK_SET); }

private:
    template <byteorder::Endian E, class T>
    void Field(T value) {
        std::uint8_t b[sizeof(T)];
        byteorder::Store<E>(value, b);
        Bytes(b, sizeof b);
    }

    std::FILE* file_;
};

struct Box {
    double minX, minY, maxX, maxY;
};

void MainHeader(Output& out, int shapeType, std::uint32_t fileBytes, const Box& box) {
    out.Be32(9994);
    for (int i = 0; i < 5; ++i) out.Be32(0);
    out.Be32(fileBytes / 2);
    out.Le32(1000);
    out.Le32(static_cast<std::uint32_t>(shapeType));
    out.F64(box.minX);
    out.F64(box.minY);
    out.F64(box.maxX);
    out.F64(box.maxY);
    for (int i = 0; i < 4; ++i) out.F64(0);
}

// A square ring of five points (closed), clockwise, at (x, y) with side s.
void Ring(std::vector<double>& xy, double x, double y, double s, bool clockwise) {
    const double cw[5][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}, {0, 0}};
    for (int i = 0; i < 5; ++i) {
        const int k = clockwise ? i : 4 - i;
        xy.push_back(x + cw[k][0] * s);
        xy.push_back(y + cw[k][1] * s);
    }
}

// The vertex count of each varied polygon, 20 to 200 with its closing
// point, from a fixed sequence so that every run makes the same file.
std::vector<std::uint32_t> VertexCounts(long count) {
    std::vector<std::uint32_t> counts(static_cast<std::size_t>(count));
    std::uint32_t state = 12345;
    for (auto& n : counts) {
        state = state * 1664525u + 1013904223u;
        n = 20 + (state >> 8) % 181;
    }
    return counts;
}

// A closed ring of n points (n - 1 corners) around the centre of the cell
// (x, y), its radius wavering so that the polygon is not a regular one.
void StarRing(std::vector<double>& xy, double x, double y, std::uint32_t n) {
    const double kPi = 3.14159265358979323846;
    for (std::uint32_t i = 0; i + 1 < n; ++i) {
        const double angle = -2 * kPi * i / (n - 1);  // clockwise: an outer ring
        const double r = 0.3 + 0.15 * ((i * 7919u) % 11) / 10.0;
        xy.push_back(x + 0.5 + r * std::cos(angle));
        xy.push_back(y + 0.5 + r * std::sin(angle));
    }
    xy.push_back(xy[0]);
    xy.push_back(xy[1]);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 ||
        (std::strcmp(argv[1], "points") != 0 && std::strcmp(argv[1], "scattered") != 0 &&
         std::strcmp(argv[1], "polygons") != 0 && std::strcmp(argv[1], "varied") != 0)) {
        std::fprintf(
            stderr, "usage: make_shapefile points|scattered|polygons|varied <count> <base name>\n");
        return 2;
    }
    const bool scattered = std::strcmp(argv[1], "scattered") == 0;
    const bool varied = std::strcmp(argv[1], "varied") == 0;
    const bool polygons = varied || std::strcmp(argv[1], "polygons") == 0;
    const long count = std::atol(argv[2]);
    const std::string base = argv[3];
    if (count <= 0) return 2;
    const long side = 1000;
    const Box box{0, 0, double(side), double(count / side + 1)};
    // A stride prime to the count visits every cell once, far from the last.
    long stride = 1;
    if (scattered) {
        stride = 7919;
        while (std::gcd(stride, count) != 1) stride += 2;
    }

    // Content per record: points 20 bytes; polygons (2 parts, 10 points)
    // 4 + 32 + 8 + 8 + 160 = 212 bytes; varied polygons (1 part, n points)
    // 4 + 32 + 8 + 4 + 16 n bytes.
    const std::vector<std::uint32_t> vertices =
        varied ? VertexCounts(count) : std::vector<std::uint32_t>();
    auto contentOf = [&](long i) -> std::uint32_t {
        if (varied) return 48 + 16 * vertices[static_cast<std::size_t>(i)];
        return polygons ? 212 : 20;
    };
    std::uint64_t shpTotal = 100;
    for (long i = 0; i < count; ++i) shpTotal += 8 + contentOf(i);
    if (shpTotal > 0x7FFFFFFF) {
        std::fprintf(stderr, "a shapefile holds at most 2 GiB\n");
        return 2;
    }
    const std::uint32_t shpBytes = std::uint32_t(shpTotal);
    const std::uint32_t shxBytes = 100 + std::uint32_t(count) * 8;
    {
        Output shp(base + ".shp");
        Output shx(base + ".shx");
        MainHeader(shp, polygons ? 5 : 1, shpBytes, box);
        MainHeader(shx, polygons ? 5 : 1, shxBytes, box);
        std::uint32_t offset = 100;
        std::vector<double> xy;
        for (long i = 0; i < count; ++i) {
            const long cell =
                static_cast<long>(std::uint64_t(i) * std::uint64_t(stride) % std::uint64_t(count));
            const double x = double(cell % side);
            const double y = double(cell / side);
            const std::uint32_t content = contentOf(i);
            shx.Be32(offset / 2);
            shx.Be32(content / 2);
            shp.Be32(std::uint32_t(i + 1));
            shp.Be32(content / 2);
            if (varied) {
                xy.clear();
                const std::uint32_t n = vertices[static_cast<std::size_t>(i)];
                StarRing(xy, x, y, n);
                Box b{xy[0], xy[1], xy[0], xy[1]};
                for (std::size_t k = 0; k < xy.size(); k += 2) {
                    b.minX = std::min(b.minX, xy[k]);
                    b.maxX = std::max(b.maxX, xy[k]);
                    b.minY = std::min(b.minY, xy[k + 1]);
                    b.maxY = std::max(b.maxY, xy[k + 1]);
                }
                shp.Le32(5);
                shp.F64(b.minX);
                shp.F64(b.minY);
                shp.F64(b.maxX);
                shp.F64(b.maxY);
                shp.Le32(1);
                shp.Le32(n);
                shp.Le32(0);
                for (double v : xy) shp.F64(v);
            } else if (!polygons) {
                shp.Le32(1);
                shp.F64(x + 0.5);
                shp.F64(y + 0.5);
            } else {
                xy.clear();
                Ring(xy, x + 0.1, y + 0.1, 0.8, true);
                Ring(xy, x + 0.4, y + 0.4, 0.2, false);
                shp.Le32(5);
                shp.F64(x + 0.1);
                shp.F64(y + 0.1);
                shp.F64(x + 0.9);
                shp.F64(y + 0.9);
                shp.Le32(2);
                shp.Le32(10);
                shp.Le32(0);
                shp.Le32(5);
                for (double v : xy) shp.F64(v);
            }
            offset += 8 + content;
        }
    }
    {
        // ID N(10), NAME C(20), VALUE N(12,3)
        Output dbf(base + ".dbf");
        const std::uint16_t recordLength = 1 + 10 + 20 + 12;
        dbf.Byte(3);
        dbf.Byte(124);
        dbf.Byte(1);
        dbf.Byte(1);
        dbf.Le32(std::uint32_t(count));
        dbf.Le16(32 + 3 * 32 + 1);
        dbf.Le16(recordLength);
        for (int i = 0; i < 20; ++i) dbf.Byte(0);
        const struct {
            const char* name;
            char type;
            std::uint8_t width, decimals;
        } fields[] = {{"ID", 'N', 10, 0}, {"NAME", 'C', 20, 0}, {"VALUE", 'N', 12, 3}};
        for (const auto& f : fields) {
            char name[11] = {};
            std::strncpy(name, f.name, sizeof name - 1);
            dbf.Bytes(name, 11);
            dbf.Byte(std::uint8_t(f.type));
            dbf.Le32(0);
            dbf.Byte(f.width);
            dbf.Byte(f.decimals);
            for (int i = 0; i < 14; ++i) dbf.Byte(0);
        }
        dbf.Byte(0x0D);
        char record[64];
        for (long i = 0; i < count; ++i) {
            std::snprintf(record, sizeof record, " %10ld%-20s%12.3f", i + 1,
                          (std::string("Feature ") + std::to_string(i + 1)).c_str(), i * 0.25);
            dbf.Bytes(record, recordLength);
        }
        dbf.Byte(0x1A);
    }
    std::printf("%s.shp: %ld %s\n", base.c_str(), count,
                varied     ? "polygons of 20 to 200 vertices"
                : polygons ? "polygons"
                           : "points");
    return 0;
}
