#include "loader/app/CommandLine.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "loader/app/LoaderApp.h"
#include "loader/core/FileNames.h"
#include "loader/core/Messages.h"
#include "loader/core/Utf8Text.h"

namespace {

// Switch files may name switch files; deeper than this is taken for a loop.
constexpr int kMaxSwitchFileNesting = 16;
// Longest line of a switch file.
constexpr std::size_t kMaxSwitchLine = 1023;

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The first `length` characters of `text` equal `name`, without regard to case.
bool Matches(const char* text, const char* name, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i)
        if (!text[i] || Lower(text[i]) != Lower(name[i])) return false;
    return true;
}

bool MatchesAt(const char* text, std::size_t position, const char* name) {
    return std::strlen(text) >= position && Matches(text + position, name, std::strlen(name));
}

// From `position` on: ":first:second" or ":second:first", ":first", ":second"
// or none of them, then ":<list>" or nothing. Sets the flag of each keyword
// given; where the list starts, 0 without one.
std::size_t KeywordsAndList(const char* text, std::size_t position, const char* first,
                            const char* second, int& hasFirst, int& hasSecond) {
    const std::string a = std::string(":") + first;
    const std::string b = std::string(":") + second;
    std::size_t end = position;
    if (MatchesAt(text, position, (a + b).c_str()) || MatchesAt(text, position, (b + a).c_str())) {
        hasFirst = hasSecond = 1;
        end += a.size() + b.size();
    } else if (MatchesAt(text, position, a.c_str())) {
        hasFirst = 1;
        end += a.size();
    } else if (MatchesAt(text, position, b.c_str())) {
        hasSecond = 1;
        end += b.size();
    }
    return MatchesAt(text, end, ":") ? end + 1 : 0;
}

// A number read as atoi reads it (blanks, a sign, the digits that follow; 0
// without digits), but false when it does not fit an int, `value` then being
// the nearer limit: a value too large must never wrap into a small one.
bool ReadInt(const char* text, int& value) {
    while (*text == ' ' || *text == '\t') ++text;
    const bool negative = *text == '-';
    if (*text == '+' || *text == '-') ++text;
    long long magnitude = 0;
    bool fits = true;
    for (; *text >= '0' && *text <= '9'; ++text) {
        magnitude = magnitude * 10 + (*text - '0');
        if (magnitude > static_cast<long long>(INT_MAX) + 1) {
            magnitude = static_cast<long long>(INT_MAX) + 1;
            fits = false;
        }
    }
    if (!negative && magnitude > INT_MAX) {
        magnitude = INT_MAX;
        fits = false;
    }
    value = static_cast<int>(negative ? -magnitude : magnitude);
    return fits;
}

// A token that begins with '/' but holds another '/' before its first ':' is
// an absolute path, not a switch.
bool IsSwitchToken(const char* token) {
    if (token[0] == '-') return true;
    if (token[0] != '/') return false;
    const char* colon = std::strchr(token, ':');
    const char* end = colon ? colon : token + std::strlen(token);
    return std::find(token + 1, end, '/') == end;
}

constexpr const char* kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// A switch-file line holds one switch whose value runs to the end of the
// line, so a blank followed by another switch means several were put on one
// line. Key, name and link templates may hold " /" between their items, and
// a switch file's name may hold anything: their values are not looked into.
bool HoldsSeveralSwitches(const std::string& line) {
    for (const char* name : {"KEY:", "NAME:", "LINK:", "FILE:"})
        if (Matches(line.c_str() + 1, name, std::strlen(name))) return false;
    for (std::size_t i = 1; i + 2 < line.size(); ++i) {
        if (line[i] != ' ' && line[i] != '\t') continue;
        if (line[i + 1] != '/' && line[i + 1] != '-') continue;
        const char next = Lower(line[i + 2]);
        if (next < 'a' || next > 'z') continue;
        const std::string token = line.substr(i + 1, line.find_first_of(" \t", i + 1) - (i + 1));
        if (IsSwitchToken(token.c_str())) return true;
    }
    return false;
}

// Reads one line of at most kMaxSwitchLine characters; false at the end of
// the file. `tooLong` tells of a longer line (whose rest is consumed).
bool ReadLine(std::FILE* file, std::string& line, bool& tooLong, bool& failed) {
    line.clear();
    tooLong = false;
    int c = 0;
    while ((c = std::fgetc(file)) != EOF && c != '\n') {
        if (line.size() < kMaxSwitchLine) {
            line += static_cast<char>(c);
        } else {
            tooLong = true;
        }
    }
    failed = std::ferror(file) != 0;
    return !(c == EOF && line.empty() && !tooLong);
}

}  // namespace

void SkipBlanks(char** cursor) {
    while (**cursor == ' ' || **cursor == '\t') ++*cursor;
}

