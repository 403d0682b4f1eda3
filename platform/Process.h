// Running another program: its arguments are passed as they are, never
// through a shell.
#pragma once

#include <optional>
#include <string>
#include <vector>

// Runs args[0] (looked up in PATH when it holds no '/') with the arguments,
// inheriting the standard handles, and waits for it. Its exit code; none
// when it could not be started or did not exit normally.
std::optional<int> RunProgram(const std::vector<std::string>& args);
