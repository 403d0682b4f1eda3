#include "testing/TestSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <stdexcept>

namespace wlxtest {
namespace fs = std::filesystem;

namespace {

void ThrowErrno(const char* what) {
    throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

std::vector<std::string> Environment(const RunOptions& options) {
    // The test's variables win over the inherited ones; the machine's
    // registry and dictionary directory stay out unless the test names them.
    std::map<std::string, std::string> variables;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const auto eq = entry.find('=');
        if (eq != std::string::npos) variables[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    variables.erase("CS_KORE_DIR");
    variables["WLXCONV_REGISTRY"] = "/nonexistent/wlxtest/registry.reg";
    variables["LC_ALL"] = "C";
    for (const auto& [k, v] : options.environment) variables[k] = v;
    std::vector<std::string> strings;
    for (const auto& [k, v] : variables) strings.push_back(k + "=" + v);
    return strings;
}

}  // namespace

ProcessResult Run(const fs::path& program, const std::vector<std::string>& args,
                  const RunOptions& options) {
    int in[2], out[2], err[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) ThrowErrno("pipe");

    std::vector<std::string> env_strings = Environment(options);
    std::vector<char*> envp;
    for (auto& s : env_strings) envp.push_back(s.data());
    envp.push_back(nullptr);

    std::vector<std::string> argv_strings{program.string()};
    argv_strings.insert(argv_strings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& s : argv_strings) argv.push_back(s.data());
    argv.push_back(nullptr);

    pid_t pid = fork();
    if (pid < 0) ThrowErrno("fork");
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
        if (!options.workingDirectory.empty() && chdir(options.workingDirectory.c_str()) != 0)
            _exit(127);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);

    // Feed standard input while draining both outputs, so no side can block.
    std::size_t written = 0;
    int in_fd = in[1];
    if (options.input.empty()) {
        close(in_fd);
        in_fd = -1;
    } else {
        fcntl(in_fd, F_SETFL, O_NONBLOCK);
    }
    ProcessResult result;
    int fds[2] = {out[0], err[0]};
    std::string* sinks[2] = {&result.out, &result.err};
    int open_count = 2;
    while (open_count > 0) {
        pollfd p[3];
        int n = 0;
        for (int i = 0; i < 2; ++i)
            if (fds[i] >= 0) p[n++] = {fds[i], POLLIN, 0};
        if (in_fd >= 0) p[n++] = {in_fd, POLLOUT, 0};
        if (poll(p, n, -1) < 0) {
            if (errno == EINTR) continue;
            ThrowErrno("poll");
        }
        for (int k = 0; k < n; ++k) {
            if (!p[k].revents) continue;
            if (p[k].fd == in_fd) {
                ssize_t w =
                    write(in_fd, options.input.data() + written, options.input.size() - written);
                if (w > 0) written += static_cast<std::size_t>(w);
                if (w < 0 || written == options.input.size()) {
                    close(in_fd);
                    in_fd = -1;
                }
                continue;
            }
            for (int i = 0; i < 2; ++i) {
                if (p[k].fd != fds[i]) continue;
                char buf[65536];
                ssize_t r = read(fds[i], buf, sizeof buf);
                if (r > 0) {
                    sinks[i]->append(buf, static_cast<std::size_t>(r));
                } else if (r == 0 || errno != EINTR) {
                    close(fds[i]);
                    fds[i] = -1;
                    --open_count;
                }
            }
        }
    }
    if (in_fd >= 0) close(in_fd);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) ThrowErrno("waitpid");
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

RunningProgram::RunningProgram(const fs::path& program, const std::vector<std::string>& args,
                               const RunOptions& options) {
    int in[2], out[2], err[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) ThrowErrno("pipe");
    std::vector<std::string> env_strings = Environment(options);
    std::vector<char*> envp;
    for (auto& s : env_strings) envp.push_back(s.data());
    envp.push_back(nullptr);
    std::vector<std::string> argv_strings{program.string()};
    argv_strings.insert(argv_strings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& s : argv_strings) argv.push_back(s.data());
    argv.push_back(nullptr);

    pid_ = fork();
    if (pid_ < 0) ThrowErrno("fork");
    if (pid_ == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
        if (!options.workingDirectory.empty() && chdir(options.workingDirectory.c_str()) != 0)
            _exit(127);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    in_ = in[1];
    out_ = out[0];
    err_ = err[0];
}

RunningProgram::~RunningProgram() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    for (int fd : {in_, out_, err_})
        if (fd >= 0) close(fd);
}

bool RunningProgram::Drain(int milliseconds) {
    pollfd p[2];
    int n = 0;
    for (int fd : {out_, err_})
        if (fd >= 0) p[n++] = {fd, POLLIN, 0};
    if (n == 0) return false;
    if (poll(p, n, milliseconds) <= 0) return true;
    for (int k = 0; k < n; ++k) {
        if (!p[k].revents) continue;
        int& fd = p[k].fd == out_ ? out_ : err_;
        std::string& sink = p[k].fd == out_ ? result_.out : result_.err;
        char buf[65536];
        const ssize_t r = read(fd, buf, sizeof buf);
        if (r > 0) {
            sink.append(buf, static_cast<std::size_t>(r));
        } else if (r == 0 || errno != EINTR) {
            close(fd);
            fd = -1;
        }
    }
    return true;
}

bool RunningProgram::WaitForOutput(const std::string& text) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (result_.out.find(text) == std::string::npos) {
        if (out_ < 0 || std::chrono::steady_clock::now() > until) return false;
        Drain(100);
    }
    return true;
}

void RunningProgram::WriteInput(const std::string& text) {
    if (in_ < 0) return;
    const ssize_t w = write(in_, text.data(), text.size());
    (void)w;
}

void RunningProgram::Signal(int signalNumber) {
    if (pid_ > 0) kill(pid_, signalNumber);
}

void RunningProgram::CloseInput() {
    if (in_ >= 0) close(in_);
    in_ = -1;
}

ProcessResult RunningProgram::Wait(int seconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    for (;;) {
        Drain(50);
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) break;
        if (std::chrono::steady_clock::now() > until) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            pid_ = -1;
            result_.exitCode = -1;
            return result_;
        }
    }
    pid_ = -1;
    while (Drain(50)) {
    }
    result_.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result_;
}

