#include "ui/options/OptionRecord.h"

#include "app/CdrCommand.h"
#include "app/PlayerSettings.h"
#include "app/Settings.h"
#include "cdinfo/CddbClient.h"
#include "cdinfo/NamingRules.h"

namespace ui::options {
namespace {

namespace s = app::settings;

constexpr std::array<const s::Int*, 4> kFileNameTypes{&s::kFileNameType1, &s::kFileNameType2,
                                                      &s::kFileNameType3, &s::kFileNameType4};

// An unset text takes the default its owner works out.
std::string textOr(const app::PlayerSettings& settings, const s::Text& entry,
                   std::string fallback) {
    std::string value = settings.read(entry);
    return value.empty() ? fallback : value;
}

}  // namespace

OptionRecord OptionRecord::load(const app::PlayerSettings& settings,
                                const app::MimeAssociations& associations) {
    OptionRecord r;
    r.currentWriter = settings.read(s::kCurrentWriter);
    for (size_t i = 0; i < kFileNameTypes.size(); ++i) {
        r.fileNameTypes[i] = settings.read(*kFileNameTypes[i]);
    }
    r.musicPath = textOr(settings, s::kDefaultMusicPath, cdinfo::NamingRules::defaultMusicPath());
    r.dirNameType = settings.read(s::kDirNameType);
    r.cdDrive = settings.read(s::kCdDrive);
    r.cdrCommand = app::cdrCommandOf(settings);
    r.cddbEnable = settings.read(s::kCddbEnable) != 0;
    r.mailAddress = settings.read(s::kMailAdres);
    r.cddbServer = textOr(settings, s::kCddbServer, std::string(cdinfo::kDefaultCddbHost));
    r.cddbServers = settings.read(s::kCddbServers);
    for (size_t i = 0; i < app::kAssociatedTypes.size(); ++i) {
        r.associations[i] = associations.IsAssociated(app::kAssociatedTypes[i].mimeType);
    }
    r.insertBlank = settings.read(s::kInsertBlank) != 0;
    r.blankTime = settings.read(s::kBlankTime);
    r.replayGain = settings.read(s::kReplayGain);
    r.replayGainPreamp = settings.read(s::kReplayGainPreamp);
    return r;
}

bool OptionRecord::save(app::PlayerSettings& settings, app::MimeAssociations& defaults,
                        const OptionRecord& before) const {
    settings.write(s::kCurrentWriter, currentWriter);
    for (size_t i = 0; i < kFileNameTypes.size(); ++i) {
        settings.write(*kFileNameTypes[i], fileNameTypes[i]);
    }
    settings.write(s::kDefaultMusicPath, musicPath);
    settings.write(s::kDirNameType, dirNameType);
    settings.write(s::kCdDrive, cdDrive);
    settings.write(s::kCdrCommand, cdrCommand);
    settings.write(s::kCddbEnable, cddbEnable ? 1 : 0);
    settings.write(s::kMailAdres, mailAddress);
    settings.write(s::kCddbServer, cddbServer);
    settings.write(s::kCddbServers, cddbServers);
    bool written = true;
    for (size_t i = 0; i < app::kAssociatedTypes.size(); ++i) {
        if (associations[i] != before.associations[i]) {
            written &= defaults.SetAssociation(app::kAssociatedTypes[i].mimeType, associations[i]);
        }
    }
    settings.write(s::kInsertBlank, insertBlank ? 1 : 0);
    settings.write(s::kBlankTime, blankTime);
    settings.write(s::kReplayGain, replayGain);
    settings.write(s::kReplayGainPreamp, replayGainPreamp);
    return written;
}

}  // namespace ui::options
