#include "mp3/enc/XingWriter.h"

#include <algorithm>
#include <cstring>

#include "mp3/Mp3LameTag.h"
#include "mp3/enc/FrameBits.h"
#include "mp3/enc/HeaderFrame.h"

namespace mp3::enc {

namespace {
constexpr size_t kXingFieldBytes = 120;  // tag, flags, frames, bytes, table, quality
constexpr uint32_t kAllFields = 0x0F;
constexpr char kEncoder[] = "Melodux  ";
static_assert(sizeof kEncoder - 1 == kLameEncoderBytes);
constexpr uint8_t kCbrMethod = 1;

int frameBytesAt(int version, int index, int samplesPerFrame, int sampleRate) {
    return tableBitrate(version, index) / 8 * samplesPerFrame / sampleRate;
}
}  // namespace

XingWriter::XingWriter(int sampleRate, int channels, int bitrate, bool copyright, bool original,
                       bool privateBit)
    : sampleRate_(sampleRate),
      channels_(channels),
      bitrate_(bitrate),
      copyright_(copyright),
      original_(original),
      private_(privateBit) {
    version_ = std::max(bitstreamTypeOf(sampleRate), 0);
    samplesPerFrame_ = version_ == 0 ? 1152 : 576;
    const int needed = static_cast<int>(fieldsAt() + kXingFieldBytes + kLameTagBytes);
    const int last = version_ == 2 ? 8 : 14;
    const int stream = bitrateIndex(version_, bitrate, BitrateSelect::Ceiling);
    bitrateIndex_ = stream >= 1 && stream <= last ? stream : last;
    while (bitrateIndex_ < last &&
           frameBytesAt(version_, bitrateIndex_, samplesPerFrame_, sampleRate) < needed) {
        ++bitrateIndex_;
    }
    frameBytes_ = frameBytesAt(version_, bitrateIndex_, samplesPerFrame_, sampleRate);
    offset_ = static_cast<uint64_t>(frameBytes_);
}

void XingWriter::addFrame(int bytes) {
    starts_.push_back(offset_);
    offset_ += static_cast<uint64_t>(bytes);
}

void XingWriter::addAudio(const uint8_t* data, size_t count) {
    audioCrc_ = lameTagCrc(data, count, audioCrc_);
}

uint32_t XingWriter::padding() const {
    const uint64_t coded = uint64_t{frames()} * static_cast<uint64_t>(samplesPerFrame_);
    const uint64_t used = samples_ + static_cast<uint64_t>(delay_);
    return static_cast<uint32_t>(
        std::min<uint64_t>(coded > used ? coded - used : 0, kLameMaxDelay));
}

// The fields follow the side information, which a header frame leaves zero.
size_t XingWriter::fieldsAt() const {
    const bool mono = channels_ == 1;
    return 4 + (version_ == 0 ? (mono ? 17 : 32) : (mono ? 9 : 17));
}

uint32_t XingWriter::headerWord() const {
    return headerFrameWord(
        {version_, bitrateIndex_, sampleRate_, channels_ == 1, private_, copyright_, original_});
}

// Entry i: where the frame at i percent of the frames starts, in 256ths
// of the stream's bytes.
void XingWriter::putToc(uint8_t* toc) const {
    for (int i = 0; i < 100; ++i) {
        const size_t frame =
            static_cast<size_t>(uint64_t{frames()} * static_cast<uint64_t>(i) / 100);
        const uint64_t start = frame < starts_.size() ? starts_[frame] : offset_;
        toc[i] = static_cast<uint8_t>(std::min<uint64_t>(start * 256 / offset_, 255));
    }
}

void XingWriter::putLameTag(uint8_t* frame, size_t at) const {
    uint8_t* ext = frame + at;
    std::memcpy(ext, kEncoder, kLameEncoderBytes);
    ext[9] = kCbrMethod;
    ext[10] = static_cast<uint8_t>(std::clamp(lowpassHz_ / 100.0f, 0.0f, 255.0f));
    ext[20] = static_cast<uint8_t>(std::min(bitrate_ / 1000, 255));
    const uint32_t delay = std::min<uint32_t>(static_cast<uint32_t>(delay_), kLameMaxDelay);
    putBigEndian(ext + kLameDelayAt, uint64_t{delay} << 12 | padding(), 3);
    putBigEndian(ext + 28, offset_, 4);
    putBigEndian(ext + 32, audioCrc_, 2);
    putBigEndian(ext + kLameCrcAt, lameTagCrc(frame, at + kLameCrcAt), 2);
}

size_t XingWriter::build(uint8_t* out, size_t size) const {
    const size_t bytes = static_cast<size_t>(frameBytes_);
    if (size < bytes) {
        return 0;
    }
    std::memset(out, 0, bytes);
    putBigEndian(out, headerWord(), 4);
    uint8_t* p = out + fieldsAt();
    std::memcpy(p, "Info", 4);
    putBigEndian(p + 4, kAllFields, 4);
    putBigEndian(p + 8, frames(), 4);
    putBigEndian(p + 12, offset_, 4);
    putToc(p + 16);
    putBigEndian(p + 116, static_cast<uint64_t>(quality_), 4);
    putLameTag(out, fieldsAt() + kXingFieldBytes);
    return bytes;
}

}  // namespace mp3::enc
