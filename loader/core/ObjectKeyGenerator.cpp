#include "loader/core/ObjectKeyGenerator.h"

#include <chrono>
#include <ctime>
#include <random>

namespace {

constexpr char kUpperDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr char kLowerDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";

char Digit36(int value) {
    return kUpperDigits[((value % 36) + 36) % 36];
}

std::string ProcessStamp() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millisecond = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000);
    const std::tm local = *std::localtime(&seconds);
    // Seeded once per run: an unseeded generator gives every run the same character.
    std::random_device seed;
    std::mt19937 generator(seed());
    const int random = std::uniform_int_distribution<int>(0, 35)(generator);
    return MakeKeyStamp(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                        local.tm_min, local.tm_sec, millisecond, random);
}

}  // namespace

std::string MakeKeyStamp(int year, int month, int day, int hour, int minute, int second,
                         int millisecond, int random) {
    std::string stamp;
    stamp += Digit36(year);
    stamp += Digit36(month);
    stamp += Digit36(day);
    stamp += Digit36(hour);
    // At most 3599999, which five base-36 digits hold.
    int withinHour = (minute * 60 + second) * 1000 + millisecond;
    char digits[5];
    for (int i = 4; i >= 0; --i) {
        digits[i] = kLowerDigits[withinHour % 36];
        withinHour /= 36;
    }
    stamp.append(digits, 5);
    stamp += Digit36(random);
    return stamp;
}

std::string CObjectKeyGenerator::MakeObjectKey() {
    static const std::string stamp = ProcessStamp();
    static std::int64_t counter = 0;
    return stamp + std::to_string(counter++);
}
