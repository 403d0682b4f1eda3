// Lists of names for object selection: layer and block lists, the tables to
// export. Names compare without regard to case; patterns may hold the
// wildcards '*' (any run of characters, none included) and '?' (one character).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class CNamePatternList {
public:
    CNamePatternList() = default;
    virtual ~CNamePatternList() = default;

    // Appends a copy; an empty name is ignored.
    void Add(std::string_view name);
    void Clear() { names_.clear(); }
    // True when some entry equals the name, or, with wildcards, matches it.
    bool Contains(std::string_view name, bool wildcards) const;
    static bool MatchWildcard(std::string_view pattern, std::string_view name);

    // Empties the list and fills it from a comma-separated text, which may be
    // enclosed in double quotes; pieces are trimmed and empty ones dropped.
    void SetFromText(std::string_view text);

    bool IsEmpty() const { return names_.empty(); }
    std::size_t Count() const { return names_.size(); }
    const std::string& At(std::size_t index) const { return names_[index]; }
    const std::vector<std::string>& Names() const { return names_; }

private:
    std::vector<std::string> names_;
};

// The table list of /TABLE: an empty list accepts every table.
class CNameList {
public:
    CNameList() = default;
    virtual ~CNameList() = default;

    void SetFromText(std::string_view text) { list_.SetFromText(text); }
    // True for a null name, an empty list, or a name the list holds (wildcards allowed).
    bool Accepts(const char* name) const;
    const CNamePatternList& Patterns() const { return list_; }

private:
    CNamePatternList list_;
};
