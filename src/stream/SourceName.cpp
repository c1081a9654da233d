#include "stream/SourceName.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace nxss {

namespace {

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view fileNamePart(std::string_view path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::optional<int32_t> parseSilenceName(std::string_view name) {
    if (name.size() < 6 || name.substr(0, 2) != "::" || name.substr(2, 4) != "SLNC") {
        return std::nullopt;
    }
    return std::atoi(std::string(name.substr(6)).c_str());
}

std::string lowerExtension(std::string_view name) {
    const std::string_view file = fileNamePart(name);
    const size_t dot = file.find_last_of('.');
    if (dot == std::string_view::npos) {
        return {};
    }
    std::string ext(file.substr(dot + 1));
    std::transform(ext.begin(), ext.end(), ext.begin(), lowerAscii);
    return ext;
}

std::optional<CdTrackName> parseCdTrackName(std::string_view name) {
    if (name.size() < 2 || name[1] != ':' || !std::isalpha(static_cast<unsigned char>(name[0]))) {
        return std::nullopt;
    }
    std::string file(fileNamePart(name));
    std::transform(file.begin(), file.end(), file.begin(), lowerAscii);
    int track = 0;
    if (std::sscanf(file.c_str(), "track%d", &track) != 1 || track < 1 || track > 99) {
        return std::nullopt;
    }
    return CdTrackName{std::toupper(static_cast<unsigned char>(name[0])) - 'A', track};
}

}  // namespace nxss
