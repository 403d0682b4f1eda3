// Unique keys for objects whose input gives none: a 10-character stamp made
// once per process from the local time, followed by a counter that all
// readers of the process share.
#pragma once

#include <cstdint>
#include <string>

class CObjectKeyGenerator {
public:
    // The next key of the process.
    std::string MakeObjectKey();
};

// The stamp for a local time: year, month, day and hour as one base-36 digit
// each, the milliseconds within the hour as five lower-case base-36 digits
// (zero-padded), and one random base-36 digit.
std::string MakeKeyStamp(int year, int month, int day, int hour, int minute, int second,
                         int millisecond, int random);
