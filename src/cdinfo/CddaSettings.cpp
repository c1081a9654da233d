// Everything that reads the settings store, kept apart so that callers
// passing explicit configuration (tests, tools) do not need it.
#include <cstdlib>

#include "cdinfo/CCdda.h"
#include "cdinfo/CDiscID.h"
#include "cdinfo/CddaConfig.h"
#include "cdinfo/LocalCdDb.h"
#include "cdinfo/NamingRules.h"
#include "platform/ProductKey.h"
#include "platform/Registry.h"

namespace cdinfo {

namespace {

// Subkeys of the product key.
constexpr std::string_view kSettingsKey = "Settings";
constexpr std::string_view kCddbKey = "CDDB";

int readInt(const platform::Registry& registry, std::string_view subkey, std::string_view name,
            int fallback) {
    const auto value = registry.read(platform::productSubkey(subkey), name);
    const auto number = value ? value->asDword() : std::nullopt;
    return number ? static_cast<int>(*number) : fallback;
}

std::string readText(const platform::Registry& registry, std::string_view subkey,
                     std::string_view name) {
    const auto value = registry.read(platform::productSubkey(subkey), name);
    return value ? value->asText().value_or(std::string{}) : std::string{};
}

}  // namespace

std::string NamingRules::defaultMusicPath() {
    if (const char* music = std::getenv("XDG_MUSIC_DIR"); music != nullptr && music[0] == '/') {
        return music;
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : ".") + "/Music";
}

NamingRules NamingRules::fromSettings(const platform::Registry& registry) {
    NamingRules rules;
    static constexpr std::array<std::string_view, 4> kNames{"FileNameType1", "FileNameType2",
                                                            "FileNameType3", "FileNameType4"};
    for (size_t i = 0; i < kNames.size(); ++i) {
        rules.fileParts[i] = readInt(registry, kSettingsKey, kNames[i], i == 0 ? kTitle : kNone);
    }
    rules.folder = readInt(registry, kSettingsKey, "DirNameType", kAlbumFolder);
    rules.musicPath = readText(registry, kSettingsKey, "DefaultMusicPath");
    if (rules.musicPath.empty()) {
        rules.musicPath = defaultMusicPath();
    }
    return rules;
}

CddaConfig CddaConfig::fromSettings(const platform::Registry& registry) {
    CddaConfig config;
    config.drives = platform::cd::DriveList::systemOptions();
    config.localDb = LocalCdDb::defaultRoot();
    config.server = readText(registry, kCddbKey, "CDDBServer");
    config.mailAddress = readText(registry, kCddbKey, "MailAdres");
    return config;
}

uint32_t CDiscID::MakeMP3FolderName(std::string& folder) const {
    return MakeMP3FolderName(folder, NamingRules::fromSettings(platform::Registry::instance()));
}

uint32_t CDiscID::MakeMP3FileName(std::string& name, int track) const {
    return MakeMP3FileName(name, track, NamingRules::fromSettings(platform::Registry::instance()));
}

CCdda::CCdda() : CCdda([] { return CddaConfig::fromSettings(platform::Registry::instance()); }) {}

}  // namespace cdinfo
