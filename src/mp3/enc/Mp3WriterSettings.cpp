#include "mp3/enc/Mp3WriterSettings.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "mp3/enc/EncoderFormats.h"
#include "mp3/enc/Mp3EncoderHandle.h"

namespace mp3::enc {

namespace {
constexpr const char* kQualityNames[5] = {"Better Compression", "Good Compression",
                                          "Moderate Compression", "High Quality",
                                          "Highest Quality"};

void readInto(const IMp3SettingsStore& store, std::string_view name, int& value) {
    if (const auto v = store.readValue(name)) {
        value = static_cast<int>(*v);
    }
}
}  // namespace

int snapSampleRate(int rate) {
    if (rate < 8000) {
        return 8000;
    }
    if (rate > 48000) {
        return 48000;
    }
    int snapped = kTableRates[0];
    for (const int r : kTableRates) {
        if (r <= rate) {
            snapped = r;
        }
    }
    return snapped;
}

const char* channelName(int channels) {
    return channels == 1 ? "Mono" : "Stereo";
}

int vbrQualityIndex(int vbrQuality) {
    const int index = vbrQuality / 20;
    return (index < 1 || index > 5 ? 3 : index) - 1;
}

const char* vbrQualityName(int vbrQuality) {
    return kQualityNames[vbrQualityIndex(vbrQuality)];
}

std::string formatListText(int bitrate, int sampleRate, int channels) {
    char text[64];
    std::snprintf(text, sizeof text, "%3dKbps %5dHz %s", bitrate / 1000, sampleRate,
                  channelName(channels));
    return text;
}

void Mp3WriterSettings::load(const IMp3SettingsStore& store) {
    readInto(store, "Quality", quality);
    readInto(store, "VbrMode", vbrMode);
    readInto(store, "VbrQuality", vbrQuality);
    if (vbrMode == 0) {
        readInto(store, "SampleRate", sampleRate);
        readInto(store, "Channels", channels);
        readInto(store, "Bitrate", bitrate);
    }
    readInto(store, "allowIntensity", allowIntensity);
    readInto(store, "allowMidside", allowMidside);
    readInto(store, "CopyrightBit", copyrightBit);
    readInto(store, "OriginalBit", originalBit);
}

bool Mp3WriterSettings::save(IMp3SettingsStore& store) const {
    const std::pair<const char*, int> values[] = {
        {"Quality", quality},          {"VbrMode", vbrMode},   {"VbrQuality", vbrQuality},
        {"SampleRate", sampleRate},    {"Channels", channels}, {"Bitrate", bitrate},
        {"CopyrightBit", copyrightBit}};
    bool ok = true;
    for (const auto& [name, value] : values) {
        ok = store.writeValue(name, static_cast<uint32_t>(value)) && ok;
    }
    return ok;
}

std::string Mp3WriterSettings::describe() const {
    char text[128];
    if (vbrMode != 0) {
        std::snprintf(text, sizeof text, "MP3 VBR (%s)", vbrQualityName(vbrQuality));
    } else {
        std::snprintf(text, sizeof text, "MP3 %dKbps %dHz %s", bitrate / 1000, sampleRate,
                      channelName(channels));
    }
    return text;
}

void Mp3WriterSettings::describe(char* buffer, size_t size) const {
    if (buffer == nullptr || size == 0) {
        return;
    }
    const std::string text = describe();
    const size_t n = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

bool Mp3WriterSettings::sameAs(const Mp3WriterSettings& o) const {
    return quality == o.quality && vbrMode == o.vbrMode && vbrQuality == o.vbrQuality &&
           sampleRate == o.sampleRate && channels == o.channels && bitrate == o.bitrate &&
           allowIntensity == o.allowIntensity && allowMidside == o.allowMidside &&
           copyrightBit == o.copyrightBit;
}

bool Mp3WriterSettings::suits(int inputRate, int inputChannels) const {
    if (vbrMode != 0) {
        return true;
    }
    const auto handle = Mp3EncoderHandle::create(snapSampleRate(inputRate), inputChannels,
                                                 std::clamp(quality, 0, 2));
    return handle && handle->offers({sampleRate, channels, bitrate});
}

}  // namespace mp3::enc
