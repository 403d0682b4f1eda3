// A MIF file and its MID table read from memory as the reader reads them:
// the header, every object, and each object's row. The input is the MIF
// text, then a NUL byte and the MID text (none: no rows).
#include <memory>

#include "fuzz/FuzzSupport.h"
#include "loader/core/AttributeTable.h"
#include "loader/mif/MifParser.h"
#include "loader/mif/MifReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::AsText(data, size);
    const std::size_t split = input.find('\0');
    CMemoryLineSource mif{std::string(input.substr(0, split))};
    auto mid = std::make_shared<CMemoryLineSource>(
        split == std::string_view::npos ? std::string() : std::string(input.substr(split + 1)));

    MifHeader header;
    if (ReadMifHeader(mif, header) != 0) return 0;
    CMidTable table(mid, header);
    MifObject object;
    while (ReadMifObject(mif, object) == 0) {
        CTableRow* row = new CTableRow;  // deleted by its one holder's Release
        table.FillRow("", *row);
        row->Release();
        if (table.SkipRow() != 0) break;
        object = MifObject{};
    }
    return 0;
}
