#include "mp3/enc/VbriWriter.h"

#include <algorithm>
#include <cstring>

#include "mp3/enc/FrameBits.h"
#include "mp3/enc/HeaderFrame.h"

namespace mp3::enc {

namespace {
constexpr size_t kMagicAt = 36;
constexpr size_t kTableAt = 62;
constexpr int kRoomNeeded = 458;
}  // namespace

VbriWriter::VbriWriter(int sampleRate, int channels, bool copyright, bool original, bool privateBit)
    : sampleRate_(sampleRate),
      channels_(channels),
      copyright_(copyright),
      original_(original),
      private_(privateBit) {
    version_ = std::max(bitstreamTypeOf(sampleRate), 0);
    samplesPerFrame_ = version_ == 0 ? 1152 : 576;
    const int last = version_ == 2 ? 8 : 14;
    for (bitrateIndex_ = 1; bitrateIndex_ < last; ++bitrateIndex_) {
        const int bytes = tableBitrate(version_, bitrateIndex_) / 8 * samplesPerFrame_ / sampleRate;
        if (bytes > kRoomNeeded) {
            break;
        }
    }
    frameBytes_ = tableBitrate(version_, bitrateIndex_) / 8 * samplesPerFrame_ / sampleRate;
    offset_ = static_cast<uint64_t>(frameBytes_);
}

void VbriWriter::addFrame(int bytes) {
    ++frames_;
    if (frames_ % static_cast<uint32_t>(spacing_) == 0) {
        // The offset at which frame number frames_ (counting from 1) ends.
        entries_.push_back(offset_ + static_cast<uint64_t>(bytes));
        if (static_cast<int>(entries_.size()) == kMaxEntries) {
            for (size_t i = 0; i < entries_.size() / 2; ++i) {
                entries_[i] = entries_[2 * i + 1];
            }
            entries_.resize(entries_.size() / 2);
            spacing_ *= 2;
        }
    }
    offset_ += static_cast<uint64_t>(bytes);
}

// The entries with a last one interpolated for the frames past the last
// whole spacing, as cumulative offsets from the header's start.
std::vector<uint64_t> VbriWriter::finalTable() const {
    std::vector<uint64_t> table = entries_;
    const uint32_t covered = static_cast<uint32_t>(table.size()) * static_cast<uint32_t>(spacing_);
    if (frames_ > covered) {
        // A whole entry in proportion to the frames past the last spacing.
        const uint64_t last = table.empty() ? static_cast<uint64_t>(frameBytes_) : table.back();
        const uint64_t partial = offset_ - last;
        const uint32_t past = frames_ - covered;
        table.push_back(last + partial * static_cast<uint32_t>(spacing_) / past);
    }
    return table;
}

uint32_t VbriWriter::headerWord() const {
    return headerFrameWord(
        {version_, bitrateIndex_, sampleRate_, channels_ == 1, private_, copyright_, original_});
}

size_t VbriWriter::build(uint8_t* out, size_t size) const {
    const size_t bytes = static_cast<size_t>(frameBytes_);
    if (size < bytes) {
        return 0;
    }
    std::memset(out, 0, bytes);
    putBigEndian(out, headerWord(), 4);
    std::vector<uint64_t> table = finalTable();
    const size_t room = (bytes - kTableAt) / 2;
    uint64_t previous = 0;
    uint64_t largest = 0;
    for (const uint64_t v : table) {
        largest = std::max(largest, v - previous);
        previous = v;
    }
    table.resize(std::min(table.size(), room));
    // Differences are 16-bit; a scale keeps long files within them.
    const uint64_t scale = std::max<uint64_t>(1, (largest + 65534) / 65535);
    std::memcpy(out + kMagicAt, "VBRI", 4);
    putBigEndian(out + 40, 1, 2);
    putBigEndian(out + 42, static_cast<uint64_t>(delay_), 2);
    putBigEndian(out + 44, static_cast<uint64_t>(quality_), 2);
    putBigEndian(out + 46, offset_, 4);
    putBigEndian(out + 50, frames_, 4);
    putBigEndian(out + 54, table.size(), 2);
    putBigEndian(out + 56, scale, 2);
    putBigEndian(out + 58, 2, 2);
    putBigEndian(out + 60, static_cast<uint64_t>(spacing_), 2);
    uint64_t written = 0;
    for (size_t i = 0; i < table.size(); ++i) {
        // Differences of the rounded cumulative offsets: the error never adds up.
        const uint64_t target = (table[i] + scale / 2) / scale;
        putBigEndian(out + kTableAt + 2 * i, target - written, 2);
        written = target;
    }
    return bytes;
}

}  // namespace mp3::enc
