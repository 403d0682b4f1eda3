#include "loader/app/LoaderMain.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <new>
#include <thread>

#include "coordsys/DictionaryDirectory.h"
#include "coordsys/core/CsCore.h"
#include "loader/app/LoaderApp.h"
#include "loader/core/LoaderStrings.h"
#include "loader/core/MessageIds.h"
#include "platform/ComRuntime.h"
#include "platform/ConsoleControl.h"
#include "platform/CriticalSection.h"

namespace {

// What the console handler's thread shares with `main`. Never destroyed: the
// handler may still be running while the process ends.
struct Shared {
    // Held by `main` from the start of the run until the application object is deleted.
    CCriticalSection runLock;
    // Guards `app`: the handler uses the object only while holding it, and
    // `main` deletes the object only while holding it.
    CCriticalSection appLock;
    CLoaderApp* app = nullptr;
    // Set when the run was still going two seconds after an abort.
    std::atomic<bool> forcedExit{false};
};

Shared& TheShared() {
    static Shared& shared = *new Shared;
    return shared;
}

constexpr auto kAbortGrace = std::chrono::milliseconds(2000);
constexpr int kMessageBufferSize = 4096;

// Runs when the store is exhausted, so it allocates nothing: an allocation
// here would fail and call it again, without end.
void OnNewFailure() {
    char text[kMessageBufferSize];
    LoadStringA(LoaderModule(), kMsgOperatorNewFailed.Id(), text, sizeof text);
    std::printf("%s", text);
    std::exit(1);
}

void DeleteApplication(std::unique_ptr<CLoaderApp>& app) {
    std::lock_guard<CCriticalSection> guard(TheShared().appLock);
    TheShared().app = nullptr;
    app.reset();
}

}  // namespace

void PublishApplication(CLoaderApp* app) {
    std::lock_guard<CCriticalSection> guard(TheShared().appLock);
    TheShared().app = app;
}

int OnConsoleCtrl(std::uint32_t) {
    Shared& shared = TheShared();
    int first = 0;
    {
        std::lock_guard<CCriticalSection> guard(shared.appLock);
        if (!shared.app) return 0;
        first = shared.app->Abort();
    }
    if (first) std::this_thread::sleep_for(kAbortGrace);
    {
        std::lock_guard<CCriticalSection> guard(shared.appLock);
        if (!shared.app || !shared.app->IsRunning()) return 1;
        shared.forcedExit = true;
    }
    // `main` ends the run, deletes the application object and then ends with
    // exit code 1; this thread only waits for that.
    std::lock_guard<CCriticalSection> wait(shared.runLock);
    return 1;
}

int RunLoader(int argc, const char* const* argv, const LoaderHooks& hooks) {
    Shared& shared = TheShared();
    CoInitialize();
    std::set_new_handler(OnNewFailure);

    Status status = 0;
    int warnings = 0;
    auto app = std::make_unique<CLoaderApp>(&status, hooks);
    PublishApplication(app.get());
    if (status >= 0) {
        int usageShown = 0;
        status = app->ParseCommandLine(argc, argv, &usageShown);
        if (status < 0) {
            app->ReportStatus(status);
        } else if (!usageShown) {
            CS_setDictionaryDirectory(ResolveDictionaryDirectory().c_str());
            SetConsoleCtrlHandler(OnConsoleCtrl, 1);
            {
                std::lock_guard<CCriticalSection> run(shared.runLock);
                status = app->RunConversion();
                warnings = app->HasWarnings();
                DeleteApplication(app);
            }
            SetConsoleCtrlHandler(OnConsoleCtrl, 0);
        }
    }
    if (app) DeleteApplication(app);
    CoUninitialize();

    if (status < 0 || shared.forcedExit) return 1;
    return warnings ? -1 : 0;
}
