#include "dgn/DgnGlobal.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <memory>

#include "dgn/DgnSeed.h"
#include "dgn/DgnSettings.h"

namespace {

DgnRgb Grey(int v) {
    const auto c = static_cast<std::uint8_t>(v);
    return {c, c, c};
}

std::array<DgnRgb, 256> BuildFixedColours() {
    std::array<DgnRgb, 256> table{};
    const DgnRgb first[16] = {{255, 255, 255}, {0, 0, 255},     {0, 255, 0},     {255, 0, 0},
                              {255, 255, 0},   {255, 0, 255},   {255, 127, 0},   {0, 255, 255},
                              {64, 64, 64},    {192, 192, 192}, {254, 0, 96},    {160, 224, 0},
                              {0, 254, 160},   {128, 0, 160},   {176, 176, 176}, {0, 240, 240}};
    for (int i = 0; i < 16; ++i) table[i] = first[i];
    for (int i = 16; i <= 253; ++i) {
        const int k = (i - 16) / 16, j = (i - 16) % 16;
        const auto v = static_cast<std::uint8_t>(240 - 15 * k);
        const auto o = static_cast<std::uint8_t>(122 - 5 * k);
        if (j == 15) {
            table[i] = {0, static_cast<std::uint8_t>(v - 15), static_cast<std::uint8_t>(v - 15)};
            continue;
        }
        const DgnRgb shades[8] = {{v, v, v}, {0, 0, v}, {0, v, 0}, {v, 0, 0},
                                  {v, v, 0}, {v, 0, v}, {v, o, 0}, {0, v, v}};
        table[i] = shades[j % 8];
    }
    table[254] = Grey(192);
    table[255] = Grey(0);
    return table;
}

// Everything up to the end-of-design word, element by element.
std::vector<std::uint8_t> DesignBytes(const CByteSource& design) {
    std::vector<std::uint8_t> out;
    std::uint64_t position = 0;
    std::uint8_t word[4];
    while (design.ReadAt(position, word, 2) && byteorder::LoadU16Le(word) != dgn::kEndOfDesign) {
        std::uint64_t length = design.Size() - position;
        if (design.ReadAt(position, word, 4))
            length = std::min<std::uint64_t>(length,
                                             4 + 2 * std::uint64_t(byteorder::LoadU16Le(word + 2)));
        const auto bytes = design.Read(position, static_cast<std::size_t>(length));
        if (!bytes) break;
        out.insert(out.end(), bytes->begin(), bytes->end());
        position += length;
    }
    return out;
}

}  // namespace

CDgnGlobal::CDgnGlobal(const CByteSource& design) : CDgnElement(design, 0, this) {
    LoadColourTable();
}

CDgnGlobal::CDgnGlobal(const CFgnPt* rangeLow, const CFgnPt* rangeHigh,
                       std::int32_t positionalPerSub, std::int32_t subPerMaster, bool twoD,
                       double originX, double originY, double originZ)
    : CDgnElement(this, kModeWrite),
      origin_(originX, originY, originZ),
      twoD_(twoD),
      unitsPerMaster_(double(positionalPerSub) * subPerMaster),
      subPerMaster_(subPerMaster),
      positionalPerSub_(positionalPerSub) {
    if (rangeLow) rangeLow_ = CDgnPt(*rangeLow);
    if (rangeHigh) rangeHigh_ = CDgnPt(*rangeHigh);
    LoadColourTable();
}

const std::array<DgnRgb, 256>& CDgnGlobal::FixedColours() {
    static const std::array<DgnRgb, 256> table = BuildFixedColours();
    return table;
}

