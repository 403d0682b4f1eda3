#include "loader/TextScanner.h"

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

bool CTextScanner::Integer(std::int64_t& value) {
    const std::size_t start = pos_;
    SkipBlanks();
    const std::size_t p = SkipPlusSign(text_, pos_);
    if (p == std::string_view::npos) {
        pos_ = start;
        return false;
    }
    const char* first = text_.data() + p;
    const char* last = text_.data() + text_.size();
    std::int64_t v = 0;
    auto [end, ec] = std::from_chars(first, last, v);
    if (ec != std::errc()) {
        pos_ = start;
        return false;
    }
    value = v;
    pos_ = static_cast<std::size_t>(end - text_.data());
    return true;
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
    const std::size_t start = pos_;
    SkipBlanks();
    const std::size_t p = SkipPlusSign(text_, pos_);
    if (p == std::string_view::npos) {
        pos_ = start;
        return false;
    }
    const char* first = text_.data() + p;
    const char* last = text_.data() + text_.size();
    double v = 0.0;
    auto [end, ec] = std::from_chars(first, last, v, std::chars_format::general);
    // Infinities, NaN and out-of-range values are no coordinates.
    if (ec != std::errc() || !std::isfinite(v)) {
        pos_ = start;
        return false;
    }
    value = v;
    pos_ = static_cast<std::size_t>(end - text_.data());
    return true;
}

bool CTextScanner::Word(std::string_view& word) {
    const std::size_t start = pos_;
    SkipBlanks();
    const std::size_t begin = pos_;
    while (pos_ < text_.size() && !IsBlank(text_[pos_])) ++pos_;
    word = text_.substr(begin, pos_ - begin);
    if (word.empty()) {
        pos_ = start;
        return false;
    }
    return true;
}

bool CTextScanner::Letters(std::string_view& letters) {
    const std::size_t start = pos_;
    SkipBlanks();
    const std::size_t begin = pos_;
    while (pos_ < text_.size() && IsLetter(text_[pos_])) ++pos_;
    letters = text_.substr(begin, pos_ - begin);
    if (letters.empty()) {
        pos_ = start;
        return false;
    }
    return true;
}

bool CTextScanner::AnyChar(char& c) {
    if (AtEnd()) return false;
    c = text_[pos_++];
    return true;
}
