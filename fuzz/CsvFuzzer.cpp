// CSV lines read from memory both ways the reader reads them: one point per
// line, and runs of lines grouped into lines or polygons.
#include "fuzz/FuzzSupport.h"
#include "loader/csv/CsvParser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(fuzz::AsText(data, size));
    {
        CMemoryLineSource source{text};
        CCsvParser parser(source);
        CsvLine line;
        while (parser.ReadPoint(line) == 0) {
        }
    }
    CMemoryLineSource source{text};
    CCsvParser parser(source);
    CsvGroup group;
    while (parser.ReadGroup(group) == 0) {
    }
    // Read again from the start, as a rewound reader does.
    if (source.Seek(0) == 0) {
        parser.Reset();
        parser.ReadGroup(group);
    }
    return 0;
}
