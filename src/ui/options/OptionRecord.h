#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "app/MimeAssociations.h"

namespace app {
class PlayerSettings;
}

namespace ui::options {

// The values one opening of the options dialog edits: read from the
// settings and the desktop's default applications when it opens, written
// back only when the user confirms.
struct OptionRecord {
    int32_t currentWriter = 14;
    std::array<int32_t, 4> fileNameTypes{};
    std::string musicPath;
    int32_t dirNameType = 1;
    std::string cdDrive;
    bool driveChanged = false;
    std::string cdrCommand;
    bool cddbEnable = false;
    std::string mailAddress;
    std::string cddbServer;
    std::string cddbServers;
    // By app::kAssociatedTypes.
    std::array<bool, app::kAssociatedTypes.size()> associations{};
    bool insertBlank = false;
    int32_t blankTime = 30;
    int32_t replayGain = 0;        // app::ReplayGainMode
    int32_t replayGainPreamp = 0;  // tenths of a dB

    static OptionRecord load(const app::PlayerSettings& settings,
                             const app::MimeAssociations& associations);
    // Writes the settings, and the associations that differ from `before`
    // (what load gave). False when an association could not be written.
    bool save(app::PlayerSettings& settings, app::MimeAssociations& defaults,
              const OptionRecord& before) const;
};

}  // namespace ui::options
