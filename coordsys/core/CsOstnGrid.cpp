#include "coordsys/core/CsOstnGrid.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <sstream>
#include <string>

#include "common/ByteOrder.h"

namespace fs = std::filesystem;

namespace {

constexpr int kColumns = 701;

// Any letter case of the file's name.
bool ReadFile(const std::string& path, std::string* bytes) {
    std::FILE* file = CS_fileOpen(path.c_str(), "rb");
    if (!file) return false;
    bytes->clear();
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes->append(buffer, n);
    const bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

CsOstnGrid* Fail(CsOstnGrid* grid, int code, const std::string& context) {
    CS_setErrorContext(context.c_str());
    CS_reportError(code);
    delete grid;
    return nullptr;
}

std::vector<std::string> Lines(const std::string& text, std::size_t limit) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > limit) line.resize(limit);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

bool Parse97(const std::string& text, std::vector<float>* nodes) {
    for (const std::string& line : Lines(text, 127)) {
        const std::size_t blank = line.find(' ');
        if (blank == std::string::npos) return false;
        const float de = std::strtof(line.c_str(), nullptr);
        const float dn = std::strtof(line.c_str() + blank + 1, nullptr);
        if (!std::isfinite(de) || !std::isfinite(dn)) return false;
        nodes->push_back(de);
        nodes->push_back(dn);
    }
    return true;
}

bool Parse02(const std::string& text, int rows, std::vector<float>* nodes) {
    long number = 0;
    int rowCount = 0, inRow = 0;
    for (const std::string& line : Lines(text, 255)) {
        ++number;
        std::vector<std::string> f;
        std::size_t start = 0;
        for (int i = 0; i < 6; ++i) {
            const std::size_t comma = line.find(',', start);
            if (comma == std::string::npos) return false;
            f.push_back(line.substr(start, comma - start));
            start = comma + 1;
        }
        f.push_back(line.substr(start));
        char* end = nullptr;
        const long point = std::strtol(f[0].c_str(), nullptr, 10);
        const long code = std::strtol(f[6].c_str(), &end, 10);
        if (point != number || end == f[6].c_str()) return false;
        const double easting = std::strtod(f[1].c_str(), nullptr);
        const double de = std::strtod(f[3].c_str(), nullptr);
        const double dn = std::strtod(f[4].c_str(), nullptr);
        const double dh = std::strtod(f[5].c_str(), nullptr);
        if (code < 0 || code > 14) return false;
        if (!std::isfinite(easting) || !std::isfinite(static_cast<float>(de)) ||
            !std::isfinite(static_cast<float>(dn)) || !std::isfinite(dh)) {
            return false;
        }
        if (code == 0 && (de != 0 || dn != 0 || dh != 0)) return false;
        if (code != 0 && (de == 0 || dn == 0 || dh == 0)) return false;
        if (number == 1) {
            rowCount = 1;
            inRow = 1;
        } else if (easting == 0) {
            if (inRow != kColumns) return false;
            ++rowCount;
            inRow = 1;
        } else {
            ++inRow;
        }
        nodes->push_back(static_cast<float>(de));
        nodes->push_back(static_cast<float>(dn));
    }
    return rowCount == rows && inRow == kColumns;
}

// A binary file that cannot be written leaves the nodes in memory only; a
// temporary file renamed into place never leaves half a file behind.
void WriteBinary(const std::string& path, const std::vector<float>& nodes) {
    std::vector<std::uint8_t> bytes(nodes.size() * 4);
    for (std::size_t i = 0; i < nodes.size(); ++i) byteorder::StoreF32Le(nodes[i], &bytes[i * 4]);
    const std::string temporary = path + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) return;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    std::error_code error;
    if (written && closed) fs::rename(temporary, path, error);
    if (!written || !closed || error) fs::remove(temporary, error);
}

