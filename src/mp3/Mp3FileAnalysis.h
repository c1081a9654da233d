#pragma once

#include <cstddef>
#include <cstdint>

#include "mp3/Mp3StreamFormat.h"
#include "mp3/Mp3VbrHeaders.h"

namespace mp3 {

// What the analysis tells of a file.
struct Mp3FileInfo {
    uint32_t bitrate = 0;  // bits per second
    uint32_t channels = 0;
    uint32_t sampleRate = 0;  // Hz
    uint32_t duration = 0;    // milliseconds
    uint32_t variableBitrate = 0;
    uint32_t vbrHeader = 0;
    uint32_t seekable = 0;  // play positions map to byte offsets
};

class IMp3FileAnalysis {
  public:
    virtual ~IMp3FileAnalysis() = default;
    // Analyses the first block of a file whose audio data is `dataSize`
    // bytes. False when the block holds no frame.
    virtual bool analyse(const uint8_t* buffer, size_t length, uint64_t dataSize) = 0;
    virtual const Mp3FileInfo& info() const = 0;
    // Byte offset of a play position given in percent (0..100).
    virtual uint64_t percentToOffset(double percent) const = 0;
    // Byte offset of a play position in milliseconds.
    virtual uint64_t timeToOffset(double milliseconds) const = 0;
};

// Stream statistics plus the "VBRI" and "Xing" headers of the first frame.
class Mp3FileAnalysis final : public IMp3FileAnalysis {
  public:
    bool analyse(const uint8_t* buffer, size_t length, uint64_t dataSize) override;
    const Mp3FileInfo& info() const override { return info_; }
    uint64_t percentToOffset(double percent) const override;
    uint64_t timeToOffset(double milliseconds) const override;

    const Mp3StreamFormat& format() const { return format_; }
    uint64_t dataSize() const { return dataSize_; }
    bool hasVbri() const { return hasVbri_; }
    bool hasXing() const { return hasXing_; }
    const Mp3VbriHeader& vbri() const { return vbri_; }
    const Mp3XingHeader& xing() const { return xing_; }
    double frameDurationMs() const { return frameDurationMs_; }

  private:
    void applyVbri();
    void applyXing();
    uint64_t vbriOffset(double framePosition) const;
    bool xingTable() const { return hasXing_ && (xing_.flags & kXingToc) && dataSize_ > 0; }

    Mp3FileInfo info_;
    Mp3StreamFormat format_;
    uint64_t dataSize_ = 0;
    double frameDurationMs_ = 0.0;
    bool hasVbri_ = false;
    bool hasXing_ = false;
    Mp3VbriHeader vbri_;
    Mp3XingHeader xing_;
};

}  // namespace mp3