DgnRgb CDgnGlobal::GenerateColour(int index) {
    double r = 1, g = 1, b = 1, value = 1;
    if (index < 10) {
        static const DgnRgb kFirst[10] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 1, 1},
                                          {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}};
        const DgnRgb& c = kFirst[index < 0 ? 0 : index];
        r = c[0], g = c[1], b = c[2];
    } else if (index >= 250) {
        value = 0.33 + 0.134 * (index - 250);
    } else {
        static const double kValues[5] = {1.0, 0.65, 0.5, 0.3, 0.15};
        value = kValues[index % 10 / 2];
        const double s = index % 2 == 0 ? 1.0 : 0.5;
        const double h = ((index - 10) / 10) / 4.0;
        const int sector = static_cast<int>(std::floor(h));
        const double f = h - sector;
        switch (sector) {
            case 0:
                r = 1, g = 1 - s * (1 - f), b = 1 - s;
                break;
            case 1:
                r = 1 - s * f, g = 1, b = 1 - s;
                break;
            case 2:
                r = 1 - s, g = 1, b = 1 - s * (1 - f);
                break;
            case 3:
                r = 1 - s, g = 1 - s * f, b = 1;
                break;
            case 4:
                r = 1 - s * (1 - f), g = 1 - s, b = 1;
                break;
            default:
                r = 1, g = 1 - s, b = 1 - s * f;
                break;
        }
    }
    const auto channel = [value](double c) { return static_cast<std::uint8_t>(255 * c * value); };
    return {channel(r), channel(g), channel(b)};
}

void CDgnGlobal::LoadColourTable() {
    if (iniFile.Read(dgn::kSectionGeneral, dgn::kKeyColorScheme, dgn::kDefaultColorScheme, 32) ==
        dgn::kDefaultColorScheme) {
        colours_ = FixedColours();
        return;
    }
    for (int i = 0; i < 256; ++i) colours_[i] = GenerateColour(i);
}

namespace dgn {

namespace {

long LeadingDigits(std::string_view text) {
    long value = 0;
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && value < 100000000; ++i)
        value = value * 10 + (text[i] - '0');
    return negative ? -value : value;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

std::uint8_t LevelFromLayer(std::string_view layer) {
    const std::string section = iniFile.ReadSection(kSectionLevelLayers, 10000);
    long number = LeadingDigits(layer);
    for (std::size_t at = 0; at < section.size() && section[at] != '\0';) {
        const std::size_t end = std::min(section.find('\0', at), section.size());
        const std::string_view line(section.data() + at, end - at);
        at = end + 1;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos || equals == 0 || line.size() - equals < 2) continue;
        std::string_view value = line.substr(equals + 1);
        while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
        if (!SameIgnoringCase(value, layer)) continue;
        std::string_view key = line.substr(0, equals);
        while (!key.empty() && key.back() == ' ') key.remove_suffix(1);
        number = LeadingDigits(key);
        break;
    }
    const auto level = static_cast<std::uint8_t>(static_cast<unsigned long>(number) & 0x3F);
    return level == 0 ? 63 : level;
}

}  // namespace dgn

std::uint8_t CDgnGlobal::NearestColour(DgnRgb rgb) const {
    std::uint8_t best = 0;
    long bestDistance = -1;
    for (int i = 0; i < 256; ++i) {
        const DgnRgb& c = colours_[i];
        if (c == rgb) return static_cast<std::uint8_t>(i);
        long distance = 0;
        for (int k = 0; k < 3; ++k) distance += long(c[k] - rgb[k]) * (c[k] - rgb[k]);
        if (bestDistance < 0 || distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<std::uint8_t>(i);
        }
    }
    return best;
}

std::uint16_t CDgnGlobal::StyleToSymbology(std::int32_t colour, std::int16_t weight,
                                           const char* pattern) const {
    const auto value = static_cast<std::uint32_t>(colour);
    const std::uint8_t index =
        NearestColour({static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                       static_cast<std::uint8_t>(value >> 16)});
    std::uint16_t lineStyle = 0;
    for (int style = 0; style < 8 && pattern; ++style) {
        const std::string key(1, char('0' + style));
        if (iniFile.Read(dgn::kSectionLineStyles, key.c_str(), dgn::kDefaultLineStyle, 512) ==
            pattern) {
            lineStyle = static_cast<std::uint16_t>(style);
            break;
        }
    }
    const std::uint16_t colourBits = index == 255 ? 0 : std::uint16_t(index) << 8;
    return static_cast<std::uint16_t>(colourBits | (weight & 0x1F) << 3 | lineStyle);
}

