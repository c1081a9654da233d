#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/WaveFormat.h"
#include "platform/acm/AcmTypes.h"
#include "stream/CNxSSOptionPage.h"
#include "stream/CNxSSWaveWriterSettings.h"

// The model behind the WAVE writer's page of the recording options: the
// format tags and formats the user can choose from and which entry starts
// selected. Compressed formats are offered only when "EnableCodec" is set
// in "DoZIrodiz\WaveWriter", and only those the layer can really write.
class CNxSSWaveOptionPage : public CNxSSOptionPage {
  public:
    struct Entry {
        platform::WaveFormat format;
        std::string text;
    };
    static constexpr size_t kNone = static_cast<size_t>(-1);

    CNxSSWaveOptionPage(CNxSSObject* writer, NxRef<CNxSSWaveWriterSettings> settings);

    CNxSSWaveWriterSettings& WaveSettings() const;

    // Read when the page opens.
    static bool CodecsEnabled();
    // PCM first; with codecs enabled also every tag that has a writable format.
    std::vector<platform::acm::FormatTagDetails> FormatTags() const;
    // PCM: the fixed 24 formats. Other tags: the codecs' formats that a
    // conversion from PCM can be opened for.
    static std::vector<Entry> Formats(uint16_t tag);
    // The entry nearest to `current`: fewest channels apart, then the
    // nearest rate, then the nearest sample size; the first of equals.
    static size_t ClosestEntry(const std::vector<Entry>& entries,
                               const platform::WaveFormat& current);

  private:
    static std::vector<Entry> PcmFormats();
    static std::vector<Entry> CodecFormats(uint16_t tag);
};