fs::path BinDir() {
    return fs::read_symlink("/proc/self/exe").parent_path();
}

fs::path WlxconvPath() {
    return BinDir() / "wlxconv";
}

ProcessResult RunWlxconv(const std::vector<std::string>& args, const RunOptions& options) {
    return Run(WlxconvPath(), args, options);
}

fs::path SourcePath(const std::string& relative) {
    return fs::path(WLX_SOURCE_DIR) / relative;
}

TempDir::TempDir() {
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path p = fs::temp_directory_path() / ("wlxtest-" + std::to_string(rd()));
        std::error_code ec;
        if (fs::create_directory(p, ec)) {
            path_ = p;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary directory");
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::vector<std::uint8_t> ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + file.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ReadText(const fs::path& file) {
    auto bytes = ReadBytes(file);
    return {bytes.begin(), bytes.end()};
}

void WriteBytes(const fs::path& file, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

void WriteText(const fs::path& file, const std::string& text) {
    WriteBytes(file, std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::string HexDiff(const std::vector<std::uint8_t>& expected,
                    const std::vector<std::uint8_t>& actual) {
    std::size_t n = std::min(expected.size(), actual.size());
    std::size_t at = 0;
    while (at < n && expected[at] == actual[at]) ++at;
    if (at == n && expected.size() == actual.size()) return {};
    std::ostringstream s;
    s << "first difference at offset " << at << " (expected " << expected.size() << " bytes, got "
      << actual.size() << ")\n";
    std::size_t from = at >= 16 ? at - 16 : 0;
    auto dump = [&](const char* label, const std::vector<std::uint8_t>& v) {
        s << label;
        char hex[4];
        for (std::size_t i = from; i < std::min(v.size(), from + 48); ++i) {
            std::snprintf(hex, sizeof hex, "%02X", v[i]);
            s << (i == at ? "[" : " ") << hex << (i == at ? "]" : "");
        }
        s << '\n';
    };
    dump("expected:", expected);
    dump("actual:  ", actual);
    return s.str();
}

std::filesystem::path FindTool(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const auto candidate = std::filesystem::path(dir.empty() ? "." : dir) / name;
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error)) return candidate;
    }
    return {};
}

bool HaveTool(const std::string& name) {
    return !FindTool(name).empty();
}

}  // namespace wlxtest