double CDgnGlobal::ToMaster(double stored, int axis) const {
    const double origin = axis == 0 ? origin_.X() : axis == 1 ? origin_.Y() : origin_.Z();
    return (stored + origin) / unitsPerMaster_;
}

TFgnFmtErr CDgnGlobal::ReadElement() {
    if (Mode() != kModeRead) return kFgnIncomplete;
    const TFgnFmtErr status = ReadHeader();
    if (status != kFgnOk) return Header().type == dgn::kTypeControl ? status : kFgnIncomplete;
    const dgn::SDgnHeader& header = Header();
    if (header.level != 8 || header.type != dgn::kTypeControl || header.deleted ||
        header.Length() < dgn::kControlMinimumLength)
        return kFgnIncomplete;
    twoD_ = !header.complex;  // bit 7 of the first byte: 3-D
    SeekInElement(dgn::kControlSubUnits);
    subPerMaster_ = ReadLong();
    positionalPerSub_ = ReadLong();
    SeekInElement(dgn::kControlScales);
    for (double& scale : scales_) scale = ReadDouble();
    // Working units that are not positive leave no coordinate meaning.
    if (subPerMaster_ <= 0 || positionalPerSub_ <= 0) return kFgnIncomplete;
    unitsPerMaster_ = double(subPerMaster_) * positionalPerSub_;
    SeekInElement(dgn::kControlDesignRange);
    CDgnPt* corners[] = {&rangeLow_, &rangeHigh_};
    for (CDgnPt* corner : corners) {
        const double x = ReadLong(), y = ReadLong(), z = ReadLong();
        corner->SetPoint(x / unitsPerMaster_, y / unitsPerMaster_, twoD_ ? 0 : z / unitsPerMaster_);
    }
    const double x = ReadDouble(), y = ReadDouble(), z = ReadDouble();
    origin_.SetPoint(-x, -y, twoD_ ? 0 : -z);
    return ReadStatus();
}

TFgnFmtErr CDgnGlobal::WriteElement() {
    if (Mode() != kModeWrite) return kFgnIncomplete;
    std::vector<std::uint8_t> ignored;
    return LoadSeedHeader(ignored);
}

TFgnFmtErr CDgnGlobal::LoadSeedHeader(std::vector<std::uint8_t>& out) {
    if (Mode() != kModeWrite) return kFgnIncomplete;
    const std::string settings = ResolveProfilePath(iniFile.GetFile());
    const std::string name =
        iniFile.Read(dgn::kSectionGeneral, dgn::kKeySeedFilePath, dgn::kDefaultSeedFile, 256);
    const std::size_t slash = settings.find_last_of("/\\");
    const std::string path =
        (slash == std::string::npos ? "" : settings.substr(0, slash + 1)) + name;
    std::unique_ptr<CByteSource> file = CFileByteSource::Open(path);
    const std::span<const std::uint8_t> resource = dgn::SeedDesign();
    if (!file && resource.empty()) return kFgnIncomplete;
    CMemoryByteSource compiled(resource);
    const CByteSource& design = file ? *file : static_cast<const CByteSource&>(compiled);

    CDgnGlobal seed(design);
    if (seed.ReadElement() != kFgnOk) return kFgnIncomplete;
    if (seed.TwoD() != twoD_) return kFgnNo3d;
    out = DesignBytes(design);
    subPerMaster_ = seed.subPerMaster_;
    positionalPerSub_ = seed.positionalPerSub_;
    unitsPerMaster_ = seed.unitsPerMaster_;
    rangeLow_ = seed.rangeLow_;
    rangeHigh_ = seed.rangeHigh_;
    origin_.SetPoint(seed.origin_.X() / unitsPerMaster_, seed.origin_.Y() / unitsPerMaster_,
                     seed.origin_.Z() / unitsPerMaster_);
    return kFgnOk;
}