char* NextToken(char** cursor) {
    SkipBlanks(cursor);
    char* token = *cursor;
    if (!*token) return nullptr;
    char* blank = std::strchr(token, ' ');
    char* quote = std::strchr(token, '"');
    if (quote && (!blank || quote < blank)) {
        std::memmove(quote, quote + 1, std::strlen(quote + 1) + 1);
        char* closing = std::strchr(quote, '"');
        if (closing) {
            std::memmove(closing, closing + 1, std::strlen(closing + 1) + 1);
            blank = std::strchr(closing, ' ');
        } else {
            blank = nullptr;
        }
    }
    if (blank) {
        *blank = '\0';
        *cursor = blank + 1;
        SkipBlanks(cursor);
    } else {
        *cursor = token + std::strlen(token);
    }
    return token;
}

Status CLoaderApp::ParseCommandLine(int argc, const char* const* argv, int* usageShown) {
    if (usageShown) *usageShown = 0;
    if (argc <= 1) {
        reporter_->ShowUsage();
        if (usageShown) *usageShown = 1;
        return 0;
    }
    CLoaderSettings& settings = *settings_;
    Status status = 0;
    int next = 1;
    switchFaultNamed_ = false;
    for (; next < argc && IsSwitchToken(argv[next]); ++next) {
        status = ParseSwitch(argv[next] + 1);
        if (status != 0) {
            // A fault inside a switch file has named its file and line.
            if (!switchFaultNamed_) SetStatusArgs(argv[next], nullptr);
            break;
        }
    }
    auto tooLong = [&](const char* token) {
        if (std::strlen(token) <= kMaxSettingText) return false;
        SetStatusArgs(token, nullptr);
        status = kCmdInvalidParameter;
        return true;
    };

    if (status == 0 && next < argc && !tooLong(argv[next])) {
        settings.inputName = argv[next++];
        std::string expected = CheckInputExtension();
        if (!expected.empty()) {
            SetStatusArgs(settings.inputName.c_str(), expected.c_str());
            status = kCmdWrongExtension;
        }
    }
    if (status == 0 && next < argc && !tooLong(argv[next])) {
        settings.outputName = RemoveExtension(argv[next++]);
        const int type = UpperAscii(settings.outputType);
        if (type == 'L') settings.outputName += ".wlt";
        if (type == 'S') settings.outputName += ".wlx";
    }
    for (int* entries : {&settings.indexMinEntries, &settings.indexMaxEntries}) {
        if (status != 0 || next >= argc) break;
        int value = 0;
        if (!ReadInt(argv[next], value) || value < 1) {
            SetStatusArgs(argv[next], nullptr);
            status = kCmdInvalidParameter;
            break;
        }
        *entries = value;
        ++next;
    }
    if (settings.info) {
        settings.overwriteAction = 'A';
        settings.tableExportKind = 0;
        settings.outputName = "Unneeded";
    }
    if (status == 0 && (next < argc || settings.inputName.empty() || settings.outputName.empty()))
        status = kCmdSyntaxError;

    CFeatureFilter& filter = settings.filter;
    if (!filter.pointsEnabled && !filter.linesEnabled && !filter.polygonsEnabled)
        filter.pointsEnabled = filter.linesEnabled = filter.polygonsEnabled = 1;
    return status;
}

std::string CLoaderApp::CheckInputExtension() const {
    if (!settings_->checkExtension) return {};
    const char* expected = nullptr;
    switch (UpperAscii(settings_->inputType)) {
        case 'B':
            expected = ".bna";
            break;
        case 'C':
            expected = ".csv";
            break;
        case 'D':
            expected = ".dgn";
            break;
        case 'H':
            expected = ".shp";
            break;
        case 'L':
            expected = ".wlt";
            break;
        case 'M':
            expected = ".mif";
            break;
        case 'S':
            expected = ".wlx";
            break;
        case 'W':
            expected = ".dwg";
            break;
        case 'X':
            expected = ".dxf";
            break;
        default:
            return {};
    }
    const std::string& name = settings_->inputName;
    if (name.size() >= 4 && EqualNoCase(std::string_view(name).substr(name.size() - 4), expected))
        return {};
    return expected;
}

