// make_dxf SIZE_MB FILE: writes an ASCII DXF (AC1015) of about SIZE_MB
// megabytes: layers, one block, and model space filled with lines, circles,
// arcs, texts, lightweight polylines of 12 vertices and block references.
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Group(std::FILE* out, int code, const std::string& value) {
    std::fprintf(out, "%3d\n%s\n", code, value.c_str());
}

void Real(std::FILE* out, int code, double value) {
    std::fprintf(out, "%3d\n%.15g\n", code, value);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_dxf SIZE_MB FILE\n");
        return 2;
    }
    const long target = std::atol(argv[1]) * 1000000L;
    std::FILE* out = std::fopen(argv[2], "w");
    if (out == nullptr) return 1;
    Group(out, 0, "SECTION"), Group(out, 2, "HEADER");
    Group(out, 9, "$ACADVER"), Group(out, 1, "AC1015");
    Group(out, 9, "$DWGCODEPAGE"), Group(out, 3, "ANSI_1252");
    Group(out, 0, "ENDSEC");
    Group(out, 0, "SECTION"), Group(out, 2, "TABLES"), Group(out, 0, "TABLE"),
        Group(out, 2, "LAYER");
    for (int i = 0; i < 20; ++i) {
        Group(out, 0, "LAYER"), Group(out, 2, "Layer" + std::to_string(i));
        Group(out, 70, "0"), Group(out, 62, std::to_string(1 + i));
    }
    Group(out, 0, "ENDTAB"), Group(out, 0, "ENDSEC");
    Group(out, 0, "SECTION"), Group(out, 2, "BLOCKS");
    Group(out, 0, "BLOCK"), Group(out, 2, "MARK"), Group(out, 70, "0");
    Real(out, 10, 0), Real(out, 20, 0), Real(out, 30, 0);
    Group(out, 0, "LINE"), Group(out, 8, "0");
    Real(out, 10, -1), Real(out, 20, 0), Real(out, 30, 0), Real(out, 11, 1), Real(out, 21, 0),
        Real(out, 31, 0);
    Group(out, 0, "CIRCLE"), Group(out, 8, "0"), Real(out, 10, 0), Real(out, 20, 0),
        Real(out, 30, 0);
    Real(out, 40, 0.5);
    Group(out, 0, "ENDBLK"), Group(out, 0, "ENDSEC");
    Group(out, 0, "SECTION"), Group(out, 2, "ENTITIES");
    unsigned long handle = 0x100;
    char text[32];
    for (long i = 0; std::ftell(out) < target; ++i) {
        const double x = 1000.0 + (i % 1000) * 1.25;
        const double y = 2000.0 + (i / 1000) * 0.75;
        const std::string layer = "Layer" + std::to_string(i % 20);
        auto begin = [&](const char* kind) {
            Group(out, 0, kind);
            std::snprintf(text, sizeof text, "%lX", handle++);
            Group(out, 5, text);
            Group(out, 8, layer);
        };
        switch (i % 6) {
            case 0:
                begin("LINE");
                Real(out, 10, x), Real(out, 20, y), Real(out, 30, 0);
                Real(out, 11, x + 3.5), Real(out, 21, y + 1.25), Real(out, 31, 0);
                break;
            case 1:
                begin("CIRCLE");
                Real(out, 10, x), Real(out, 20, y), Real(out, 30, 0), Real(out, 40, 2.5);
                break;
            case 2:
                begin("ARC");
                Real(out, 10, x), Real(out, 20, y), Real(out, 30, 0), Real(out, 40, 1.5);
                Real(out, 50, 15), Real(out, 51, 195);
                break;
            case 3:
                begin("TEXT");
                Real(out, 10, x), Real(out, 20, y), Real(out, 30, 0), Real(out, 40, 2);
                Group(out, 1, "Label " + std::to_string(i)), Real(out, 50, 30);
                break;
            case 4:
                begin("LWPOLYLINE");
                Group(out, 90, "12"), Group(out, 70, "0");
                for (int v = 0; v < 12; ++v) {
                    Real(out, 10, x + v * 0.5), Real(out, 20, y + (v % 3) * 0.25);
                }
                break;
            default:
                begin("INSERT");
                Group(out, 2, "MARK");
                Real(out, 10, x), Real(out, 20, y), Real(out, 30, 0), Real(out, 50, 45);
                break;
        }
    }
    Group(out, 0, "ENDSEC"), Group(out, 0, "EOF");
    return std::fclose(out) == 0 ? 0 : 1;
}
