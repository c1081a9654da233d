#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "mp3/enc/Mp3EncoderHandle.h"
#include "mp3/writer/CNxSSMp3WriterSettings.h"
#include "stream/CNxSSFormatChoice.h"
#include "stream/CNxSSOptionPage.h"

// The model behind the MP3 writer's property page: CBR or VBR, the formats
// an encoder offers for the source (44100 Hz stereo when the source is not
// known), the five VBR qualities, the three speeds and the copyright box.
// The controls start from the settings when the page opens; Apply writes
// them back. The format list lists at the fast speed, so every entry can
// be written at every speed.
class CNxSSMp3OptionPage : public CNxSSOptionPage, public CNxSSFormatChoice {
  public:
    static constexpr int kQualityEntries = 5;
    static constexpr int kSpeeds = 3;

    CNxSSMp3OptionPage(CNxSSObject* writer, NxRef<CNxSSMp3WriterSettings> settings);

    CNxSSMp3WriterSettings& Mp3Settings() const;

    // What the page does when shown: lists the formats for the source and
    // sets every control from the settings. The list follows a later
    // change of the source format by itself.
    void Open();

    // The CBR and VBR buttons; CBR enables the format list, VBR the
    // quality list.
    bool VbrMode() const;
    void SetVbrMode(bool vbr);
    bool FormatListEnabled() const { return !VbrMode(); }
    bool QualityListEnabled() const { return VbrMode(); }

    const std::vector<mp3::enc::Mp3Format>& Formats() const;
    // "Better Compression" to "Highest Quality".
    static std::array<std::string, kQualityEntries> QualityTexts();
    int QualitySelection() const;
    // Out-of-range entries are ignored.
    void SelectQuality(int entry);

    // 0 fast, 1 standard, 2 high quality, with the buttons' labels.
    static std::array<std::string, kSpeeds> SpeedTexts();
    int Speed() const;
    void SetSpeed(int speed);
    bool Copyright() const;
    void SetCopyright(bool on);

    // The format list: "%3dKbps %5dHz %s".
    std::vector<std::string> EntryTexts() const override;
    int Selection() const override;
    void Select(int entry) override;
    // Writes the controls into the settings. In CBR mode without a selected
    // format 0x80004005, and the settings stay as they were.
    uint32_t Apply() override;
    int FindEntry(const Request& request) const override;
    // 0x83EA0007 when the settings' CBR format cannot be made from the
    // source (or from 44100 Hz stereo when the source is not known).
    uint32_t CheckSettings() override;
    std::string ErrorText() const override { return errorText_; }

  protected:
    void SettingsReplaced() override { Open(); }

  private:
    // The encoder's input (rate, channels) for the source.
    std::pair<int, int> ListedInput() const;
    void EnsureOpen() const;
    void OpenFor(std::pair<int, int> input) const;

    // The controls; mutable because any use of the page reopens it for a
    // source that has changed.
    mutable std::pair<int, int> openedFor_;
    mutable std::vector<mp3::enc::Mp3Format> formats_;
    mutable int selection_ = -1;
    mutable bool vbr_ = false;
    mutable int quality_ = 2;
    mutable int speed_ = 0;
    mutable bool copyright_ = false;
    std::string errorText_;
};

// Why the settings cannot be written for an encoder input, in words for
// the user.
std::string Mp3RefusalText(const mp3::enc::Mp3WriterSettings& settings, int inputRate,
                           int inputChannels);
