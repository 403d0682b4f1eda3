#include "loader/core/TextScanner.h"

#include <charconv>
#include <cmath>
#include <limits>

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

static bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsBlankText(std::string_view text) {
    for (char c : text)
        if (!IsBlank(c)) return false;
    return true;
}

// from_chars takes a '-' but no '+': step over a '+' that is not followed by
// another sign. npos for "+-".
static std::size_t SkipPlusSign(std::string_view text, std::size_t pos) {
    if (pos < text.size() && text[pos] == '+') {
        ++pos;
        if (pos < text.size() && (text[pos] == '-' || text[pos] == '+'))
            return std::string_view::npos;
    }
    return pos;
}

void CTextScanner::SkipBlanks() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
}

bool CTextScanner::Literal(char c) {
    const std::size_t start = pos_;
    SkipBlanks();
    if (pos_ < text_.size() && text_[pos_] == c) {
        ++pos_;
        return true;
    }
    pos_ = start;
    return false;
}

// Blanks, then what from_chars reads as a T (with an optional '+'), which
// `accept` takes.
template <class T, class Accept, class... Format>
bool CTextScanner::FromChars(T& value, Accept accept, Format... format) {
    const std::size_t start = pos_;
    SkipBlanks();
    const std::size_t p = SkipPlusSign(text_, pos_);
    if (p != std::string_view::npos) {
        T v{};
        const auto [end, ec] =
            std::from_chars(text_.data() + p, text_.data() + text_.size(), v, format...);
        if (ec == std::errc() && accept(v)) {
            value = v;
            pos_ = static_cast<std::size_t>(end - text_.data());
            return true;
        }
    }
    pos_ = start;
    return false;
}

bool CTextScanner::Integer(std::int64_t& value) {
    return FromChars(value, [](std::int64_t) { return true; });
}

bool CTextScanner::Integer(int& value) {
    const std::size_t start = pos_;
    std::int64_t v = 0;
    if (!Integer(v)) return false;
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max()) {
        pos_ = start;
        return false;
    }
    value = static_cast<int>(v);
    return true;
}

bool CTextScanner::Number(double& value) {
    // Infinities, NaN and out-of-range values are no coordinates.
    return FromChars(
        value, [](double v) { return std::isfinite(v); }, std::chars_format::general);
}

// Blanks, then a run of the characters `accept` takes; not empty.
template <class Accept>
bool CTextScanner::Run(Accept accept, std::string_view& run) {
    const std::size_t start = pos_;
    SkipBlanks();
    const std::size_t begin = pos_;
    while (pos_ < text_.size() && accept(text_[pos_])) ++pos_;
    run = text_.substr(begin, pos_ - begin);
    if (run.empty()) {
        pos_ = start;
        return false;
    }
    return true;
}

bool CTextScanner::Word(std::string_view& word) {
    return Run([](char c) { return !IsBlank(c); }, word);
}

bool CTextScanner::Letters(std::string_view& letters) {
    return Run(IsLetter, letters);
}

bool CTextScanner::AnyChar(char& c) {
    if (AtEnd()) return false;
    c = text_[pos_++];
    return true;
}
