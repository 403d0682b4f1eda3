// A cursor over one line of text with the few scanning steps the text
// formats need: blanks, literal characters, integers, numbers, words and
// runs of letters. Each step either consumes what it read or leaves the
// cursor where it was, so callers can try alternatives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

class CTextScanner {
public:
    explicit CTextScanner(std::string_view text) : text_(text) {}

    bool AtEnd() const { return pos_ >= text_.size(); }
    std::size_t Position() const { return pos_; }
    void SetPosition(std::size_t pos) { pos_ = pos < text_.size() ? pos : text_.size(); }
    // What is left from the cursor on.
    std::string_view Rest() const { return text_.substr(pos_); }

    void SkipBlanks();
    // Blanks, then `c`.
    bool Literal(char c);
    // Blanks, then a signed decimal integer within the range of the value.
    bool Integer(std::int64_t& value);
    bool Integer(int& value);
    // Blanks, then a finite decimal number ("1", "-2.5", "1e3", ".5").
    bool Number(double& value);
    // Blanks, then a run of characters that are not blanks.
    bool Word(std::string_view& word);
    // Blanks, then a run of ASCII letters.
    bool Letters(std::string_view& letters);
    // The next character, whatever it is (no blank is skipped).
    bool AnyChar(char& c);

private:
    template <class T, class Accept, class... Format>
    bool FromChars(T& value, Accept accept, Format... format);
    template <class Accept>
    bool Run(Accept accept, std::string_view& run);

    std::string_view text_;
    std::size_t pos_ = 0;
};

// Blanks are what the C library's isspace accepts in the "C" locale.
bool IsBlank(char c);
bool IsBlankText(std::string_view text);
