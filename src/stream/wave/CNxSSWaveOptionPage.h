#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/WaveFormat.h"
#include "platform/acm/AcmTypes.h"
#include "stream/CNxSSFormatChoice.h"
#include "stream/CNxSSOptionPage.h"
#include "stream/wave/CNxSSWaveWriterSettings.h"

// The model behind the WAVE writer's page of the recording options: the
// format tags and formats the user can choose from and which entry starts
// selected. Compressed formats are offered only when "EnableCodec" is set
// in "DoZIrodiz\WaveWriter", and only those the layer can really write.
// As a format choice it offers the formats of every tag in one list.
class CNxSSWaveOptionPage : public CNxSSOptionPage, public CNxSSFormatChoice {
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

    // The format choice: PCM entries with their own texts, then those of
    // the other tags led by the tag's name. Listed when first asked for,
    // with the entry closest to the settings (within their tag) selected.
    std::vector<std::string> EntryTexts() const override;
    int Selection() const override;
    void Select(int entry) override;
    // 0x80004005 without a selection.
    uint32_t Apply() override;
    // Prefers the current tag and sample size, and the current rate and
    // channels where the request leaves them open.
    int FindEntry(const Request& request) const override;
    // 0x83EA0007 when no codec writes the current settings' format.
    uint32_t CheckSettings() override;
    std::string ErrorText() const override { return errorText_; }

  protected:
    // The list is made once; the choice in it follows the settings.
    void SettingsReplaced() override {
        if (listed_) {
            selection_ = ClosestChoice();
        }
    }

  private:
    struct Choice {
        uint16_t tag;
        Entry entry;
    };

    static std::vector<Entry> PcmFormats();
    static std::vector<Entry> CodecFormats(uint16_t tag);
    const std::vector<Choice>& Choices() const;
    int ClosestChoice() const;

    mutable std::vector<Choice> choices_;
    mutable bool listed_ = false;
    mutable int selection_ = -1;
    std::string errorText_;
};
