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
constexpr CMessage<> kUsageMessages[] = {
    kMsgUsageInputType,    kMsgUsageKif,       kMsgUsageCoordSys,  kMsgUsageNoCsMetadata,
    kMsgUsageCoordPrec,    kMsgUsageMaxPoints, kMsgUsageType,      kMsgUsageGeneralize,
    kMsgUsageNullName,     kMsgUsageNoTest,    kMsgUsageNoExt,     kMsgUsageWriteAction,
    kMsgUsageFile,         kMsgUsageInfo,      kMsgUsageLayer,     kMsgUsageKey,
    kMsgUsageName,         kMsgUsageLink,      kMsgUsageTable,     kMsgUsageBlocks,
    kMsgUsagePl2Pg,        kMsgUsageCsvType,   kMsgUsageLabels,    kMsgUsageHoles,
    kMsgUsageDecodeBlocks, kMsgUsageIns,       kMsgUsageParameters};

}  // namespace

CConsoleReporter::CConsoleReporter(std::FILE* console, std::FILE* keyboard)
    : console_(console), keyboard_(keyboard), seconds_(MonotonicSeconds) {}

void CConsoleReporter::PrintLine(const char* text) {
    std::lock_guard<CCriticalSection> guard(lock_);
    if (progressShown_) std::fputc('\n', console_);
    progressShown_ = false;
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
    progressShown_ = true;
    std::fflush(console_);
    return 0;
}

int CConsoleReporter::AskOverwrite(const char* fileName, int* answer) {
    std::unique_lock<CCriticalSection> guard(lock_);
    std::fputs(Format(kMsgFileAlreadyExists, fileName).c_str(), console_);
    std::string prompt = LoadMessage(kMsgOverwriteAppendQuit);
    int c = 0;
    do {
        std::fputs(prompt.c_str(), console_);
        std::fflush(console_);
        // Not held while the user thinks: an abort must be able to speak.
        guard.unlock();
        c = std::fgetc(keyboard_);
        guard.lock();
    } while (c != EOF && (c == '\0' || !std::strchr("oaqOQA", c)));
    // The end of input quits: nobody is left to answer.
    int upper = c == EOF ? 'Q' : (c >= 'a' ? c - 'a' + 'A' : c);
    if (answer) *answer = upper == 'A' ? 1 : upper == 'O' ? 0 : 2;
    return 0;
}

int CConsoleReporter::ShowUsage() {
    std::lock_guard<CCriticalSection> guard(lock_);
    std::fputs(LoadMessage(kMsgLoaderBanner).c_str(), console_);
    std::fputs(Format(kMsgSyntaxForVersion, kLoaderFileVersion).c_str(), console_);
    std::fputs("\tWLXCONV", console_);
    for (const auto& message : kUsageMessages) std::fputs(LoadMessage(message).c_str(), console_);
    std::fputs("\tWLXCONV", console_);
    std::fputs(" /IM test.mif test.wlx\n", console_);
    std::fflush(console_);
    return 0;
}

int CConsoleReporter::ShowSummary(const CLoaderSettings* settings) {
    if (!settings) return 0;
    std::lock_guard<CCriticalSection> guard(lock_);
    progressShown_ = false;  // the summary's first line overwrites the progress line
    UserLocale locale;
    std::fputs(Format(kMsgObjectsWritten, static_cast<long>(settings->pointsWritten),
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
        print(Format(kMsgFileDescription, info->GetDescription().c_str()));
    if (!info->GetVersion().empty()) print(Format(kMsgFileVersion, info->GetVersion().c_str()));
    if (info->GetFeatureCount() > 0)
        print(Format(kMsgFeatureCount, static_cast<long>(info->GetFeatureCount())));
    if (info->GetPrecision() != 0) print(Format(kMsgCoordinatePrecision, info->GetPrecision()));
    if (!info->GetCoordSysKey().empty())
        print(Format(kMsgCoordSysKey, info->GetCoordSysKey().c_str()));

    print(LoadMessage(kMsgListingTables));
    const auto& schemas = info->GetSchemaList().GetSchemas();
    if (schemas.empty()) print(LoadMessage(kMsgNoTables));
    for (std::size_t i = 0; i < schemas.size(); ++i) {
        print(Format(kMsgTableEntry, static_cast<int>(i + 1), schemas[i]->GetName().c_str()));
        print(LoadMessage(kMsgListingColumns));
        const auto& columns = schemas[i]->GetColumns();
        for (std::size_t c = 0; c < columns.size(); ++c) {
            print(Format(kMsgColumnEntry, static_cast<int>(c + 1), columns[c].name.c_str(),
                         ColumnTypeText(columns[c]).c_str()));
        }
    }

    print(LoadMessage(kMsgListingLayers));
    const CNamePatternList& layers = info->GetLayers();
    if (layers.IsEmpty()) print(LoadMessage(kMsgNoLayers));
    for (std::size_t i = 0; i < layers.Count(); ++i)
        print(Format(kMsgLayerEntry, static_cast<int>(i + 1), layers.At(i).c_str()));

    print(LoadMessage(kMsgListingBlocks));
    const CNamePatternList& blocks = info->GetBlocks();
    if (blocks.IsEmpty()) print(LoadMessage(kMsgNoBlocks));
    for (std::size_t i = 0; i < blocks.Count(); ++i)
        print(Format(kMsgBlockEntry, static_cast<int>(i + 1), blocks.At(i).c_str()));

    if (const CSpatialIndexInfo* index = info->GetSpatialIndexInfo()) {
        print(LoadMessage(kMsgListingSifInfo));
        if (!index->description.empty())
            print(Format(kMsgSifDescription, index->description.c_str()));
        print(Format(kMsgSifVersion, index->version.c_str()));
        print(Format(kMsgSifFeatureCount, index->featureCount));
        print(Format(kMsgSifPrecision, index->precision));
        int decimals = index->precision == 64 ? 15 : 7;
        print(Format(kMsgSifExtents, decimals, index->extent[0], decimals, index->extent[1],
                     decimals, index->extent[2], decimals, index->extent[3]));
        print(Format(kMsgSifEntriesPerNode, index->maxEntries, index->minEntries));
    }
    std::fflush(console_);
    return 0;
}

int CConsoleReporter::ShowProcessingTime(double seconds) {
    std::lock_guard<CCriticalSection> guard(lock_);
    UserLocale locale;
    std::fputs(Format(kMsgProcessingTime, seconds).c_str(), console_);
    std::fflush(console_);
    return 0;
}
