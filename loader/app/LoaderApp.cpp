#include "loader/app/LoaderApp.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>

#include "loader/core/AttributeTable.h"
#include "loader/core/FeatureRecord.h"
#include "loader/core/FileInfo.h"
#include "loader/core/GeometryExtent.h"
#include "loader/core/GeometryWalk.h"
#include "loader/core/LoaderStrings.h"
#include "loader/core/Messages.h"
#include "loader/core/PointReducer.h"
#include "loader/core/Utf8Text.h"

namespace {

// The latitude/longitude check looks at this many objects at the start of a run.
constexpr std::int32_t kLatLongCheckObjects = 10;

}  // namespace

CLoaderApp::CLoaderApp(Status* status, const LoaderHooks& hooks) : hooks_(hooks) {
    ClearStatusArgs();
    Status result = Init();
    if (status) *status = result;
}

CLoaderApp::~CLoaderApp() {
    reader_.reset();
    writer_.reset();
    settings_.reset();
    reporter_.reset();
    inputConverter_.reset();
    outputConverter_.reset();
    ClearStatusArgs();
}

Status CLoaderApp::Init() {
    settings_ = std::make_unique<CLoaderSettings>();
    reporter_ = std::make_unique<CConsoleReporter>(hooks_.console, hooks_.keyboard);
    return 0;
}

int CLoaderApp::Abort() {
    int expected = 0;
    if (!abort_.compare_exchange_strong(expected, 1)) return 0;
    if (reporter_) reporter_->ShowStatus(LoadMessage(kMsgAbortingProcessing).c_str());
    return 1;
}

void CLoaderApp::Warn(const std::string& text) {
    reporter_->ShowWarning(text.c_str());
    settings_->warnings = 1;
}

Status CLoaderApp::ReportStatus(Status status) {
    if (status >= 0) return 0;
    if (status == kLoaderInputReadError) SetStatusArgs(settings_->inputName.c_str(), nullptr);
    return reporter_->ShowError(StatusMessage(status).c_str());
}

Status CLoaderApp::RunConversion() {
    try {
        return Convert();
    } catch (const std::bad_alloc&) {
        // Deleting the writer then finishes its files as an abort leaves them.
        running_ = 0;
        ReportOutOfStore(hooks_.console);
        return kWlxOutOfMemory;
    }
}

Status CLoaderApp::Convert() {
    running_ = 1;
    Status status = reporter_->BeginRun(settings_.get());
    settings_->reporter = reporter_.get();

    auto finish = [this](Status result) {
        if (result < 0 && result != kCmdUserQuit && result != kLoaderAborted) ReportStatus(result);
        running_ = 0;
        return result;
    };

    if (abort_) return finish(kLoaderAborted);

    if (settings_->info) {
        status = CreateReader();
        if (status == 0) {
            CFileInfo info;
            reporter_->ShowStatus(LoadMessage(kMsgRetrievingFileInfo).c_str());
            status = reader_->GetFileInfo(&info);
            if (status == 0) {
                if (abort_) return finish(kLoaderAborted);
                reporter_->ShowFileInfo(&info);
            }
        }
        return finish(status);
    }

    const std::string& input = settings_->inputName;
    const std::string& output = settings_->outputName;
    if (!input.empty() && !output.empty() && SameFile(input.c_str(), output.c_str())) {
        reporter_->ShowError(LoadMessage(kMsgDuplicateFileName).c_str());
        return finish(kCmdDuplicateFileName);
    }
    if (!CheckOverwrite()) return finish(abort_ ? Status{kLoaderAborted} : Status{kCmdUserQuit});
    if ((status = reporter_->ShowStatus(LoadMessage(kMsgProcessing).c_str())) != 0)
        return finish(status);
    if ((status = CreateReader()) != 0) return finish(status);
    if ((status = SetupConverters(settings_->inputCode, settings_->outputCode)) != 0)
        return finish(status);
    // Creating the writer replaces the old output: not once the run is aborted.
    if (abort_) return finish(kLoaderAborted);
    if ((status = CreateWriter()) != 0) return finish(status);

    CFeatureRecord record;
    CPointReducer reducer(settings_.get(), settings_->maxPoints);
    std::int32_t count = 0;
    if (settings_->generalizePercent != 100.0)
        reporter_->ShowInfo(Format(kMsgGeneralizing, settings_->generalizePercent).c_str());
    auto start = std::chrono::steady_clock::now();

    while (status == 0 && !reader_->AtEnd()) {
        if (abort_) return finish(kLoaderAborted);
        record.Clear();
        // Only the reader's positive status means the end of the input.
        status = reader_->ReadNext(&record);
        if (status == 0) {
            status =
                inputConverter_ || outputConverter_ ? ConvertRecord(&record) : CheckFinite(&record);
            if (settings_->nullNames) record.SetName("");
            // The reducer reports its own warning; a geometry it cannot reduce
            // goes to the writer as it is.
            reducer.Reduce(&record, settings_->generalizePercent);
            if (status == 0 && writer_) {
                if (count < kLatLongCheckObjects && latLongCheck_ && !latLongWarned_ &&
                    !CheckLatLongRange(&record)) {
                    Warn(LoadMessage(kMsgCoordinatesOutOfLatLongRange));
                    latLongWarned_ = 1;
                }
                status = writer_->Write(&record);
            }
            if (status > 0) status = 0;
        }
        ++count;
        reporter_->ShowProgress(count);
    }

    if (status >= 0) status = writer_->Close();
    if (status >= 0) {
        status = reporter_->ShowSummary(settings_.get());
        if (status == 0) {
            std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
            reporter_->ShowProcessingTime(elapsed.count());
        }
    }
    return finish(status);
}

