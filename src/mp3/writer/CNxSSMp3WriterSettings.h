#pragma once

#include <mutex>
#include <string>
#include <string_view>

#include "mp3/enc/Mp3WriterSettings.h"
#include "stream/CNxSSWriterSettings.h"

// The MP3 writer's encoder settings as the framework and the recording
// options see them: persisted under "DoZIrodiz\Mp3Writer", 128 kbit/s
// 44100 Hz stereo at the fast speed unless stored otherwise.
class CNxSSMp3WriterSettings : public CNxSSWriterSettings {
  public:
    static constexpr std::string_view kSubkey = mp3::enc::kMp3WriterSettingsKey;

    CNxSSMp3WriterSettings() = default;
    explicit CNxSSMp3WriterSettings(const mp3::enc::Mp3WriterSettings& values);

    // A copy: the page sets them on the user's thread while the writer's
    // thread reads them.
    mp3::enc::Mp3WriterSettings Values() const;
    void SetValues(const mp3::enc::Mp3WriterSettings& values);

    // Loading reads the format only in CBR mode; saving leaves
    // "allowIntensity", "allowMidside" and "OriginalBit" as stored.
    void Persist(bool save, CNxSSRegistryStore& store) override;
    NxRef<CNxSSWriterSettings> Clone() const override;
    // "MP3 128Kbps 44100Hz Stereo" or "MP3 VBR (Moderate Compression)".
    std::string Describe() const override;
    // All values but "OriginalBit".
    bool IsSame(const CNxSSWriterSettings& other) const override;
    int32_t GetSinkKind() const override { return mp3::enc::kMp3SinkKind; }
    std::string GetExtension() const override { return "mp3"; }
    // "Bitrate", also in VBR mode (where it keeps the last CBR choice).
    uint32_t GetBitrate() const override;

  private:
    mutable std::mutex mutex_;
    mp3::enc::Mp3WriterSettings values_;
};
