// Times the plug-in reader's attribute lookup: N objects, each looked up by
// its key in a table of N rows that the scene plug-in (libFgnScene.so, beside
// this program) serves, as the run does for /TABLE, /KEY, /NAME and /LINK.
// Beside it, for the smaller tables, the same lookups by a scan of the table
// from its first row, as each lookup once did; both must find the same rows.
//
//   foreign_lookup [N ...]      (default 1000 10000 100000)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "loader/core/Messages.h"
#include "platform/DynamicLibrary.h"
#include "readers/plugin/ForeignTable.h"

namespace {

using Clock = std::chrono::steady_clock;

// The largest table also timed by scanning.
constexpr int kMaxScanned = 10000;

void WriteScene(const std::filesystem::path& file, int rows) {
    std::ofstream out(file);
    out << "TABLE Wells\n  COLUMN Id INT4 KEY\n  COLUMN Name CHAR WIDTH 12\n  COLUMN Depth DBL\n";
    // The rows in the reverse order of the keys looked up.
    for (int i = rows; i >= 1; --i)
        out << "  ROW " << i << " \"well " << i << "\" " << i % 300 << ".5\n";
    out << "ENDTABLE\n";
}

// The row of a key found by walking the table from its first row.
std::vector<std::string> Scan(CFgnReader& reader, const std::string& key) {
    TFgnFmtErr err = kFgnOk;
    reader.RewindTable();
    CFgnTbl* table = reader.GetCurrentTable(err);
    table->RewindRow();
    while (table->DoneRow(err) != kFgnTrue) {
        const auto* values = table->GetCurrentRow(err);
        auto it = values->begin();
        const std::int32_t id = static_cast<const CFgnTblDataInt4*>(*it)->GetData(err);
        if (FormatString("%li", static_cast<long>(id)) == key) {
            const char* name = static_cast<const CFgnTblDataChar*>(*++it)->GetData(err);
            const double depth = static_cast<const CFgnTblDataDbl*>(*++it)->GetData(err);
            return {key, name, FormatString("%f", depth)};
        }
        table->StepRow();
    }
    return {};
}

std::vector<std::string> Lookup(CForeignTable& table, const std::string& key) {
    auto row = MakeCounted<CTableRow>();
    if (table.FillRow(key.c_str(), *row) != 0) return {};
    std::vector<std::string> values;
    for (const auto& value : row->GetValues()) values.push_back(value.GetText());
    return values;
}

double Microseconds(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {1000, 10000, 100000};

    HMODULE module = LoadLibraryA("FgnScene");
    auto create = reinterpret_cast<FgnCreateReaderFn>(GetProcAddress(module, kFgnCreateReaderName));
    auto destroy =
        reinterpret_cast<FgnDestroyReaderFn>(GetProcAddress(module, kFgnDestroyReaderName));
    if (!create || !destroy) {
        std::fprintf(stderr, "libFgnScene.so is not beside this program\n");
        return 1;
    }
    const auto file = std::filesystem::temp_directory_path() / "foreign_lookup.fgn";
    std::mt19937 random(28);
    for (const int n : sizes) {
        WriteScene(file, n);
        CFgnReader* reader = create(file.c_str(), "", kFgnTrue);
        if (!reader || reader->LoadData() != kFgnOk) return 1;
        TFgnFmtErr err = kFgnOk;
        reader->RewindTable();
        CForeignTable table("Wells", reader->GetCurrentTable(err), reader, 0);
        std::vector<std::string> keys;
        for (int i = 1; i <= n; ++i) keys.push_back(std::to_string(i));
        std::shuffle(keys.begin(), keys.end(), random);

        const auto start = Clock::now();
        std::size_t found = 0;
        for (const std::string& key : keys) found += Lookup(table, key).size() == 3;
        const double indexed = Microseconds(Clock::now() - start);
        if (found != keys.size()) {
            std::fprintf(stderr, "%zu of %zu keys found\n", found, keys.size());
            return 1;
        }
        std::printf("%7d objects, %7d rows: indexed %9.1f ms, %7.3f us/object", n, n,
                    indexed / 1000, indexed / n);
        if (n <= kMaxScanned) {
            const auto scanStart = Clock::now();
            bool same = true;
            for (const std::string& key : keys)
                same = same && Scan(*reader, key) == Lookup(table, key);
            const double scanned = Microseconds(Clock::now() - scanStart);
            std::printf("; scanned %9.1f ms, %9.3f us/object%s", scanned / 1000, scanned / n,
                        same ? "" : " (DIFFERENT ROWS)");
            if (!same) return 1;
        }
        std::printf("\n");
        reader->UnloadData();
        destroy(reader);
    }
    std::filesystem::remove(file);
    FreeLibrary(module);
    return 0;
}