void ReportOutOfStore(std::FILE* console) {
    // The store is exhausted: the text goes through a buffer of its own.
    char text[1024];
    LoadStringA(LoaderModule(), kMsgOperatorNewFailed.Id(), text, sizeof text);
    std::fputs(text, console);
    std::fflush(console);
}

int CLoaderApp::SameFile(const char* a, const char* b) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec) ? 1 : 0;
    // A file that does not exist yet is the same as another only by its path.
    fs::path pathA = fs::absolute(a, ec).lexically_normal();
    fs::path pathB = fs::absolute(b, ec).lexically_normal();
    return pathA == pathB ? 1 : 0;
}

int CLoaderApp::CheckOverwrite() {
    std::error_code ec;
    if (!std::filesystem::exists(settings_->outputName, ec)) return 1;
    int action = settings_->overwriteAction;
    if (action > 0 && action < 128 && std::strchr("oaqOQA", action)) return 1;
    int answer = 2;
    prompting_ = 1;
    reporter_->AskOverwrite(settings_->outputName.c_str(), &answer);
    prompting_ = 0;
    // An abort that came while the prompt waited wins over the answer.
    if (abort_) return 0;
    settings_->overwriteAction = answer == 0 ? 'o' : answer == 1 ? 'a' : 'q';
    return answer == 0 || answer == 1 ? 1 : 0;
}

Status CLoaderApp::CreateReader() {
    reporter_->ShowStatus(LoadMessage(kMsgInitializingReader).c_str());
    const int letter = UpperAscii(settings_->inputType);
    for (const ReaderFactoryEntry& entry : hooks_.readers) {
        if (entry.letter != letter) continue;
        Status status = 0;
        reader_ = entry.construct(settings_.get(), &status);
        if (status == 0 && !reader_) status = kWlxOutOfMemory;
        return status;
    }
    reporter_->ShowError(LoadMessage(kMsgInvalidInputFileType).c_str());
    return kCmdInvalidInputType;
}

Status CLoaderApp::CreateWriter() {
    if (settings_->info) return 0;
    reporter_->ShowStatus(LoadMessage(kMsgInitializingWriter).c_str());
    // The writer keeps what it needs of the reader's table schemas.
    CTableSchemaList schemas;
    if (reader_) {
        if (const Status status = reader_->GetTableSchemas(&schemas)) return status;
    }
    const int letter = UpperAscii(settings_->outputType);
    for (const WriterFactoryEntry& entry : hooks_.writers) {
        if (entry.letter != letter) continue;
        Status status = 0;
        writer_ = entry.construct(settings_.get(), &status, &schemas);
        if (status == 0 && !writer_) status = kWlxOutOfMemory;
        return status;
    }
    return kCmdInvalidOutputType;
}

