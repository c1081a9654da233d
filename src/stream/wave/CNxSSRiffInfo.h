#pragma once

#include <string>
#include <string_view>

#include "stream/CNxSSInfo.h"
#include "stream/NxRef.h"
#include "stream/wave/CNxSSRiffFile.h"

// The information object of a WAVE file: its title (from the file's INFO
// list, if any) and its format as the compression layer names it.
class CNxSSRiffInfo : public CNxSSInfo {
  public:
    CNxSSRiffInfo(CNxSSComponent* owner, NxRef<CNxSSRiffFile> file);

    Kind GetKind() const override { return kRiff; }
    void SetTitle(std::string_view title) override { title_ = title; }
    std::string GetTitle() const override { return title_; }

    int32_t GetBitrate() const override;
    int32_t GetSampleRate() const override;
    int32_t GetChannels() const override;

    uint64_t GetFileSize() const override;
    // "PCM", "IMA ADPCM", ...; empty for a tag no codec knows.
    std::string GetFormatName() const override;
    // "44.100 kHz, 16 ﾋﾞｯﾄ, ｽﾃﾚｵ", ...; empty for a format no codec knows.
    std::string GetFormatDetails() const override;

  private:
    NxRef<CNxSSRiffFile> file_;
    std::string title_;
};
