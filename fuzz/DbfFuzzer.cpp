// A dBASE table read as the shapefile reader reads it: the header and field
// descriptors, then every record's fields. The table only reads files, so the
// input is written to a scratch file first.
#include <memory>

#include "fuzz/FuzzSupport.h"
#include "loader/core/AttributeTable.h"
#include "loader/core/Win32File.h"
#include "loader/shapefile/DbfTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto file = std::make_shared<CWin32File>(fuzz::WriteScratchFile("table.dbf", {data, size}));
    if (file->OpenRead() != 0) return 0;
    CDbfTable table(file);
    if (table.ReadHeader() != 0) return 0;
    for (std::int32_t i = 0; i < table.GetRecordCount(); ++i) {
        CTableRow* row = new CTableRow;  // deleted by its one holder's Release
        const Status status = table.FillRow("", *row);
        row->Release();
        if (status != 0) break;
        std::string text;
        table.GetValueText("", 0, text);
        table.Advance();
    }
    return 0;
}
