// The printf conversions of a message text as the argument types they take,
// one letter per argument, so that a message's declared argument types can be
// checked against its text while compiling.
#pragma once

#include <cstddef>
#include <string_view>

// The letter of each argument type a message may take; '?' for any other.
template <class T>
inline constexpr char kFormatArgLetter = '?';
template <>
inline constexpr char kFormatArgLetter<int> = 'i';
template <>
inline constexpr char kFormatArgLetter<unsigned> = 'u';
template <>
inline constexpr char kFormatArgLetter<long> = 'l';
template <>
inline constexpr char kFormatArgLetter<unsigned long> = 'L';
template <>
inline constexpr char kFormatArgLetter<double> = 'f';
template <>
inline constexpr char kFormatArgLetter<const char*> = 's';

struct FormatArgs {
    static constexpr std::size_t kMaxArgs = 16;
    char letters[kMaxArgs]{};
    std::size_t count = 0;
    // False for a conversion that is cut off or takes a type this check does
    // not know (wide texts, long long, pointers, %n), or for too many.
    bool valid = true;

    constexpr std::string_view Letters() const { return {letters, count}; }
    constexpr void Add(char letter) {
        if (letter == '?' || count == kMaxArgs)
            valid = false;
        else
            letters[count++] = letter;
    }
};

// The arguments `text` takes when it is the format of a printf call: "%.*f"
// takes an int and a double ("if"), "%%" nothing.
constexpr FormatArgs ParseFormatArgs(std::string_view text) {
    FormatArgs args;
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t i = 0;
    auto at = [&](char c) { return i < text.size() && text[i] == c; };
    while (i < text.size()) {
        if (text[i++] != '%') continue;
        if (at('%')) {
            ++i;
            continue;
        }
        while (i < text.size() && std::string_view("-+ #0").find(text[i]) != std::string_view::npos)
            ++i;
        if (at('*')) {
            args.Add('i');
            ++i;
        }
        while (i < text.size() && isDigit(text[i])) ++i;
        if (at('.')) {
            ++i;
            if (at('*')) {
                args.Add('i');
                ++i;
            }
            while (i < text.size() && isDigit(text[i])) ++i;
        }
        int shorts = 0;
        int longs = 0;
        for (; at('h') || at('l'); ++i) (text[i] == 'h' ? shorts : longs)++;
        if (i == text.size()) {
            args.valid = false;
            break;
        }
        const char conversion = text[i++];
        const bool plain = shorts == 0 && longs == 0;
        char letter = '?';
        if ((shorts && longs) || shorts > 2) {
            args.Add(letter);
            continue;
        }
        switch (conversion) {
            case 'd':
            case 'i':
                letter = longs == 0 ? 'i' : longs == 1 ? 'l' : '?';
                break;
            case 'u':
            case 'o':
            case 'x':
            case 'X':
                letter = longs == 0 ? 'u' : longs == 1 ? 'L' : '?';
                break;
            case 'c':
                letter = plain ? 'i' : '?';
                break;
            case 'f':
            case 'F':
            case 'e':
            case 'E':
            case 'g':
            case 'G':
            case 'a':
            case 'A':
                letter = shorts == 0 && longs <= 1 ? 'f' : '?';
                break;
            case 's':
                letter = plain ? 's' : '?';
                break;
            default:
                break;
        }
        args.Add(letter);
    }
    return args;
}

// Whether `text` takes exactly arguments of the types Args, in order.
template <class... Args>
constexpr bool FormatTakes(std::string_view text) {
    constexpr char expected[] = {kFormatArgLetter<Args>..., '\0'};
    const FormatArgs args = ParseFormatArgs(text);
    return args.valid && args.Letters() == std::string_view(expected, sizeof...(Args));
}