CsOstnGrid* Build(const char* textPath, bool is02) {
    auto* grid = new (std::nothrow) CsOstnGrid{};
    if (!grid) {
        CS_reportError(kCsErrNoMemory);
        return nullptr;
    }
    grid->minLongitude = -7.5564486886;
    grid->minLatitude = 49.76618585829;
    grid->maxLongitude = 3.80211097712;
    grid->maxLatitude = 62.35847460244;
    grid->density = 0.009009009;
    grid->columns = kColumns;
    grid->rows = is02 ? 1251 : 1401;
    grid->nodeSize = 8;
    grid->rowSize = kColumns * 8;
    const std::string text = textPath;
    const std::size_t slash = text.find_last_of('/');
    const std::size_t dot = text.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return Fail(grid, 128, text);
    }
    const std::string binary = text.substr(0, dot + 1) + (is02 ? "_02" : "_nt");
    std::snprintf(grid->path, sizeof grid->path, "%s", binary.c_str());
    const std::string stem = fs::path(text).stem().string();
    std::snprintf(grid->name, sizeof grid->name, "%s", stem.c_str());
    if (!CS_fileExists(text.c_str())) return Fail(grid, 128, text);
    const std::size_t count = static_cast<std::size_t>(grid->rows) * kColumns * 2;
    const std::int64_t textTime = CS_fileModTime(text.c_str());
    const std::int64_t binaryTime = CS_fileModTime(binary.c_str());
    std::string bytes;
    if (binaryTime > textTime && ReadFile(binary, &bytes) && bytes.size() == count * 4) {
        grid->nodes.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            grid->nodes[i] =
                byteorder::LoadF32Le(reinterpret_cast<const std::uint8_t*>(&bytes[i * 4]));
        }
        return grid;
    }
    if (!ReadFile(text, &bytes)) return Fail(grid, 128, text);
    const bool parsed =
        is02 ? Parse02(bytes, grid->rows, &grid->nodes) : Parse97(bytes, &grid->nodes);
    if (!parsed) return Fail(grid, kCsErrCorrupt, text);
    // Nodes the file does not give have no shift.
    grid->nodes.resize(count, 0.0f);
    WriteBinary(binary, grid->nodes);
    return grid;
}

}  // namespace

CsOstnGrid* CS_ostn97New(const char* textPath) {
    return Build(textPath, false);
}
CsOstnGrid* CS_ostn02New(const char* textPath) {
    return Build(textPath, true);
}
void CS_ostnFree(CsOstnGrid* grid) {
    delete grid;
}
void CS_ostnRelease(CsOstnGrid*) {}

int CS_ostnShift(const CsOstnGrid* grid, double shift[2], const double en[2]) {
    shift[0] = shift[1] = 0.0;
    const double ce = std::floor(en[0] / 1000.0), rn = std::floor(en[1] / 1000.0);
    if (!(ce >= 0 && ce < grid->columns - 1 && rn >= 0 && rn < grid->rows - 1)) return 1;
    const std::size_t c = static_cast<std::size_t>(ce), r = static_cast<std::size_t>(rn);
    const double x = (en[0] - ce * 1000.0) / 1000.0, y = (en[1] - rn * 1000.0) / 1000.0;
    const std::size_t cols = static_cast<std::size_t>(grid->columns);
    for (int k = 0; k < 2; ++k) {
        const double s00 = grid->nodes[(r * cols + c) * 2 + k];
        const double s10 = grid->nodes[(r * cols + c + 1) * 2 + k];
        const double s01 = grid->nodes[((r + 1) * cols + c) * 2 + k];
        const double s11 = grid->nodes[((r + 1) * cols + c + 1) * 2 + k];
        shift[k] = s00 + (s10 - s00) * x + (s01 - s00) * y + (s00 - s10 - s01 + s11) * x * y;
    }
    return 0;
}

int CS_ostnForward(const CsOstnGrid* grid, double out[2], const double en[2]) {
    double shift[2];
    const int status = CS_ostnShift(grid, shift, en);
    out[0] = en[0] + (status == 0 ? shift[0] : 0.0);
    out[1] = en[1] + (status == 0 ? shift[1] : 0.0);
    return status;
}

int CS_ostnInverse(const CsOstnGrid* grid, double out[2], const double en[2]) {
    out[0] = en[0];
    out[1] = en[1];
    double shift[2];
    int status = CS_ostnShift(grid, shift, en);
    if (status != 0) return status;
    double guess[2] = {en[0] - shift[0], en[1] - shift[1]};
    for (int round = 0; round < 10; ++round) {
        status = CS_ostnShift(grid, shift, guess);
        if (status != 0) return status;
        const double de = guess[0] + shift[0] - en[0], dn = guess[1] + shift[1] - en[1];
        if (std::max(std::fabs(de), std::fabs(dn)) <= 0.0001) {
            out[0] = guess[0];
            out[1] = guess[1];
            return 0;
        }
        guess[0] -= de;
        guess[1] -= dn;
    }
    CS_setErrorContext("CS_geoid99:2");
    CS_reportError(139);
    return -1;
}
