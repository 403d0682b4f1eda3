#include "loader/app/ConsoleReporter.h"

#include <chrono>
#include <clocale>
#include <cstring>
#include <mutex>

#include "loader/core/FileInfo.h"
#include "loader/core/LoaderSettings.h"
#include "loader/core/Messages.h"

namespace {

// Numbers in the reporter's own messages follow the user's locale; everything
// else in the program stays in the "C" locale.
class UserLocale {
public:
    UserLocale() { std::setlocale(LC_ALL, ""); }
    ~UserLocale() { std::setlocale(LC_ALL, "C"); }
    UserLocale(const UserLocale&) = delete;
    UserLocale& operator=(const UserLocale&) = delete;
};

// A column's type as /INFO lists it.
std::string ColumnTypeText(const CColumnDef& column) {
    switch (column.type) {
        case kColumnText:
            return "VARCHAR (" + std::to_string(column.width) + ")";
        case kColumnInt:
        case kColumnLong:
            return "INT";
        case kColumnDouble:
            return "FLOAT";
        default:
            return "";
    }
}

std::int64_t MonotonicSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The usage text's messages after the syntax line, in their order.
constexpr int kUsageMessages[] = {32020, 32021, 32022, 32046, 32023, 32024, 32025, 32026, 32027,
                                  32028, 32041, 32029, 32045, 32031, 32030, 32033, 32034, 32035,
                                  32044, 32043, 32042, 32036, 32038, 32039, 32037, 32032, 32040};

}  // namespace

CConsoleReporter::CConsoleReporter(std::FILE* console, std::FILE* keyboard)
    : console_(console), keyboard_(keyboard), seconds_(MonotonicSeconds) {}

void CConsoleReporter::PrintLine(const char* text) {
    std::lock_guard<CCriticalSection> guard(lock_);
    std::fprintf(console_, "%s\n", text ? text : "");
    std::fflush(console_);
}

int CConsoleReporter::ShowError(const char* text) {
    PrintLine(text);
    return 0;
}

int CConsoleReporter::ShowWarning(const char* text) {
    PrintLine(text);
    return 0;
}

int CConsoleReporter::ShowInfo(const char* text) {
    PrintLine(text);
    return 0;
}

int CConsoleReporter::ShowStatus(const char* text) {
    PrintLine(text);
    return 0;
}

int CConsoleReporter::SetProgressRange(std::int32_t first, std::int32_t last) {
    progressTotal_ = last - first;
    return 0;
}

int CConsoleReporter::ShowProgress(std::int32_t count) {
    std::lock_guard<CCriticalSection> guard(lock_);
    std::int64_t now = seconds_();
    if (lastProgressSecond_ && now <= *lastProgressSecond_ && count % 100 != 0) return 0;
    lastProgressSecond_ = now;
    // No locale switch: "%i" prints the same in every locale, and this runs
    // every hundred objects.
    if (progressTotal_ != 0) {
        std::fprintf(console_, "Processed %i of %i Entities\r", static_cast<int>(count),
                     static_cast<int>(progressTotal_));
    } else {
        std::fprintf(console_, "Number of Entities Processed: %i\r", static_cast<int>(count));
    }
    std::fflush(console_);
    return 0;
}

int CConsoleReporter::AskOverwrite(const char* fileName, int* answer) {
    std::lock_guard<CCriticalSection> guard(lock_);
    std::fputs(FormatString(LoadMessage(32005).c_str(), fileName).c_str(), console_);
    std::string prompt = LoadMessage(32004);
    int c = 0;
    do {
        std::fputs(prompt.c_str(), console_);
        std::fflush(console_);
        c = std::fgetc(keyboard_);
    } while (c != EOF && (c == '\0' || !std::strchr("oaqOQA", c)));
    // The end of input quits: nobody is left to answer.
    int upper = c == EOF ? 'Q' : (c >= 'a' ? c - 'a' + 'A' : c);
    if (answer) *answer = upper == 'A' ? 1 : upper == 'O' ? 0 : 2;
    return 0;
}

int CConsoleReporter::ShowUsage() {
    std::lock_guard<CCriticalSection> guard(lock_);
    std::fputs(LoadMessage(32016).c_str(), console_);
    std::fputs(FormatString(LoadMessage(32001).c_str(), kLoaderFileVersion).c_str(), console_);
    std::fputs("\tWLXCONV", console_);
    for (int id : kUsageMessages) std::fputs(LoadMessage(id).c_str(), console_);
    std::fputs("\tWLXCONV", console_);
    std::fputs(" /IM test.mif test.wlx\n", console_);
    std::fflush(console_);
    return 0;
}

