// The plug-in's module: its message table, the degree factor of the arc
// stroker and the text routines every class of the plug-in uses. Every text
// routine answers a new heap text that the caller frees with delete[], or
// null for a null input or when memory runs out.
#pragma once

#include <cstdint>

#include "platform/ModuleResources.h"

// Message ids of the plug-in's string table.
enum EEsriMessage : unsigned {
    kMsgLabelPoints = 1,
    kMsgTics = 2,
    kMsgPoints = 3,
    kMsgArcs = 4,
    kMsgText = 5,
    kMsgAat = 6,
    kMsgPat = 7,
    kMsgKey = 8,
    kMsgGeographic = 9,
    kMsgCoverNumberSuffix = 10,
    kMsgCoverIdSuffix = 11,
    kMsgWriteNameTooLong = 12,
    kMsgWriteInvalidWorkspace = 13,
    kMsgWriteWorkspaceReadOnly = 14,
    kMsgWriteWorkspaceNotDirectory = 15,
    kMsgWriteCoverExists = 16,
    kMsgWriteCoverInUse = 17,
    kMsgWriteCoverReadOnly = 18,
    kMsgReadWorkspaceNotDirectory = 19,
    kMsgReadCoverNotDirectory = 20,
    kMsgReadInvalidWorkspace = 21,
    kMsgReadInvalidCoverage = 22,
    kMsgPolygons = 23,
};

// Not in the message table: a fixed name.
inline constexpr char kInternalPolygonsLayer[] = "INTERNAL_POLYGONS";

// The module's handle, set when the library is loaded.
[[gnu::visibility("hidden")]] HINSTANCE TscovModule();

// pi with ten decimals, as the stroker has always used it.
extern const double kEsriDegreeToRadian;

// Room for the decimal form of every 32-bit value: a sign, ten digits and
// the terminator.
constexpr int kLongTextSize = 12;

// The decimal form of `value` into `buffer` of kLongTextSize bytes.
void LongToText(char* buffer, std::int32_t value);
char* DupString(const char* text);
// At most n bytes with the terminator, cut at a character boundary.
char* DupStringMax(const char* text, std::int32_t n);
// Only letters, digits (multibyte characters whole) and "_", "$", "#".
char* KeepNameChars(const char* text);
// Message `id` (at most 99 bytes); null for an unknown id.
char* LoadMessage(std::int32_t id);
// Leading blanks skipped, each character of `set` replaced, at most `max` bytes.
char* ReplaceCharsMax(const char* text, const char* set, char replacement, std::int16_t max);
