#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/wma/Attributes.h"
#include "stream/CNxSSBlockInfo.h"

class CNxSSWmaReader;

// What a WMA file tells: its attributes in the ID3v1 block's fields (the
// full title kept as the long title) and the facts of its audio stream.
class CNxSSWmaInfo : public CNxSSBlockInfo {
  public:
    explicit CNxSSWmaInfo(CNxSSWmaReader* owner);

    Kind GetKind() const override { return kWma; }

    void SetTitle(std::string_view text) override;

    int32_t GetBitrate() const override;
    int32_t GetSampleRate() const override;
    int32_t GetChannels() const override;
    uint64_t GetFileSize() const override;

    // Writes the edited fields into the file's attributes; the file is
    // rewritten through a temporary file with its audio as it is. A field
    // that was not edited keeps its attribute whole, even where the block
    // had to cut it. 0 or a result code.
    uint32_t WriteTag() override;

  private:
    CNxSSWmaInfo(CNxSSWmaReader* owner, platform::wma::Attributes stored);
    platform::wma::Attributes Edited() const;

    CNxSSWmaReader* const reader_;
    platform::wma::Attributes stored_;  // as the file holds them
};
