// Message texts by number, the two status arguments a failing operation
// leaves for its message, and the mapping of every status to its message.
#pragma once

#include <optional>
#include <string>

#include "common/Status.h"

// The text with `id` from the program's string table (at most 4095
// characters); empty when there is none.
std::string LoadMessage(int id);

// printf-style formatting into a string. The format is always a text of the
// program's own string table, never one that came from the user or a file.
std::string FormatString(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Replaces both arguments with copies of the given texts; a null text leaves
// that argument absent.
void SetStatusArgs(const char* text1, const char* text2);
void ClearStatusArgs();
const std::optional<std::string>& StatusArg1();
const std::optional<std::string>& StatusArg2();

// The message number of a status; the generic message 44062 for a status
// without a message of its own, 0 for a status >= 0.
int MessageIdForStatus(Status status);

// The finished text of a failure: its message with the stored arguments
// inserted as its family says (a format whose arguments are absent keeps its
// "%s").
std::string StatusMessage(Status status);