Status CLoaderApp::SetupConverters(std::string inputCode, std::string outputCode) {
    reporter_->ShowStatus(LoadMessage(kMsgInitializingConverter).c_str());
    if (inputCode.empty()) inputCode = "LL84";
    if (outputCode.empty()) outputCode = "LL84";
    reporter_->ShowStatus(Format(kMsgInputCoordSys, inputCode.c_str()).c_str());
    reporter_->ShowStatus(Format(kMsgOutputCoordSys, outputCode.c_str()).c_str());
    inputConverter_.reset();
    outputConverter_.reset();

    Status status = 0;
    if (!EqualNoCase(inputCode, outputCode)) {
        bool arbitraryXY = StartsWithNoCase(inputCode, "*XY");
        if (arbitraryXY) {
            Warn(Format(kMsgArbitraryXyInput, inputCode.c_str(), outputCode.c_str()));
        } else {
            // A latitude/longitude key gets no converter, but must name a
            // system as any other key does (a file's own system names itself).
            const bool inputDefined = settings_->inputCoordSys != nullptr;
            if (IsLatLongKey(inputCode)
                    ? !inputDefined && hooks_.checkKey(inputCode, *settings_) != 0
                    : hooks_.makeConverter(inputCode, settings_->inputCoordSys.get(), *settings_,
                                           inputConverter_) != 0) {
                inputConverter_.reset();
                SetStatusArgs(inputCode.c_str(), nullptr);
                status = kLoaderCoordSysNotFound;
            }
            if (status == 0 &&
                (IsLatLongKey(outputCode) ? hooks_.checkKey(outputCode, *settings_) != 0
                                          : hooks_.makeConverter(outputCode, nullptr, *settings_,
                                                                 outputConverter_) != 0)) {
                outputConverter_.reset();
                SetStatusArgs(outputCode.c_str(), nullptr);
                status = kLoaderCoordSysNotFound;
            }
            if (status == 0 && !inputConverter_ && !outputConverter_)
                Warn(Format(kMsgLatLongDatumsDiffer, inputCode.c_str(), outputCode.c_str(),
                            outputCode.c_str()));
        }
    }
    if (IsLatLongKey(outputCode) && !coordSysNone_) latLongCheck_ = 1;
    return status;
}

Status CLoaderApp::ConvertRecord(CFeatureRecord* record) {
    ComPtr<IWKBGeometry> geometry;
    record->GetGeometry(geometry.Put());
    Status status = geometry ? ConvertGeometry(geometry.Get()) : 0;
    // A point no system can convert leaves its object out, and says so.
    if (status > 0) Warn(Format(kMsgObjectNotFiniteSkipped, record->GetName(), record->GetKey()));
    WarnFoldedPoints();
    return status;
}

Status CLoaderApp::CheckFinite(CFeatureRecord* record) {
    ComPtr<IWKBGeometry> geometry;
    record->GetGeometry(geometry.Put());
    if (!geometry) return 0;
    // No writer has a number for a NaN or an infinity: as a converter would
    // refuse the point, the object is left out.
    const Status status = VisitGeometryPoints(geometry.Get(), false, [](double& x, double& y) {
        return std::isfinite(x) && std::isfinite(y) ? 0 : 1;
    });
    if (status > 0) Warn(Format(kMsgObjectNotFiniteSkipped, record->GetName(), record->GetKey()));
    return status;
}

void CLoaderApp::WarnFoldedPoints() {
    // The points are still written: their coordinates are the projection's
    // nearest answer, or an answer of lesser accuracy, which the user should
    // know about.
    const CCoordConverter* converters[] = {inputConverter_.get(), outputConverter_.get()};
    const std::string* codes[] = {&settings_->inputCode, &settings_->outputCode};
    for (int i = 0; i < 2 && !foldedWarned_; ++i) {
        if (converters[i] && converters[i]->FoldedPoints() > 0) {
            Warn(Format(kMsgCoordinatesFolded, codes[i]->c_str()));
            foldedWarned_ = 1;
        }
    }
    for (int i = 0; i < 2 && !outsideRangeWarned_; ++i) {
        if (converters[i] && converters[i]->OutsideRangePoints() > 0) {
            Warn(Format(kMsgCoordinatesOutsideUsefulRange, codes[i]->c_str()));
            outsideRangeWarned_ = 1;
        }
    }
}

Status CLoaderApp::ConvertGeometry(IWKBGeometry* geometry) {
    return VisitGeometryPoints(geometry, true, [this](double& x, double& y) -> Status {
        if (inputConverter_) {
            double latitude = 0, longitude = 0;
            if (Status status = inputConverter_->XYToLatLong(x, y, &latitude, &longitude))
                return status;
            x = longitude;
            y = latitude;
        }
        if (outputConverter_) {
            double projectedX = 0, projectedY = 0;
            if (Status status = outputConverter_->LatLongToXY(y, x, &projectedX, &projectedY))
                return status;
            x = projectedX;
            y = projectedY;
        }
        return 0;
    });
}

int CLoaderApp::CheckLatLongRange(CFeatureRecord* record) {
    ComPtr<IWKBGeometry> geometry;
    record->GetGeometry(geometry.Put());
    if (!geometry) return 1;
    CExtent2d extent{1e35, 1e35, -1e35, -1e35};
    ComputeGeometryExtent(extent, geometry.Get());
    const bool outside =
        extent.maxX > 180 || extent.maxY > 90 || extent.minX < -180 || extent.minY < -90;
    return outside ? 0 : 1;
}
