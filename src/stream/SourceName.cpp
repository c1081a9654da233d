#include "stream/SourceName.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "platform/AsciiText.h"

namespace nxss {

namespace {

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
    return platform::toLowerAscii(file.substr(dot + 1));
}

std::optional<CdTrackName> parseCdTrackName(std::string_view name) {
    if (name.size() < 2 || name[1] != ':' || !std::isalpha(static_cast<unsigned char>(name[0]))) {
        return std::nullopt;
    }
    const std::string file = platform::toLowerAscii(fileNamePart(name));
    int track = 0;
    if (std::sscanf(file.c_str(), "track%d", &track) != 1 || track < 1 || track > 99) {
        return std::nullopt;
    }
    return CdTrackName{std::toupper(static_cast<unsigned char>(name[0])) - 'A', track};
}

}  // namespace nxss
