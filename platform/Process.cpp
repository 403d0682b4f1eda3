#include "platform/Process.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

extern char** environ;

std::optional<int> RunProgram(const std::vector<std::string>& args) {
    if (args.empty() || args[0].empty()) return std::nullopt;
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return std::nullopt;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return std::nullopt;
    if (!WIFEXITED(status)) return std::nullopt;
    return WEXITSTATUS(status);
}
