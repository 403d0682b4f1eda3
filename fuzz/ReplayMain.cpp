// The main of a fuzz target without libFuzzer: runs the target once on every
// file named, and on every file of every directory named, in name order, so
// that the normal test run replays the saved inputs under any compiler.
//
//     fuzz_<target>_replay <file or directory>...
//
// A crash is the failure; an argument that yields no input fails too, since
// an empty corpus proves nothing.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace fs = std::filesystem;

namespace {

bool RunOne(const fs::path& file) {
    // Named first: a crash report then follows the name of its input.
    std::fprintf(stderr, "%s\n", file.c_str());
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
    if (in.bad()) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return false;
    }
    // A buffer of exactly the input's size, so that a read past its end is seen.
    auto copy = std::make_unique<std::uint8_t[]>(bytes.size() + (bytes.empty() ? 1 : 0));
    std::copy(bytes.begin(), bytes.end(), copy.get());
    LLVMFuzzerTestOneInput(copy.get(), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <file or directory>...\n", argv[0]);
        return 2;
    }
    int failures = 0;
    for (int i = 1; i < argc; ++i) {
        std::vector<fs::path> files;
        std::error_code error;
        if (fs::is_directory(argv[i], error)) {
            for (const auto& entry : fs::directory_iterator(argv[i], error))
                if (entry.is_regular_file()) files.push_back(entry.path());
            std::sort(files.begin(), files.end());
        } else if (fs::is_regular_file(argv[i], error)) {
            files.push_back(argv[i]);
        }
        if (files.empty()) {
            std::fprintf(stderr, "%s: no input\n", argv[i]);
            ++failures;
            continue;
        }
        for (const fs::path& file : files) {
            if (!RunOne(file)) ++failures;
        }
        std::printf("%s: %zu inputs ran\n", argv[i], files.size());
    }
    return failures ? 1 : 0;
}
