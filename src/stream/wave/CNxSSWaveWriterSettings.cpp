#include "stream/wave/CNxSSWaveWriterSettings.h"

#include <vector>

#include "platform/acm/CodecRegistry.h"

CNxSSWaveWriterSettings::CNxSSWaveWriterSettings()
    : target_(platform::WaveFormat::pcm(2, 44100, 16)) {}

void CNxSSWaveWriterSettings::Persist(bool save, CNxSSRegistryStore& store) {
    store.OpenKey(kSubkey, save);
    if (save) {
        const auto bytes = target_.bytes();
        const std::vector<uint8_t> record(bytes.begin(), bytes.end());
        store.WriteBinary(kValue, &record);
    } else if (const auto stored = store.ReadBinary(kValue); !stored.empty()) {
        if (const auto format = platform::WaveFormat::fromBytes(stored)) {
            target_ = *format;
        }
    }
    store.Close();
}

NxRef<CNxSSWriterSettings> CNxSSWaveWriterSettings::Clone() const {
    auto copy = NxRef(new CNxSSWaveWriterSettings());
    copy->target_ = target_;
    return copy;
}

std::string CNxSSWaveWriterSettings::Describe() const {
    const auto codecs = platform::acm::CodecRegistry::current();
    const auto tag = codecs->formatTagDetails(target_.tag());
    const auto text = codecs->formatText(target_);
    if (!tag || !text) {
        return {};
    }
    return "WAVE " + tag->name + " " + *text;
}

bool CNxSSWaveWriterSettings::IsSame(const CNxSSWriterSettings& other) const {
    const auto* wave = dynamic_cast<const CNxSSWaveWriterSettings*>(&other);
    return wave && wave->target_ == target_;
}
