// Message texts by number, the two status arguments a failing operation
// leaves for its message, and the mapping of every status to its message.
#pragma once

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>

#include "common/Status.h"
#include "loader/core/MessageIds.h"

// The text with `id` from the program's string table (at most 4095
// characters); empty when there is none.
std::string LoadMessage(int id);

// A text without conversions; the others go through Format.
inline std::string LoadMessage(const CMessage<>& message) {
    return LoadMessage(message.Id());
}

// printf-style formatting into a string. The format is always a text of the
// program's own string table, never one that came from the user or a file.
std::string FormatString(const char* format, ...) __attribute__((format(printf, 1, 2)));

// An argument passed as the type a message declares: that very type, or any
// character pointer for a text.
template <class Passed, class Declared>
concept MessageArgument = std::same_as<std::decay_t<Passed>, Declared> ||
    (std::same_as<Declared, const char*>&& std::same_as<std::decay_t<Passed>, char*>);

// The message's text with its conversions filled from `args`, which must be of
// the types the message declares (checked while compiling).
template <class... Args, class... Passed>
requires(sizeof...(Args) == sizeof...(Passed) && (MessageArgument<Passed, Args> && ...)) std::string
    Format(const CMessage<Args...>& message, const Passed&... args) {
    return FormatString(LoadMessage(message.Id()).c_str(), static_cast<Args>(args)...);
}

// Replaces both arguments with copies of the given texts; a null text leaves
// that argument absent.
void SetStatusArgs(const char* text1, const char* text2);
void ClearStatusArgs();
// The file and the number of the line at fault, for kWlxReadError.
void SetReadErrorArgs(const std::string& file, std::int64_t line);
const std::optional<std::string>& StatusArg1();
const std::optional<std::string>& StatusArg2();

// The message number of a status; the generic message (kMsgFailedWithErrorCode)
// for a status without a message of its own, 0 for a status >= 0.
int MessageIdForStatus(Status status);

// The finished text of a failure: its message with the stored arguments
// inserted as its family says (a format whose arguments are absent keeps its
// "%s").
std::string StatusMessage(Status status);
