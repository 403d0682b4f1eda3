#include "loader/core/NamePatternList.h"

#include "loader/core/Utf8Text.h"

void CNamePatternList::Add(std::string_view name) {
    if (!name.empty()) names_.emplace_back(name);
}

bool CNamePatternList::Contains(std::string_view name, bool wildcards) const {
    for (const std::string& entry : names_)
        if (EqualNoCase(entry, name) || (wildcards && MatchWildcard(entry, name))) return true;
    return false;
}

// Greedy match with one back-tracking point: on a mismatch after a '*', the
// star takes one more character of the name. Linear in practice, never worse
// than pattern length times name length.
bool CNamePatternList::MatchWildcard(std::string_view pattern, std::string_view name) {
    std::size_t p = 0, n = 0;
    std::size_t starPattern = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        std::size_t nextP = p;
        std::size_t nextN = n;
        char32_t nameChar = NextChar(name, nextN);
        if (p < pattern.size()) {
            char32_t patternChar = NextChar(pattern, nextP);
            if (patternChar == '*') {
                starPattern = p = nextP;
                starName = n;
                continue;
            }
            if (patternChar == '?' || FoldChar(patternChar) == FoldChar(nameChar)) {
                p = nextP;
                n = nextN;
                continue;
            }
        }
        if (starPattern == std::string_view::npos) return false;
        p = starPattern;
        NextChar(name, starName);
        n = starName;
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

void CNamePatternList::SetFromText(std::string_view text) {
    Clear();
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string_view::npos) comma = text.size();
        Add(TrimBlanks(text.substr(start, comma - start)));
        start = comma + 1;
    }
}

bool CNameList::Accepts(const char* name) const {
    return !name || list_.IsEmpty() || list_.Contains(name, true);
}
