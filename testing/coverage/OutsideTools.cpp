#include "testing/coverage/OutsideTools.h"

#include <cstdlib>
#include <sstream>

#include "testing/TestSupport.h"

namespace covtest {

namespace {

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::vector<double> Numbers(const std::string& text) {
    std::vector<double> out;
    const char* p = text.c_str();
    while (*p != '\0') {
        char* end = nullptr;
        const bool starts = (*p >= '0' && *p <= '9') || *p == '-' || *p == '+' || *p == '.';
        const double v = starts ? std::strtod(p, &end) : 0;
        if (starts && end != p) {
            out.push_back(v);
            p = end;
        } else {
            ++p;
        }
    }
    return out;
}

}  // namespace

bool ImportE00(const std::filesystem::path& avcimport, const std::string& name,
               const std::filesystem::path& workspace) {
    std::filesystem::create_directories(workspace);
    const std::string e00 =
        wlxtest::SourcePath("coverage/lib/tests/data/" + name + ".e00").string();
    return wlxtest::Run(avcimport, {e00, (workspace / name).string()}).exitCode == 0;
}

OgrLayers ReadWithOgrInfo(const std::filesystem::path& ogrinfo,
                          const std::filesystem::path& cover_directory) {
    OgrLayers layers;
    const wlxtest::ProcessResult run =
        wlxtest::Run(ogrinfo, {"-ro", "-al", cover_directory.string()});
    if (run.exitCode != 0) return layers;
    std::istringstream in(run.out);
    std::string line;
    OgrFeature* feature = nullptr;
    while (std::getline(in, line)) {
        if (StartsWith(line, "OGRFeature(")) {
            const std::size_t close = line.find("):");
            const std::string layer = line.substr(11, close - 11);
            layers[layer].push_back(OgrFeature{});
            feature = &layers[layer].back();
            feature->fid = std::atoll(line.c_str() + close + 2);
            continue;
        }
        if (feature == nullptr || !StartsWith(line, "  ")) {
            if (line.empty()) feature = nullptr;
            continue;
        }
        const std::string body = line.substr(2);
        const std::size_t type = body.find(" (");
        const std::size_t equals = body.find(") = ");
        if (type != std::string::npos && equals != std::string::npos && type < equals &&
            body.find(' ') == type) {
            feature->fields[body.substr(0, type)] = body.substr(equals + 4);
        } else {
            feature->coordinates = Numbers(body.substr(body.find('(')));
        }
    }
    return layers;
}

std::vector<std::int32_t> IntegerList(const std::string& value) {
    std::vector<std::int32_t> out;
    const std::size_t colon = value.find(':');
    if (colon == std::string::npos) return out;
    for (double v : Numbers(value.substr(colon + 1))) out.push_back(static_cast<std::int32_t>(v));
    return out;
}

std::vector<ExportedTic> TicsFromAvcExport(const std::filesystem::path& avcexport,
                                           const std::filesystem::path& cover_directory) {
    std::vector<ExportedTic> tics;
    const wlxtest::ProcessResult run = wlxtest::Run(avcexport, {cover_directory.string(), "-"});
    std::istringstream in(run.out);
    std::string line;
    bool inside = false;
    int items = 0;
    while (std::getline(in, line)) {
        if (!inside) {
            inside = line.size() > 4 && line.find(".TIC ") != std::string::npos;
            items = 3;
            continue;
        }
        if (items > 0) {  // the item definitions
            --items;
            continue;
        }
        const std::vector<double> v = Numbers(line);
        if (line.size() < 11 || v.size() != 3 || line.find("XX") != std::string::npos) break;
        tics.push_back({static_cast<std::int32_t>(v[0]), v[1], v[2]});
    }
    return tics;
}

}  // namespace covtest
