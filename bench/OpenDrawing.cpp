// open_drawing FILE: opens a DXF in the drawing model and prints the time
// taken and the number of model-space entities.
#include <chrono>
#include <cstdio>

#include "readers/drawing/DrawingDatabase.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: open_drawing FILE\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    drawing::CDatabase database;
    if (database.ReadDxfFile(argv[1]) != drawing::EOpenStatus::kOk) {
        std::fprintf(stderr, "%s\n", database.LastError().c_str());
        return 1;
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("%zu entities in %.2f s\n", database.ModelSpace().Entities().size(), took.count());
    return 0;
}
