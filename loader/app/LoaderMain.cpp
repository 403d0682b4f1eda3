#include "loader/app/LoaderMain.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <thread>

#include "coordsys/DictionaryDirectory.h"
#include "coordsys/core/CsCore.h"
#include "loader/app/LoaderApp.h"
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

// An exhausted store where no run can catch it (a destructor, a function
// that throws nothing) still ends the program with its message and 1.
[[noreturn]] void OnTerminate() {
    if (const std::exception_ptr failure = std::current_exception()) {
        try {
            std::rethrow_exception(failure);
        } catch (const std::bad_alloc&) {
            ReportOutOfStore(stdout);
            std::_Exit(1);
        } catch (...) {
        }
    }
    std::abort();
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
        // The prompt may wait for ever and nothing is written yet: end now.
        // The abort flag is up first, so a run that has just left the prompt
        // stops before it writes.
        if (shared.app->Prompting()) std::_Exit(1);
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
    std::set_terminate(OnTerminate);

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