Status CLoaderApp::ParseSwitch(const char* text) {
    CLoaderSettings& settings = *settings_;
    CFeatureFilter& filter = settings.filter;
    if (std::strlen(text) > kMaxSettingText) return kCmdInvalidSwitch;
    auto rest = [text](std::size_t length) { return text + length; };
    auto nonEmpty = [&](std::size_t length) { return *rest(length) != '\0'; };

    if (Matches(text, "NOTEST", 6)) {
        settings.integrityTest = 0;
    } else if (Matches(text, "NOEXT", 5)) {
        settings.checkExtension = 0;
    } else if (Matches(text, "FILE:", 5)) {
        if (!nonEmpty(5)) return 0;
        settings.switchFile = rest(5);
        return ReadSwitchFile();
    } else if (Matches(text, "MAXPOINTS:", 10)) {
        if (!nonEmpty(10)) return kCmdInvalidSwitch;
        int points = 0;
        ReadInt(rest(10), points);  // out of range, it is clamped like any other value
        settings.maxPoints = std::clamp(points, 8, 2097152);
    } else if (Matches(text, "KEY:", 4)) {
        if (!nonEmpty(4)) return kCmdInvalidSwitch;
        settings.keyTemplate = rest(4);
    } else if (Matches(text, "NAME:", 5)) {
        if (!nonEmpty(5)) return kCmdInvalidSwitch;
        settings.nameTemplate = rest(5);
    } else if (Matches(text, "INFO", 4)) {
        settings.info = 1;
    } else if (Matches(text, "LINK:", 5)) {
        if (!nonEmpty(5)) return kCmdInvalidSwitch;
        settings.linkTemplate = rest(5);
    } else if (Matches(text, "COORDPREC:", 10)) {
        if (!nonEmpty(10)) return kCmdInvalidSwitch;
        int bits = 0;
        if (!ReadInt(rest(10), bits) || (bits != 32 && bits != 64)) return kCmdInvalidSwitch;
        settings.precisionBits = bits;
        settings.precisionGiven = 1;
        settings.precisionCode = bits == 32 ? 7 : 15;
    } else if (Matches(text, "KIF", 3)) {
        int length = 32;
        if (std::strlen(text) > 4 && text[3] == ':' && !ReadInt(rest(4), length))
            return kCmdInvalidSwitch;
        if (length <= 0) return kCmdInvalidSwitch;
        settings.keyIndex = 1;
        settings.maxKeyLength = length;
    } else if (Matches(text, "NULLNAME", 8)) {
        settings.nullNames = 1;
    } else if (Matches(text, "INS:", 4)) {
        if (!nonEmpty(4)) return kCmdInvalidSwitch;
        int kind = 0;
        if (!ReadInt(rest(4), kind)) return kCmdInvalidSwitch;
        settings.tableExportKind = kind;
    } else if (Matches(text, "PL2PG", 5)) {
        settings.closedPolylinesToPolygons = 1;
    } else if (Matches(text, "DECODEBLOCKS", 12)) {
        settings.explodeBlocks = 1;
    } else if (Matches(text, "LAYER:", 6)) {
        filter.SetLayers("");
        if (!nonEmpty(6)) return kCmdInvalidSwitch;
        filter.SetLayers(rest(6));
    } else if (Matches(text, "HOLES", 5)) {
        filter.holes = 1;
    } else if (Matches(text, "LABELS", 6)) {
        settings.labels = 1;
    } else if (Matches(text, "GENERALIZE:", 11)) {
        if (!nonEmpty(11)) return kCmdInvalidSwitch;
        double percent = std::atof(rest(11));
        if (!(percent > 0 && percent <= 100)) return kCmdInvalidSwitch;
        settings.generalizePercent = percent;
    } else if (Matches(text, "TABLE:", 6)) {
        return ParseTableSwitch(text);
    } else if (Matches(text, "BLOCKS", 6)) {
        return ParseBlocksSwitch(text);
    } else if (Matches(text, "TYPE:", 5)) {
        switch (UpperAscii(text[5])) {
            case 'L':
                filter.linesEnabled = 1;
                break;
            case 'M':
                filter.pointsEnabled = 1;
                break;
            case 'P':
                filter.polygonsEnabled = 1;
                break;
            default:
                Warn(Format(kMsgIgnoringInvalidSwitch, text));
        }
    } else if (Matches(text, "COORDSYS:", 9)) {
        return ParseCoordSysSwitch(rest(9));
    } else if (Matches(text, "I", 1)) {
        if (!nonEmpty(1)) return kCmdInvalidSwitch;
        settings.inputType = text[1];
    } else if (Matches(text, "O", 1)) {
        if (!nonEmpty(1)) return kCmdInvalidSwitch;
        settings.outputType = text[1];
    } else if (Matches(text, "T", 1)) {
        if (!nonEmpty(1)) return kCmdInvalidSwitch;
        settings.csvTypeLetter = text[1];
        switch (Lower(text[1])) {
            case 'l':
                settings.csvObjectKind = 3;
                break;
            case 'm':
                settings.csvObjectKind = 0;
                break;
            case 'p':
                settings.csvObjectKind = 5;
                break;
            default:
                Warn(Format(kMsgInvalidSwitchUsingDefault, text, "TM"));
        }
    } else if (Matches(text, "F:", 2)) {
        filter.SetLayers("");
        if (!nonEmpty(2)) return kCmdInvalidSwitch;
        filter.SetLayers(rest(2));
    } else if (Matches(text, "W", 1)) {
        if (!nonEmpty(1)) return kCmdInvalidSwitch;
        settings.overwriteAction = text[1];
    } else if (Matches(text, "K", 1)) {
        // Accepted for old command lines; it selects nothing.
    } else if (Matches(text, "NOCSMETADATA", 12)) {
        settings.noCoordSysMetadata = 1;
    } else {
        return kCmdInvalidSwitch;
    }
    return 0;
}