int CConsoleReporter::ShowSummary(const CLoaderSettings* settings) {
    if (!settings) return 0;
    std::lock_guard<CCriticalSection> guard(lock_);
    UserLocale locale;
    std::fputs(FormatString(LoadMessage(32015).c_str(), static_cast<long>(settings->pointsWritten),
                            static_cast<long>(settings->polylinesWritten),
                            static_cast<long>(settings->polypolylinesWritten),
                            static_cast<long>(settings->polygonsWritten),
                            static_cast<long>(settings->polypolygonsWritten),
                            static_cast<long>(settings->totalWritten),
                            static_cast<long>(settings->metafilesCreated))
                   .c_str(),
               console_);
    std::fflush(console_);
    return 0;
}

int CConsoleReporter::BeginRun(const CLoaderSettings*) {
    return 0;
}

int CConsoleReporter::ShowFileInfo(const CFileInfo* info) {
    if (!info) return 0;
    std::lock_guard<CCriticalSection> guard(lock_);
    UserLocale locale;
    auto print = [this](const std::string& text) { std::fputs(text.c_str(), console_); };

    if (!info->GetDescription().empty())
        print(FormatString(LoadMessage(50080).c_str(), info->GetDescription().c_str()));
    if (!info->GetVersion().empty())
        print(FormatString(LoadMessage(50081).c_str(), info->GetVersion().c_str()));
    if (info->GetFeatureCount() > 0)
        print(FormatString(LoadMessage(50075).c_str(), static_cast<long>(info->GetFeatureCount())));
    if (info->GetPrecision() != 0)
        print(FormatString(LoadMessage(50076).c_str(), info->GetPrecision()));
    if (!info->GetCoordSysKey().empty())
        print(FormatString(LoadMessage(50090).c_str(), info->GetCoordSysKey().c_str()));

    print(LoadMessage(50053));
    const auto& schemas = info->GetSchemaList().GetSchemas();
    if (schemas.empty()) print(LoadMessage(50054));
    for (std::size_t i = 0; i < schemas.size(); ++i) {
        print(FormatString(LoadMessage(50070).c_str(), static_cast<int>(i + 1),
                           schemas[i]->GetName().c_str()));
        print(LoadMessage(50058));
        const auto& columns = schemas[i]->GetColumns();
        for (std::size_t c = 0; c < columns.size(); ++c) {
            print(FormatString(LoadMessage(50051).c_str(), static_cast<int>(c + 1),
                               columns[c].name.c_str(), ColumnTypeText(columns[c]).c_str()));
        }
    }

    print(LoadMessage(50052));
    const CNamePatternList& layers = info->GetLayers();
    if (layers.IsEmpty()) print(LoadMessage(50067));
    for (std::size_t i = 0; i < layers.Count(); ++i)
        print(FormatString(LoadMessage(50056).c_str(), static_cast<int>(i + 1),
                           layers.At(i).c_str()));

    print(LoadMessage(50072));
    const CNamePatternList& blocks = info->GetBlocks();
    if (blocks.IsEmpty()) print(LoadMessage(50074));
    for (std::size_t i = 0; i < blocks.Count(); ++i)
        print(FormatString(LoadMessage(50073).c_str(), static_cast<int>(i + 1),
                           blocks.At(i).c_str()));

    if (const CSpatialIndexInfo* index = info->GetSpatialIndexInfo()) {
        print(LoadMessage(50088));
        if (!index->description.empty())
            print(FormatString(LoadMessage(50083).c_str(), index->description.c_str()));
        print(FormatString(LoadMessage(50082).c_str(), index->version.c_str()));
        print(FormatString(LoadMessage(50087).c_str(), index->featureCount));
        print(FormatString(LoadMessage(50085).c_str(), index->precision));
        int decimals = index->precision == 64 ? 15 : 7;
        print(FormatString(LoadMessage(50084).c_str(), decimals, index->extent[0], decimals,
                           index->extent[1], decimals, index->extent[2], decimals,
                           index->extent[3]));
        print(FormatString(LoadMessage(50086).c_str(), index->maxEntries, index->minEntries));
    }
    std::fflush(console_);
    return 0;
}

int CConsoleReporter::ShowProcessingTime(double seconds) {
    std::lock_guard<CCriticalSection> guard(lock_);
    UserLocale locale;
    std::fputs(FormatString(LoadMessage(50091).c_str(), seconds).c_str(), console_);
    std::fflush(console_);
    return 0;
}
