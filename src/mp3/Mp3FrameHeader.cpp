#include "mp3/Mp3FrameHeader.h"

namespace mp3 {

namespace {
// Sampling frequencies by version (MPEG-1, MPEG-2, MPEG-2.5) and index.
constexpr uint32_t kSampleRates[3][3] = {
    {44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};

// Layer III bitrates in kbit/s for MPEG-1 and for the lower sampling
// frequencies; index 0 is free format, 15 is not accepted.
constexpr uint32_t kLayer3Kbps[2][15] = {
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}};

constexpr uint32_t kBitsPerSlot = 8;

uint32_t bits(uint32_t word, int high, int low) {
    return (word >> low) & ((1u << (high - low + 1)) - 1);
}

bool mpegFieldsAllowed(uint32_t word) {
    const bool reservedVersion = bits(word, 20, 20) == 0 && bits(word, 19, 19) == 1;
    return bits(word, 31, 21) == 0x7FF && bits(word, 18, 17) != 0 && bits(word, 15, 12) != 15 &&
           bits(word, 11, 10) != 3 && !reservedVersion;
}

bool headerFieldsAllowed(uint32_t word) {
    return mpegFieldsAllowed(word) && bits(word, 18, 17) == 1;
}
}  // namespace

uint32_t mp3SamplesPerFrame(uint32_t layer, uint32_t version) {
    if (layer == 1) {
        return 384;
    }
    if (layer == 2 || version == kMp3Version1) {
        return 1152;
    }
    return 576;
}

uint32_t Mp3FrameHeader::samplesPerFrame() const {
    return mp3SamplesPerFrame(layer, version);
}

bool decodeMp3Header(uint32_t word, Mp3FrameHeader& header) {
    header = Mp3FrameHeader{};
    if (!headerFieldsAllowed(word)) {
        return false;
    }
    Mp3FrameHeader h;
    h.word = word;
    h.syncword = bits(word, 31, 21);
    h.extension = bits(word, 20, 20);
    h.id = bits(word, 19, 19);
    h.layer = 4 - bits(word, 18, 17);
    h.crcPresent = bits(word, 16, 16) == 0 ? 1 : 0;
    h.bitrateIndex = bits(word, 15, 12);
    h.samplingIndex = bits(word, 11, 10);
    h.padding = bits(word, 9, 9);
    h.privateBit = bits(word, 8, 8);
    h.mode = bits(word, 7, 6);
    h.modeExtension = bits(word, 5, 4);
    h.copyright = bits(word, 3, 3);
    h.original = bits(word, 2, 2);
    h.emphasis = bits(word, 1, 0);
    h.valid = true;
    h.version = h.id == 1 ? kMp3Version1 : (h.extension == 1 ? kMp3Version2 : kMp3Version25);
    h.channels = h.mode == 3 ? 1 : 2;
    h.sampleRate = kSampleRates[h.version][h.samplingIndex];
    h.bitrate = kLayer3Kbps[h.version == kMp3Version1 ? 0 : 1][h.bitrateIndex] * 1000;
    const uint32_t samples = h.samplesPerFrame();
    if (h.bitrate > 0) {
        h.frameLengthBits =
            ((h.bitrate / kBitsPerSlot) * samples / h.sampleRate + h.padding) * kBitsPerSlot;
    }
    h.frameDurationMs = static_cast<float>(samples * 1000.0 / h.sampleRate);
    header = h;
    return true;
}

void setFreeFormatLength(Mp3FrameHeader& header, uint32_t unpaddedBytes) {
    header.frameLengthBits = (unpaddedBytes + header.padding) * kBitsPerSlot;
    header.bitrate = static_cast<uint32_t>(uint64_t{unpaddedBytes} * kBitsPerSlot *
                                           header.sampleRate / header.samplesPerFrame());
}

bool isMpegAudioHeader(uint32_t word) {
    return mpegFieldsAllowed(word);
}

}  // namespace mp3
