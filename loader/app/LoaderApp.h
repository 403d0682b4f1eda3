// The application object: owns everything a run needs (reader, writer,
// settings, reporter, coordinate converters), parses the command line into
// the settings and makes one conversion run.
#pragma once

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>

#include "common/Status.h"
#include "geometry/WkbGeometry.h"
#include "loader/app/ConsoleReporter.h"
#include "loader/app/Factories.h"
#include "loader/core/CoordConverter.h"
#include "loader/core/FeatureWriter.h"
#include "loader/core/LoaderSettings.h"
#include "loader/core/SourceReader.h"

class CFeatureRecord;

// Prints "Operator new failed : out of store" without allocating.
void ReportOutOfStore(std::FILE* console);

class CLoaderApp {
public:
    // `status` receives the result of Init.
    explicit CLoaderApp(Status* status, const LoaderHooks& hooks = {});
    ~CLoaderApp();
    CLoaderApp(const CLoaderApp&) = delete;
    CLoaderApp& operator=(const CLoaderApp&) = delete;

    // Creates the settings and the console reporter.
    Status Init();

    // The console handler's step: the first call prints "Aborting
    // processing..." and raises the abort flag, and returns 1; later calls
    // do nothing and return 0. Safe from any thread.
    int Abort();
    bool IsRunning() const { return running_.load() != 0; }
    bool AbortRequested() const { return abort_.load() != 0; }
    // True while the overwrite prompt waits for its answer: nothing has been
    // written yet, so an abort may end the program at once.
    bool Prompting() const { return prompting_.load() != 0; }
    int HasWarnings() const { return settings_ ? settings_->warnings : 0; }

    // Command line (argv[0] is the program) and switches.
    Status ParseCommandLine(int argc, const char* const* argv, int* usageShown);
    // `text` is a switch without its leading '/' or '-'.
    Status ParseSwitch(const char* text);
    Status ReadSwitchFile();
    // The extension the input name should end in, empty when it does (or the check is off).
    std::string CheckInputExtension() const;

    // The run. Returns its final status; every failure except the user's
    // quit has been reported. An exhausted store ends it as an abort does,
    // with kWlxOutOfMemory.
    Status RunConversion();
    // 1 go on, 0 quit.
    int CheckOverwrite();
    // True when both names lead to one file (or, for files that do not
    // exist yet, to one path).
    static int SameFile(const char* a, const char* b);
    Status CreateReader();
    Status SetupConverters(std::string inputCode, std::string outputCode);
    Status CreateWriter();
    Status ConvertRecord(CFeatureRecord* record);
    Status ConvertGeometry(IWKBGeometry* geometry);
    // 1 when every point is within longitude -180..180 and latitude -90..90.
    int CheckLatLongRange(CFeatureRecord* record);

    // Prints the message of a failure through the reporter.
    Status ReportStatus(Status status);

    CLoaderSettings* Settings() { return settings_.get(); }
    CReporterInterface* Reporter() { return reporter_.get(); }
    int CoordSysNone() const { return coordSysNone_; }
    int LatLongCheckOn() const { return latLongCheck_; }
    bool HasInputConverter() const { return inputConverter_ != nullptr; }
    bool HasOutputConverter() const { return outputConverter_ != nullptr; }

private:
    Status Convert();
    Status ParseTableSwitch(const char* text);
    Status ParseBlocksSwitch(const char* text);
    Status ParseCoordSysSwitch(const char* value);
    void Warn(const std::string& text);
    // Warns once per run when a converter had to fold or clamp a point.
    void WarnFoldedPoints();
    // 0, or positive with a warning for a record with a coordinate that is not
    // a finite number (the run leaves it out).
    Status CheckFinite(CFeatureRecord* record);

    LoaderHooks hooks_;
    std::unique_ptr<CSourceReaderInterface> reader_;
    std::unique_ptr<CWriterBase> writer_;
    std::unique_ptr<CLoaderSettings> settings_;
    std::atomic<int> abort_{0};
    std::atomic<int> running_{0};
    std::atomic<int> prompting_{0};
    int latLongWarned_ = 0;
    int foldedWarned_ = 0;
    int outsideRangeWarned_ = 0;
    int coordSysNone_ = 0;
    int latLongCheck_ = 0;
    std::unique_ptr<CConsoleReporter> reporter_;
    std::unique_ptr<CCoordConverter> inputConverter_;
    std::unique_ptr<CCoordConverter> outputConverter_;
    int switchFileDepth_ = 0;
    // Set once a fault inside a switch file has been given its file and line.
    bool switchFaultNamed_ = false;
};
