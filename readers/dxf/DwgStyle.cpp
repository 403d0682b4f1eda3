#include "readers/dxf/DwgStyle.h"

#include <cmath>
#include <cstdint>
#include <string_view>

namespace dwg {

namespace {

constexpr std::uint8_t kFirstNine[9][3] = {
    {255, 0, 0},   {255, 255, 0},   {0, 255, 0},     {0, 255, 255},   {0, 0, 255},
    {255, 0, 255}, {255, 255, 255}, {128, 128, 128}, {192, 192, 192},
};
constexpr std::uint8_t kGreys[6] = {51, 91, 132, 173, 214, 255};
constexpr double kValues[5] = {255, 204, 153, 127, 76};

CRgbaColor Rgb(double r, double g, double b) {
    return CRgbaColor(static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                      static_cast<std::uint8_t>(b), 255);
}

// Indexes 10 to 249: 24 hues of 15 degrees, each in five values at full and
// half saturation.
CRgbaColor HueColour(int index) {
    const int k = index - 10;
    const double h = 15.0 * (k / 10);
    const int shade = k % 10;
    const double v = kValues[shade / 2];
    const double s = shade % 2 == 0 ? 1.0 : 0.5;
    const double c = v * s;
    const double x = c * (1 - std::fabs(std::fmod(h / 60, 2.0) - 1));
    const double m = v - c;
    switch (static_cast<int>(h / 60)) {
        case 0:
            return Rgb(c + m, x + m, m);
        case 1:
            return Rgb(x + m, c + m, m);
        case 2:
            return Rgb(m, c + m, x + m);
        case 3:
            return Rgb(m, x + m, c + m);
        case 4:
            return Rgb(x + m, m, c + m);
        default:
            return Rgb(c + m, m, x + m);
    }
}

// Codes that run to the next ";" with their parameter.
bool TakesParameter(char c) {
    return std::string_view("ACFHQTWf").find(c) != std::string_view::npos;
}

}  // namespace

CRgbaColor ColourFromIndex(int index) {
    if (index < 1 || index > 255) index = 7;
    if (index <= 9) {
        const auto& c = kFirstNine[index - 1];
        return CRgbaColor(c[0], c[1], c[2], 255);
    }
    if (index >= 250) {
        const std::uint8_t g = kGreys[index - 250];
        return CRgbaColor(g, g, g, 255);
    }
    return HueColour(index);
}

std::string StripTextFormatting(std::string_view t, bool keepNewLines) {
    if (t.size() >= 2 && t.front() == '{' && t.back() == '}') t = t.substr(1, t.size() - 2);
    const char newLine = keepNewLines ? '\n' : ' ';
    std::string out;
    const std::size_t n = t.size();
    std::size_t i = 0;
    while (i < n) {
        const char c = t[i];
        if (c != '\\' || i + 1 == n) {
            if (c == '\n')
                out += newLine;
            else if (c != '\r')
                out += c;
            ++i;
            continue;
        }
        const char d = t[i + 1];
        if (TakesParameter(d)) {
            const std::size_t semicolon = t.find(';', i + 2);
            i = semicolon == std::string_view::npos ? n : semicolon + 1;
        } else if (d == 'L' || d == 'O' || d == 'l' || d == 'o') {
            i += 2;
        } else if (d == 'P' || d == 'p') {
            out += newLine;
            i += 2;
        } else if (d == 'S') {
            i += 2;
            while (i < n && t[i] != ';') {
                out += t[i] == '^' ? ' ' : t[i];
                ++i;
            }
            if (i < n) ++i;
        } else if (d == '\\' || d == '{' || d == '}') {
            out += d;
            i += 2;
        } else if (d == '~') {
            out += ' ';
            i += 2;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

}  // namespace dwg
