#include "mp3/writer/CNxSSMp3WriterSettings.h"

#include "mp3/writer/Mp3RegistryStore.h"

CNxSSMp3WriterSettings::CNxSSMp3WriterSettings(const mp3::enc::Mp3WriterSettings& values)
    : values_(values) {}

mp3::enc::Mp3WriterSettings CNxSSMp3WriterSettings::Values() const {
    std::lock_guard lock(mutex_);
    return values_;
}

void CNxSSMp3WriterSettings::SetValues(const mp3::enc::Mp3WriterSettings& values) {
    std::lock_guard lock(mutex_);
    values_ = values;
}

void CNxSSMp3WriterSettings::Persist(bool save, CNxSSRegistryStore& store) {
    store.OpenKey(kSubkey, save);
    Mp3RegistryStore values(store);
    if (save) {
        Values().save(values);
    } else {
        mp3::enc::Mp3WriterSettings loaded = Values();
        loaded.load(values);
        SetValues(loaded);
    }
    store.Close();
}

NxRef<CNxSSWriterSettings> CNxSSMp3WriterSettings::Clone() const {
    return NxRef<CNxSSWriterSettings>(new CNxSSMp3WriterSettings(Values().clone()));
}

std::string CNxSSMp3WriterSettings::Describe() const {
    return Values().describe();
}

bool CNxSSMp3WriterSettings::IsSame(const CNxSSWriterSettings& other) const {
    const auto* mp3 = dynamic_cast<const CNxSSMp3WriterSettings*>(&other);
    return mp3 != nullptr && mp3->Values().sameAs(Values());
}

uint32_t CNxSSMp3WriterSettings::GetBitrate() const {
    return static_cast<uint32_t>(Values().bitrate);
}
