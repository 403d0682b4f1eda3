// drawing_dump FILE...: lists every entity of each DXF file.
#include <cstdio>

#include "readers/drawing/tests/DrawingDump.h"

int main(int argc, char** argv) {
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        drawing::CDatabase database;
        if (database.ReadDxfFile(argv[i]) != drawing::EOpenStatus::kOk) {
            std::printf("%s: %s\n", argv[i], database.LastError().c_str());
            status = 1;
            continue;
        }
        std::printf("%s", drawingtest::FormatDump(drawingtest::DumpDrawing(database)).c_str());
    }
    return status;
}
