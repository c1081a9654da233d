#include "app/RipNaming.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "cdinfo/CddaResult.h"
#include "platform/AsciiText.h"

namespace app {

namespace {

std::string numberSuffix(size_t track) {
    char text[32];
    std::snprintf(text, sizeof text, " (%02zu)", track + 1);
    return text;
}

}  // namespace

bool namesTellTracksApart(const cdinfo::NamingRules& rules) {
    return std::any_of(rules.fileParts.begin(), rules.fileParts.end(), [](int part) {
        return part == cdinfo::NamingRules::kTitle || part == cdinfo::NamingRules::kTrackNo;
    });
}

std::vector<std::string> ripOutputPaths(const cdinfo::CDiscID& disc,
                                        const cdinfo::NamingRules& rules,
                                        std::string_view extension) {
    std::string folder;
    if (disc.MakeMP3FolderName(folder, rules) != cdinfo::kCddaOk) {
        return {};
    }
    const std::string joint = folder == "/" ? "" : "/";
    std::string dotted = ".";
    dotted += extension;
    std::vector<std::string> paths(disc.tracks.size());
    std::set<std::string> taken;
    for (size_t i = 0; i < disc.tracks.size(); ++i) {
        std::string name;
        if (!disc.tracks[i].audio ||
            disc.MakeMP3FileName(name, static_cast<int>(i), rules) != cdinfo::kCddaOk) {
            continue;
        }
        std::string path = folder + joint + name;
        while (!taken.insert(platform::toLowerAscii(path + dotted)).second) {
            path += numberSuffix(i);
        }
        paths[i] = path + dotted;
    }
    return paths;
}

}  // namespace app
