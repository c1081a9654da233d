#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/wma/OutputFormats.h"
#include "stream/CNxSSFormatChoice.h"
#include "stream/CNxSSOptionPage.h"
#include "stream/wma/CNxSSWmaWriterSettings.h"

// The WMA writer's option page: one list of the 32 output formats the
// writer offers. An entry the encoder cannot produce is still listed (the
// list is fixed) but applying it is refused with the encoder's reason.
class CNxSSWmaOptionPage : public CNxSSOptionPage, public CNxSSFormatChoice {
  public:
    static constexpr uint32_t kSettingsInterface = 8;

    CNxSSWmaOptionPage(CNxSSObject* writer, NxRef<CNxSSWmaWriterSettings> settings);

    // Id 8 gives the settings object (a CNxSSWriterSettings) with one added
    // reference; other ids 0x80004002.
    uint32_t GetInterface(uint32_t id, void** out) override;

    // What the page does when it is shown: selects the entry equal to the
    // current settings in all three values, or none.
    void Open();
    const platform::wma::OutputSettings& Entry(int entry) const;
    // Whether the encoder can write the entry, and if not, why.
    platform::wma::OutputSupport EntrySupport(int entry) const;

    // "%3dKbps %5dHz %s" for each entry, "Mono" or "Stereo".
    std::vector<std::string> EntryTexts() const override;
    int Selection() const override { return selection_; }
    void Select(int entry) override;
    // 0x80004005 without a selection; 0x83EA0007 for an entry the encoder
    // cannot produce (the settings stay as they were).
    uint32_t Apply() override;
    int FindEntry(const Request& request) const override;
    uint32_t CheckSettings() override;
    std::string ErrorText() const override { return errorText_; }

  protected:
    void SettingsReplaced() override { Open(); }

  private:
    CNxSSWmaWriterSettings* WmaSettings() const;
    int EntryCount() const;

    int selection_ = -1;
    std::string errorText_;
    mutable std::mutex supportMutex_;
    mutable std::vector<std::optional<platform::wma::OutputSupport>> support_;
};
