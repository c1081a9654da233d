#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mp3::enc {

// Where writer settings live: 32-bit values by name under one key (the
// component configuration store provides it).
class IMp3SettingsStore {
  public:
    virtual ~IMp3SettingsStore() = default;
    virtual std::optional<uint32_t> readValue(std::string_view name) const = 0;
    virtual bool writeValue(std::string_view name, uint32_t value) = 0;
};

inline constexpr const char* kMp3WriterSettingsKey = "DoZIrodiz\\Mp3Writer";
inline constexpr int kMp3SinkKind = 14;

// The MP3 writer's settings: what the property page edits and the recording
// list describes.
struct Mp3WriterSettings {
    int quality = 0;  // 0 fast, 1 standard, 2 high
    int vbrMode = 0;  // 0 CBR, 1 VBR
    int vbrQuality = 60;
    int sampleRate = 44100;
    int channels = 2;
    int bitrate = 128000;
    int allowIntensity = 0;
    int allowMidside = 0;
    int copyrightBit = 0;
    int originalBit = 0;

    // Reads "Quality", "VbrMode", "VbrQuality", then the format only in
    // CBR mode, then the four flags; values the store lacks stay as they are.
    void load(const IMp3SettingsStore& store);
    // Writes the values the page edits; "allowIntensity", "allowMidside" and
    // "OriginalBit" keep whatever the store holds.
    bool save(IMp3SettingsStore& store) const;
    // "MP3 VBR (...)" or "MP3 %dKbps %dHz %s", copied into `buffer` up to
    // `size` bytes (terminated).
    std::string describe() const;
    void describe(char* buffer, size_t size) const;
    // The first nine values; "OriginalBit" is not compared.
    bool sameAs(const Mp3WriterSettings& other) const;
    Mp3WriterSettings clone() const { return *this; }
    // True when an encoder for the input (rate, channels) offers this
    // format; always true in VBR mode.
    bool suits(int inputRate, int inputChannels) const;
    int sinkKind() const { return kMp3SinkKind; }
    const char* extension() const { return ".mp3"; }
};

// The nine table rates: below 8000 gives 8000, above 48000 gives 48000, else
// the largest table rate not above the rate.
int snapSampleRate(int rate);
// "Mono" or "Stereo".
const char* channelName(int channels);
// The VBR quality's name: index quality / 20, 1..5, others count as 3.
const char* vbrQualityName(int vbrQuality);
// The quality list's selection for a VBR quality (0..4).
int vbrQualityIndex(int vbrQuality);
// A format list entry of the property page: "%3dKbps %5dHz %s".
std::string formatListText(int bitrate, int sampleRate, int channels);

}  // namespace mp3::enc
