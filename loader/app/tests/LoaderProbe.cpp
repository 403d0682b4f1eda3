// wlxconv with test doubles: input type N reads a scenario file instead of
// map data, output type O counts what it is given. The scenario holds
// name=value pairs:
//   objects=N        objects to give (default 0)
//   delay_ms=N       pause before each object
//   abort_at=N       raise Ctrl+C before object N (0-based)
//   abort_events=N   how many times (default 1)
//   fail_at=N        the read of object N fails with kLoaderInputReadError
//   end_status=N     the status of the read after the last object (default: none, AtEnd stops)
//   writer_status_at=N  the writer answers 1 (not a failure, not the end) for object N
//   exhaust_store_at=N  from object N on, every allocation with new fails
//   abort_on_open=1  raise Ctrl+C while the reader is created, after the
//                    overwrite prompt and before the writer exists
// Input type F reads BNA through the real reader, but the read of object
// $WLXPROBE_BAD_ALLOC_AT throws std::bad_alloc. The real writers and the
// other real readers are there too.
// After the run the coordinate-system library's dictionary directory is
// printed on standard error.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <new>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "coordsys/core/CsCore.h"
#include "loader/app/LoaderMain.h"
#include "loader/core/FeatureRecord.h"
#include "loader/core/LoaderSettings.h"
#include "platform/ConsoleControl.h"

namespace {

// Set to make every allocation with new fail, as when the store is exhausted.
bool storeExhausted = false;

}  // namespace

void* operator new(std::size_t size) {
    for (;;) {
        if (void* block = storeExhausted ? nullptr : std::malloc(size ? size : 1)) return block;
        std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

// Every other form goes through the one above, so that each block the
// libraries allocate meets the matching delete.
void* operator new[](std::size_t size) {
    return operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return operator new(size, std::nothrow);
}

// The blocks of the replaced new are the C runtime's: free is their match.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

void operator delete[](void* block) noexcept {
    std::free(block);
}

void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}
#pragma GCC diagnostic pop

namespace {

std::map<std::string, long> ReadScenario(const std::string& file) {
    std::map<std::string, long> values;
    std::ifstream in(file);
    std::string word;
    while (in >> word) {
        auto eq = word.find('=');
        if (eq != std::string::npos)
            values[word.substr(0, eq)] = std::strtol(word.c_str() + eq + 1, nullptr, 10);
    }
    return values;
}

long Get(const std::map<std::string, long>& values, const char* name, long fallback) {
    auto it = values.find(name);
    return it == values.end() ? fallback : it->second;
}

class ScenarioReader : public CSourceReaderInterface {
public:
    explicit ScenarioReader(CLoaderSettings* settings)
        : values_(ReadScenario(settings->inputName)) {
        if (Get(values_, "abort_on_open", 0)) {
            GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        }
    }
    Status Rewind() override {
        next_ = 0;
        return 0;
    }
    Status ReadNext(CFeatureRecord* record) override {
        if (next_ >= Get(values_, "objects", 0))
            return static_cast<Status>(Get(values_, "end_status", kWlxEndOfData));
        if (next_ == Get(values_, "abort_at", -1)) {
            long events = Get(values_, "abort_events", 1);
            for (long i = 0; i < events; ++i) GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
            // Let every event reach the handler while the run is alive: one
            // that arrives after `main` has removed it ends the process.
            if (events > 1) std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(Get(values_, "delay_ms", 0)));
        if (next_ == Get(values_, "fail_at", -1)) return kLoaderInputReadError;
        if (next_ == Get(values_, "exhaust_store_at", -1)) {
            storeExhausted = true;
            delete new std::string(64, 'x');
        }
        record->SetName("object " + std::to_string(next_));
        ++next_;
        return 0;
    }
    int AtEnd() override {
        return !values_.count("end_status") && next_ >= Get(values_, "objects", 0);
    }
    Status GetTableSchemas(CTableSchemaList*) override { return 0; }
    Status GetFileInfo(CFileInfo*) override { return kLoaderInfoNotApplicable; }

private:
    std::map<std::string, long> values_;
    long next_ = 0;
};

// The BNA reader whose read of one object finds the store exhausted.
class FailingReader : public CSourceReaderInterface {
public:
    explicit FailingReader(std::unique_ptr<CSourceReaderInterface> reader)
        : reader_(std::move(reader)), failAt_(FailAt()) {}
    Status Rewind() override { return reader_->Rewind(); }
    Status ReadNext(CFeatureRecord* record) override {
        if (read_++ == failAt_) throw std::bad_alloc();
        return reader_->ReadNext(record);
    }
    int AtEnd() override { return reader_->AtEnd(); }
    Status GetTableSchemas(CTableSchemaList* schemas) override {
        return reader_->GetTableSchemas(schemas);
    }
    Status GetFileInfo(CFileInfo* info) override { return reader_->GetFileInfo(info); }

private:
    static long FailAt() {
        const char* text = std::getenv("WLXPROBE_BAD_ALLOC_AT");
        return text ? std::strtol(text, nullptr, 10) : -1;
    }
    std::unique_ptr<CSourceReaderInterface> reader_;
    long failAt_;
    long read_ = 0;
};

class CountingWriter : public CWriterBase {
public:
    CountingWriter(CLoaderSettings* settings, Status* status, CTableSchemaList* schemas)
        : CWriterBase(settings, status, schemas), values_(ReadScenario(settings->inputName)) {}
    Status Write(CFeatureRecord*) override {
        ++settings_->pointsWritten;
        ++settings_->totalWritten;
        return written_++ == Get(values_, "writer_status_at", -1) ? 1 : 0;
    }
    Status Close() override { return 0; }

private:
    std::map<std::string, long> values_;
    long written_ = 0;
};

std::unique_ptr<CSourceReaderInterface> MakeReader(CLoaderSettings* settings, Status* status) {
    *status = 0;
    return std::make_unique<ScenarioReader>(settings);
}

std::unique_ptr<CWriterBase> MakeWriter(CLoaderSettings* settings, Status* status,
                                        CTableSchemaList* schemas) {
    return std::make_unique<CountingWriter>(settings, status, schemas);
}

ReaderConstructor RealReader(char letter) {
    for (const ReaderFactoryEntry& entry : BuiltInReaders())
        if (entry.letter == letter) return entry.construct;
    return nullptr;
}

std::unique_ptr<CSourceReaderInterface> MakeFailingReader(CLoaderSettings* settings,
                                                          Status* status) {
    auto reader = RealReader('B')(settings, status);
    if (*status != 0) return reader;
    return std::make_unique<FailingReader>(std::move(reader));
}

}  // namespace

int main(int argc, char** argv) {
    // The doubles first: the first entry of a letter is taken.
    std::vector<ReaderFactoryEntry> readers{{'N', MakeReader}, {'F', MakeFailingReader}};
    std::vector<WriterFactoryEntry> writers{{'O', MakeWriter}};
    readers.insert(readers.end(), BuiltInReaders().begin(), BuiltInReaders().end());
    writers.insert(writers.end(), BuiltInWriters().begin(), BuiltInWriters().end());
    LoaderHooks hooks;
    hooks.readers = readers;
    hooks.writers = writers;
    int code = RunLoader(argc, argv, hooks);
    std::fprintf(stderr, "dictionary directory: %s\n", CS_dictionaryDirectory());
    return code;
}