// TABLE:{SQL|CSV}[:STYLE][:XY][:<list>]; positions count from the 'T'.
Status CLoaderApp::ParseTableSwitch(const char* text) {
    CLoaderSettings& settings = *settings_;
    settings.tableExportKind = 0;
    settings.tablesToExport.SetFromText("");
    if (MatchesAt(text, 6, "SQL")) {
        settings.tableExportKind = 1;
    } else if (MatchesAt(text, 6, "CSV")) {
        settings.tableExportKind = 2;
    } else {
        return kCmdInvalidSwitch;
    }
    const std::size_t list =
        KeywordsAndList(text, 9, "STYLE", "XY", settings.styleTables, settings.xyColumns);
    if (list) settings.tablesToExport.SetFromText(text + list);
    return 0;
}

// BLOCKS[:EMF][:EXPLODE][:<list>]; positions count from the 'B'.
Status CLoaderApp::ParseBlocksSwitch(const char* text) {
    CLoaderSettings& settings = *settings_;
    settings.filter.SetBlocks("");
    settings.blocksAsMetafiles = settings.explodeBlocks = 0;
    const std::size_t list = KeywordsAndList(text, 6, "EMF", "EXPLODE", settings.blocksAsMetafiles,
                                             settings.explodeBlocks);
    if (list) settings.filter.SetBlocks(text + list);
    return 0;
}

Status CLoaderApp::ParseCoordSysSwitch(const char* value) {
    CLoaderSettings& settings = *settings_;
    if (!*value) return kCmdInvalidSwitch;
    if (EqualNoCase(value, "NONE")) {
        coordSysNone_ = 1;
        return 0;
    }
    if (!Matches(value, "IN:", 3)) {
        settings.inputCode = value;
        settings.inputCodeGiven = 1;
        return 0;
    }
    const char* codes = value + 3;
    if (!*codes) return kCmdInvalidSwitch;
    const char* out = codes;
    while (*out && !Matches(out, ":OUT:", 5)) ++out;
    if (!*out || out == codes) return kCmdInvalidSwitch;
    settings.inputCode.assign(codes, out);
    settings.inputCodeGiven = 1;
    if (!out[5]) return kCmdInvalidSwitch;
    settings.outputCode = out + 5;
    settings.outputCodeGiven = 1;
    return 0;
}

Status CLoaderApp::ReadSwitchFile() {
    const std::string name = settings_->switchFile;
    if (name.empty() || switchFileDepth_ >= kMaxSwitchFileNesting) return kCmdInvalidSwitch;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(name.c_str(), "r"),
                                                         std::fclose);
    if (!file) return kCmdInvalidSwitch;
    ++switchFileDepth_;
    Status status = 0;
    int lineNumber = 0;
    // The innermost file names the line at fault; the files around it keep that.
    auto fault = [&](std::string_view text) {
        status = kCmdInvalidSwitch;
        if (switchFaultNamed_) return;
        const std::string where =
            std::string(text) + " (" + name + ", line " + std::to_string(lineNumber) + ")";
        SetStatusArgs(where.c_str(), nullptr);
        switchFaultNamed_ = true;
    };
    std::string line;
    bool tooLong = false, failed = false;
    while (status == 0 && ReadLine(file.get(), line, tooLong, failed)) {
        ++lineNumber;
        if (lineNumber == 1 && line.starts_with(kUtf8ByteOrderMark))
            line.erase(0, std::strlen(kUtf8ByteOrderMark));
        const std::string trimmed(TrimBlanks(line));
        // The tail of an over-long line must never be read as a switch of its own.
        if (tooLong || failed) {
            fault(trimmed);
            break;
        }
        if (trimmed.empty() || (trimmed.front() != '/' && trimmed.front() != '-')) continue;
        if (HoldsSeveralSwitches(trimmed) || ParseSwitch(trimmed.c_str() + 1) != 0) fault(trimmed);
    }
    // A file that cannot be read at all is named by the switch that names it.
    if (status == 0 && failed) status = kCmdInvalidSwitch;
    --switchFileDepth_;
    return status;
}
