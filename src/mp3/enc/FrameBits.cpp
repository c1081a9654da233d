#include "mp3/enc/FrameBits.h"

#include <algorithm>

namespace mp3::enc {

namespace {
constexpr const char* kModule = "bit_fram";

// Entry 0 is the lowest free-format bitrate, 1..14 the ISO indices.
constexpr int kBitrates[3][15] = {
    {8000, 32000, 40000, 48000, 56000, 64000, 80000, 96000, 112000, 128000, 160000, 192000, 224000,
     256000, 320000},
    {4000, 8000, 16000, 24000, 32000, 40000, 48000, 56000, 64000, 80000, 96000, 112000, 128000,
     144000, 160000},
    {4000, 8000, 16000, 24000, 32000, 40000, 48000, 56000, 64000, 0, 0, 0, 0, 0, 0}};

constexpr int kRates[3][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};

constexpr int kDecoderBufferBits = 7680;

int baseIndex(int type, int bitrate) {
    for (int i = 1; i < 15; ++i) {
        if (kBitrates[type][i] == 0) {
            break;
        }
        if (kBitrates[type][i] >= bitrate) {
            return i;
        }
    }
    return kBitrateIndexInvalid;
}
}  // namespace

int tableBitrate(int type, int index) {
    if (type < 0 || type > 2 || index < 0 || index > 14) {
        return 0;
    }
    return kBitrates[type][index];
}

int bitrateIndex(int type, int bitrate, BitrateSelect select) {
    if (type < 0 || type > 2) {
        return kBitrateIndexInvalid;
    }
    const int base = baseIndex(type, bitrate);
    const bool exact = base != kBitrateIndexInvalid && kBitrates[type][base] == bitrate;
    switch (select) {
        case BitrateSelect::Exact:
            return exact ? base : kBitrateIndexInvalid;
        case BitrateSelect::Ceiling:
            return base;
        case BitrateSelect::Floor:
            if (base == kBitrateIndexInvalid) {
                return kBitrates[type][14] != 0 ? 14 : 8;
            }
            return base == 1 ? kBitrateIndexInvalid : base - 1;
        case BitrateSelect::Next:
            return exact && base < 14 && kBitrates[type][base + 1] != 0 ? base + 1
                                                                        : kBitrateIndexInvalid;
        case BitrateSelect::Free:
            return bitrate >= kBitrates[type][0] ? 0 : kBitrateIndexInvalid;
    }
    return kBitrateIndexInvalid;
}

int bitstreamTypeOf(int sampleRate) {
    return samplingIndexOf(sampleRate) < 0 ? -1
           : sampleRate > 24000            ? 0
           : sampleRate > 12000            ? 1
                                           : 2;
}

int samplingIndexOf(int sampleRate) {
    for (const auto& row : kRates) {
        for (int i = 0; i < 3; ++i) {
            if (row[i] == sampleRate) {
                return i;
            }
        }
    }
    return -1;
}

EncErrorPtr FrameBits::init(OptionConfig& options, int bitrate, int sampleRate, int type,
                            BitstreamMode mode, int overheadBits) {
    int padding = 0;
    if (auto e = options.readInt("padding", 0, 2, "set the padding mode",
                                 "0 = iso, 1 = never, 2 = always", padding)) {
        return e;
    }
    paddingMode_ = static_cast<PaddingMode>(padding);
    if (type < 0 || type > 2) {
        return MP3ENC_ERROR(kModule, "unknown bitstream type");
    }
    bitrate_ = bitrate;
    sampleRate_ = sampleRate;
    type_ = type;
    overheadBits_ = overheadBits;
    samplesPerFrame_ = type == 0 ? 1152 : 576;
    mode_ = mode;
    if (mode_ == BitstreamMode::Mixed && bitrateIndex(type, bitrate, BitrateSelect::Exact) != 15) {
        mode_ = BitstreamMode::Iso;
    }
    if (auto e = [&]() -> EncErrorPtr {
            if (mode_ == BitstreamMode::Iso) {
                return bitrateIndex(type, bitrate, BitrateSelect::Exact) == kBitrateIndexInvalid
                           ? MP3ENC_ERROR(kModule, "non-ISO bitrate")
                           : nullptr;
            }
            if (mode_ == BitstreamMode::Mixed) {
                if (bitrateIndex(type, bitrate, BitrateSelect::Floor) == kBitrateIndexInvalid) {
                    return MP3ENC_ERROR(kModule, "bitrate too low");
                }
                return bitrateIndex(type, bitrate, BitrateSelect::Ceiling) == kBitrateIndexInvalid
                           ? MP3ENC_ERROR(kModule, "bitrate too high")
                           : nullptr;
            }
            return bitrate < kBitrates[type][0] ? MP3ENC_ERROR(kModule, "bitrate too low")
                                                : nullptr;
        }()) {
        return e;
    }
    const long long bytesTimesRate = static_cast<long long>(samplesPerFrame_ / 8) * bitrate;
    paddingRemainder_ = bytesTimesRate % sampleRate;
    paddingAccumulator_ = paddingRemainder_;
    byteDifference_ = 0.0;
    fill_ = 0;
    const int meanBits = static_cast<int>(8 * bytesTimesRate / sampleRate);
    const int limit = type == 0 ? 4088 : 2040;
    reservoirCap_ = std::clamp(kDecoderBufferBits - meanBits, 0, limit);
    reservoirCap_ = (reservoirCap_ + 7) / 8 * 8;
    return nullptr;
}

int FrameBits::choosePadding() {
    if (paddingMode_ == PaddingMode::Never) {
        return 0;
    }
    if (paddingMode_ == PaddingMode::Always) {
        return 1;
    }
    paddingAccumulator_ -= paddingRemainder_;
    if (paddingAccumulator_ < 0) {
        paddingAccumulator_ += sampleRate_;
        return 1;
    }
    return 0;
}

int FrameBits::frameBytesOf(int bitrate, int padding) const {
    return static_cast<int>(static_cast<long long>(bitrate) * samplesPerFrame_ / 8 / sampleRate_) +
           padding;
}

int FrameBits::chooseIndex(int padding) {
    if (mode_ == BitstreamMode::Free) {
        return 0;
    }
    if (mode_ == BitstreamMode::Iso) {
        return bitrateIndex(type_, bitrate_, BitrateSelect::Exact);
    }
    // Mixed: take the floor while the stream is ahead of the request.
    const int floor = bitrateIndex(type_, bitrate_, BitrateSelect::Floor);
    const int ceiling = bitrateIndex(type_, bitrate_, BitrateSelect::Ceiling);
    const int index = byteDifference_ > 0.0 ? floor : ceiling;
    const double requested = static_cast<double>(bitrate_) * samplesPerFrame_ / 8 / sampleRate_;
    byteDifference_ += frameBytesOf(kBitrates[type_][index], padding) - requested;
    return index;
}

FrameSetup FrameBits::advance() {
    const int padding = choosePadding();
    return setupFor(chooseIndex(padding), padding);
}

FrameSetup FrameBits::advanceAt(int bitrateIndex) {
    return setupFor(bitrateIndex, 0);
}

FrameSetup FrameBits::setupFor(int bitrateIndex, int padding) {
    FrameSetup s;
    s.padding = padding;
    s.bitrateIndex = bitrateIndex;
    const int bitrate = mode_ == BitstreamMode::Free ? bitrate_ : kBitrates[type_][s.bitrateIndex];
    s.frameBytes = frameBytesOf(bitrate, s.padding);
    s.mainDataBits = s.frameBytes * 8 - overheadBits_;
    s.reservoirFill = fill_;
    s.reservoirRoom = std::max(reservoirCap_ - fill_, 0);
    s.meanFrameBits =
        static_cast<int>(static_cast<long long>(bitrate_) * samplesPerFrame_ / sampleRate_);
    current_ = s;
    return s;
}

int FrameBits::commit(int usedBits) {
    const int usedBytes = (usedBits + 7) / 8;
    const int fill = current_.reservoirFill + current_.mainDataBits - usedBytes * 8;
    MP3ENC_CHECK(fill >= 0);
    const int stuffing = std::max(fill - reservoirCap_, 0);
    fill_ = fill - stuffing;
    return usedBytes * 8 - usedBits + stuffing;
}

}  // namespace mp3::enc
