#include "stream/wma/CNxSSWmaWriterSettings.h"

#include <cstdio>

namespace {

constexpr std::string_view kSampleRate = "SampleRate";
constexpr std::string_view kChannels = "Channels";
constexpr std::string_view kBitrate = "Bitrate";

}  // namespace

CNxSSWmaWriterSettings::CNxSSWmaWriterSettings(const platform::wma::OutputSettings& output)
    : output_(output) {}

platform::wma::OutputSettings CNxSSWmaWriterSettings::Output() const {
    std::lock_guard lock(mutex_);
    return output_;
}

void CNxSSWmaWriterSettings::SetOutput(const platform::wma::OutputSettings& output) {
    std::lock_guard lock(mutex_);
    output_ = output;
}

void CNxSSWmaWriterSettings::Persist(bool save, CNxSSRegistryStore& store) {
    store.OpenKey(kSubkey, save);
    if (save) {
        const platform::wma::OutputSettings output = Output();
        store.WriteDword(kSampleRate, output.sampleRate);
        store.WriteDword(kChannels, output.channels);
        store.WriteDword(kBitrate, output.bitrate);
    } else {
        LoadFrom(store);
    }
    store.Close();
}

void CNxSSWmaWriterSettings::LoadFrom(CNxSSRegistryStore& store) {
    platform::wma::OutputSettings output = Output();
    if (const uint32_t rate = store.ReadDword(kSampleRate, output.sampleRate); rate != 0) {
        output.sampleRate = rate;
    }
    if (const uint32_t channels = store.ReadDword(kChannels, output.channels);
        channels == 1 || channels == 2) {
        output.channels = static_cast<uint16_t>(channels);
    }
    if (const uint32_t bitrate = store.ReadDword(kBitrate, output.bitrate); bitrate != 0) {
        output.bitrate = bitrate;
    }
    SetOutput(output);
}

NxRef<CNxSSWriterSettings> CNxSSWmaWriterSettings::Clone() const {
    return NxRef<CNxSSWriterSettings>(new CNxSSWmaWriterSettings(Output()));
}

std::string CNxSSWmaWriterSettings::Describe() const {
    const platform::wma::OutputSettings output = Output();
    char text[64];
    std::snprintf(text, sizeof text, "WMA %dKbps %dHz %s", static_cast<int>(output.bitrate / 1000),
                  static_cast<int>(output.sampleRate), output.channels == 1 ? "Mono" : "Stereo");
    return text;
}

bool CNxSSWmaWriterSettings::IsSame(const CNxSSWriterSettings& other) const {
    const auto* wma = dynamic_cast<const CNxSSWmaWriterSettings*>(&other);
    return wma != nullptr && wma->Output() == Output();
}
