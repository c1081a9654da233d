#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "Mp3TestSupport.h"
#include "mp3/L3Stages.h"

namespace mp3::test {
namespace {

std::unique_ptr<IMp3Decoder> makeDecoder(int quality = 0, int resolution = 0, int downmix = 0) {
    std::unique_ptr<IMp3Decoder> d;
    EXPECT_EQ(createMp3Decoder(quality, resolution, downmix, &d), ssc::kOk);
    return d;
}

// Byte offsets of the frames of a stream (sync done the decoder's way).
std::vector<size_t> frameOffsets(const std::vector<uint8_t>& data) {
    std::vector<size_t> offsets;
    Mp3InputBuffer in(1 << 20);
    in.feed(data.data(), data.size());
    in.markFinished();
    size_t consumed = 0;
    while (in.sync() == ssc::kOk) {
        offsets.push_back(consumed + in.skippedBytes());
        consumed += in.header().frameBytes();
        in.consumeFrame();
    }
    return offsets;
}

uint32_t mainDataBegin(const std::vector<uint8_t>& data, size_t offset) {
    Mp3FrameHeader h;
    decodeMp3Header(uint32_t{data[offset]} << 24 | data[offset + 1] << 16 | data[offset + 2] << 8 |
                        data[offset + 3],
                    h);
    L3BitReader reader(data.data() + offset + (h.crcPresent ? 6 : 4), 32);
    L3SideInfo side;
    l3ReadSideInfo(reader, h, side);
    return side.mainDataBegin;
}

TEST(Decoder, FactoryNeedsAResultPointer) {
    EXPECT_EQ(createMp3Decoder(0, 0, 0, nullptr), ssc::kInvalidParameter);
}

TEST(Decoder, ASmallBufferGivesBufferTooSmallAndConsumesNothing) {
    const auto data = readBytes(fixturePath("v1_44k_joint_128.mp3"));
    auto decoder = makeDecoder();
    decoder->feed(data.data(), data.size());
    std::vector<uint8_t> out(4608);
    size_t written = 99;
    EXPECT_EQ(decoder->decodePcm(out.data(), 4607, &written), ssc::kBufferTooSmall);
    EXPECT_EQ(written, 0u);
    const size_t held = decoder->bytesHeld();
    EXPECT_EQ(decoder->decodePcm(out.data(), 4608, &written), ssc::kOk);
    EXPECT_EQ(written, 4608u);
    EXPECT_LT(decoder->bytesHeld(), held);

    auto eightBit = makeDecoder(1);
    eightBit->feed(data.data(), data.size());
    EXPECT_EQ(eightBit->decodePcm(out.data(), 2304, &written), ssc::kOk);
    EXPECT_EQ(written, 2304u);
    EXPECT_EQ(eightBit->decodeFloat(out.data(), 4608 * 2 - 1, &written), ssc::kBufferTooSmall);
}

TEST(Decoder, FrameInformationDescribesStreamAndOutput) {
    const auto data = readBytes(fixturePath("v2_16k_stereo_crc.mp3"));
    auto decoder = makeDecoder(1, 1, 1);
    decoder->feed(data.data(), data.size());
    std::vector<uint8_t> out(4608);
    size_t written = 0;
    ASSERT_FALSE(mp3SscFailed(decoder->decodePcm(out.data(), out.size(), &written)));
    const Mp3FrameInfo& info = decoder->frameInfo();
    EXPECT_EQ(info.layer, 3u);
    EXPECT_EQ(info.version, kMp3Version2);
    EXPECT_EQ(info.sampleRate, 16000u);
    EXPECT_EQ(info.channels, 2u);
    EXPECT_EQ(info.outputChannels, 1u);
    EXPECT_EQ(info.outputSampleRate, 8000u);
    EXPECT_EQ(info.outputBitsPerSample, 8u);
    EXPECT_EQ(written, 576u / 2);
    EXPECT_NEAR(info.frameDurationMs, 36.0f, 0.001f);
}

TEST(Decoder, AFrameAfterASeekIntoTheReservoirIsConcealedAndTheNextDecode) {
    const auto data = readBytes(fixturePath("v1_44k_joint_128.mp3"));
    const auto offsets = frameOffsets(data);
    size_t k = 4;
    while (k < offsets.size() && mainDataBegin(data, offsets[k]) == 0) {
        ++k;
    }
    ASSERT_LT(k + 3, offsets.size()) << "the fixture uses the reservoir";
    const std::vector<uint8_t> tail(data.begin() + static_cast<long>(offsets[k]), data.end());
    const DecodeRun run = decodeAll(tail, true);
    ASSERT_GE(run.codes.size(), 3u);
    EXPECT_EQ(run.codes[0], ssc::kMissingMainData);
    EXPECT_EQ(run.codes[1], ssc::kOk);
    EXPECT_EQ(run.codes[2], ssc::kOk);
    double peak = 0.0;  // the first frame is silence: the filters start empty
    for (size_t i = 0; i < 2304; ++i) {
        peak = std::max(peak, double{std::abs(run.floats[i])});
    }
    EXPECT_LT(peak, 1.0);
    // Two frames later the filter memories have caught up with a full decode.
    const auto reference = readFloats(fixturePath("v1_44k_joint_128.f32"));
    const size_t from = (k - 1 + 2) * 2304;  // the reference leaves out the Info frame
    const std::vector<float> ref(reference.begin() + static_cast<long>(from), reference.end());
    const auto a = compareFloat(run.floats, 2 * 2304, ref);
    EXPECT_LT(a.rms, kRmsLimit);
}

TEST(Decoder, ACorruptedCrcFrameDecodesAndTheNextStartsWithAnEmptyReservoir) {
    auto data = readBytes(fixturePath("v1_48k_mono_crc.mp3"));
    const auto offsets = frameOffsets(data);
    size_t k = 3;
    while (k + 1 < offsets.size() && mainDataBegin(data, offsets[k + 1]) == 0) {
        ++k;
    }
    ASSERT_LT(k + 2, offsets.size());
    data[offsets[k] + 6 + 4] ^= 0x01;  // a bit of global_gain / part2_3_length
    const DecodeRun run = decodeAll(data, false);
    const size_t frame = k;  // the Info frame is frame 0 here too
    ASSERT_GT(run.codes.size(), frame + 2);
    EXPECT_EQ(run.codes[frame], ssc::kCrcError);
    EXPECT_EQ(run.codes[frame + 1], ssc::kMissingMainData);
    EXPECT_EQ(run.codes[frame + 2], ssc::kOk);
}

TEST(Decoder, PullSourceGivesTheSameOutputAsFeeding) {
    struct Source : IMp3PullSource {
        std::vector<uint8_t> data;
        size_t at = 0;
        bool read(uint8_t* dst, size_t count, size_t* got) override {
            *got = std::min(count, std::min<size_t>(data.size() - at, 333));
            std::copy_n(data.begin() + static_cast<long>(at), *got, dst);
            at += *got;
            return true;
        }
        bool atEnd() const override { return at == data.size(); }
    } source;
    source.data = readBytes(fixturePath("v25_11k_joint.mp3"));
    auto decoder = makeDecoder();
    decoder->attachSource(&source);
    std::vector<int16_t> pulled;
    std::vector<int16_t> out(2304);
    for (int guard = 0; guard < 10000 && !decoder->atEnd(); ++guard) {
        size_t written = 0;
        if (!mp3SscFailed(decoder->decodePcm(out.data(), out.size() * 2, &written))) {
            pulled.insert(pulled.end(), out.begin(), out.begin() + static_cast<long>(written / 2));
        }
    }
    EXPECT_TRUE(decoder->atEnd());
    EXPECT_EQ(pulled, decodeAll(source.data, false).pcm16);
}

TEST(Robustness, EmptyTagOnlyAndTruncatedInputs) {
    EXPECT_EQ(decodeAll({}, false).frames, 0);
    std::vector<uint8_t> tag(128, 0);
    tag[0] = 'T', tag[1] = 'A', tag[2] = 'G';
    EXPECT_EQ(decodeAll(tag, false).frames, 0);

    const auto data = readBytes(fixturePath("v1_32k_stereo.mp3"));
    const auto offsets = frameOffsets(data);
    const size_t cut = offsets[5] + 100;  // inside frame 5
    const std::vector<uint8_t> truncated(data.begin(), data.begin() + static_cast<long>(cut));
    const DecodeRun run = decodeAll(truncated, true);
    EXPECT_EQ(run.frames, 5);
}

TEST(Robustness, JunkBetweenFramesAndASampleRateChange) {
    const auto a = readBytes(fixturePath("v1_44k_joint_128.mp3"));
    const auto b = readBytes(fixturePath("v1_48k_mono_crc.mp3"));
    std::vector<uint8_t> data = a;
    for (int i = 0; i < 5000; ++i) {
        data.push_back(static_cast<uint8_t>(0xFF - (i * 13) % 7));  // sync-like junk
    }
    data.insert(data.end(), b.begin(), b.end());
    const DecodeRun run = decodeAll(data, false, 0, 0, 0, 777);
    const DecodeRun first = decodeAll(a, false);
    const DecodeRun second = decodeAll(b, false);
    // At most the frames next to the junk are lost.
    EXPECT_GE(run.frames, first.frames + second.frames - 2);
    EXPECT_EQ(run.lastInfo.sampleRate, 48000u);
    EXPECT_EQ(run.lastInfo.channels, 1u);
}

TEST(Robustness, Layer2FilesGiveNoFrame) {
    const DecodeRun run = decodeAll(readBytes(fixturePath("layer2.mp2")), false);
    EXPECT_EQ(run.frames, 0);
}

TEST(Robustness, DamagedStreamsNeverCrashOrHang) {
    // Every byte value at every 97th position, decoded to the end.
    const auto data = readBytes(fixturePath("crafted_v1_ms_intensity.mp3"));
    for (size_t at = 0; at < data.size(); at += 97) {
        auto damaged = data;
        damaged[at] = static_cast<uint8_t>(damaged[at] * 31 + 7);
        const DecodeRun run = decodeAll(damaged, true);
        EXPECT_LE(run.frames, 12);
    }
}

TEST(Decoder, ResetClearsTheEndAndStartsAfresh) {
    const auto data = readBytes(fixturePath("v25_8k_stereo.mp3"));
    auto decoder = makeDecoder();
    std::vector<uint8_t> out(4608);
    size_t written = 0;
    decoder->markFinished();
    EXPECT_EQ(decoder->decodePcm(out.data(), out.size(), &written), ssc::kSyncEof);
    EXPECT_TRUE(decoder->atEnd());
    decoder->reset();
    EXPECT_FALSE(decoder->atEnd());
    decoder->feed(data.data(), data.size());
    EXPECT_FALSE(mp3SscFailed(decoder->decodePcm(out.data(), out.size(), &written)));
}

}  // namespace
}  // namespace mp3::test
