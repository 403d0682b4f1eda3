// Console control events. SIGINT, SIGTERM and SIGHUP arrive as Ctrl+C, close
// and shutdown events; each event runs the installed handlers, the last
// installed first, on a thread of its own (never on the thread the signal
// interrupted), until one returns non-zero. When none does, the signal's
// default action ends the process.
#pragma once

#include <cstdint>

inline constexpr std::uint32_t CTRL_C_EVENT = 0;
inline constexpr std::uint32_t CTRL_BREAK_EVENT = 1;
inline constexpr std::uint32_t CTRL_CLOSE_EVENT = 2;
inline constexpr std::uint32_t CTRL_LOGOFF_EVENT = 5;
inline constexpr std::uint32_t CTRL_SHUTDOWN_EVENT = 6;

// Returns non-zero when the event is handled.
using PHANDLER_ROUTINE = int (*)(std::uint32_t ctrlType);

// Adds (add non-zero) or removes one handler; non-zero on success.
int SetConsoleCtrlHandler(PHANDLER_ROUTINE handler, int add);

// Raises Ctrl+C or Ctrl+Break in this process only (the group id is ignored,
// so that a test never signals the programs that started it).
int GenerateConsoleCtrlEvent(std::uint32_t ctrlEvent, std::uint32_t processGroupId);
