#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mp3/Mp3Decoder.h"
#include "mp3/Mp3FileAnalysis.h"
#include "mp3/Mp3Gapless.h"
#include "mp3/reader/CNxSSMp3File.h"
#include "mp3/reader/Mp3InfoRecord.h"
#include "mp3/reader/Mp3PcmTrim.h"
#include "platform/WaveFormat.h"
#include "stream/CNxSSComponent.h"
#include "stream/Id3v1Block.h"
#include "tags/ExtendedTags.h"

// The source for MP3 files: reads the file in chunks, decodes frame by
// frame and hands PCM to the chain. A stopped reader holds no file handle.
// Where the header frame tells the encoder's delay and padding (a LAME
// extension, our encoder's VBRI delay), only the real samples are played:
// position 0 is the first of them, and the length counts them alone.
class CNxSSMp3Reader : public CNxSSComponent {
  public:
    static constexpr std::string_view kSettingsKey = "DoZIrodiz\\Mp3Reader";
    static constexpr size_t kChunkBytes = 2048;
    static constexpr size_t kPcmBytes = 4608;

    struct Options {
        int quality = 0;
        int resolution = 0;
        int downmix = 0;
        // 32-bit floats at 16-bit scale, unclipped, instead of integer PCM;
        // the format then tells 32 bits per sample.
        bool floating = false;
        // Every decoded sample, the delay and padding a header tells of too.
        bool raw = false;
    };
    // "Quality", "Resolution" and "Downmix" from the settings.
    static Options SettingsOptions();

    // Builds the decoder with the settings' options, or with `options`.
    // Throws CNxSSException with the decoder's code when that fails.
    explicit CNxSSMp3Reader(CNxSSObject* parent);
    CNxSSMp3Reader(CNxSSObject* parent, const Options& options);

    // Opens the file, analyses it and decodes the first frame. Throws
    // CNxSSException: 0x80070000 | errno for file errors, 0x80004005 when
    // the file holds no playable Layer III frame.
    void Open(const std::string& path);
    // The same over a file object made by the caller (MP3 data in a RIFF
    // file).
    void Open(NxRef<CNxSSMp3File> file);

    int32_t GetLength() override;
    int32_t GetPosition() override;
    // Returns the position before the seek.
    int32_t SetPosition(int32_t ms) override;
    // A decoder error is thrown when nothing could be delivered.
    void Read(CNxSSPacket& packet) override;
    bool GetFormat(platform::WaveFormat& format) override;
    // Up to count bytes of output, fewer only at the end of the stream.
    size_t ReadPcm(uint8_t* out, size_t count);
    void SetState(int32_t state) override;
    // A new CNxSSId3Info over the file's tag.
    uint32_t GetInfo(NxRef<CNxSSInfo>& info) override;

    Mp3InfoRecord InfoRecord();
    // The file's ID3v1 block (a fresh one when it has none) and the long
    // title: the file's name when the tag gives no title.
    Id3v1Block Tag();
    std::string LongTitle();
    // Writes block as the file's tag; 0 or the file error's code.
    uint32_t WriteTag(const Id3v1Block& block);
    // The same with an edit for the file's ID3v2 and APE tags. The whole
    // file is rewritten beside itself and renamed over (rewriteMp3Tags),
    // also for the block alone: a crash never leaves half a tag.
    uint32_t WriteTags(const Id3v1Block& block, const tags::TagEdit& edit);
    // The file whose tags belong to this stream; empty for MP3 data inside
    // a container.
    std::string TaggedPath();
    uint64_t FileSize();
    bool FileOpen();

  private:
    int64_t Resynchronise();
    void FindAudioStart(int64_t firstFrame);
    void SetUpTrim();
    void Analyse(int64_t firstFrame);
    void TakeFrameFacts();
    void LoadTag();
    bool DecodeFrame();
    size_t DecodeFrameInto(uint8_t* target, size_t room);
    void ReadChunk();
    void UpdateMeans();
    size_t Fill(uint8_t* out, size_t count);
    size_t FillTrimmed(uint8_t* out, size_t count);
    double StreamLengthMs();
    uint64_t SeekOffset(double ms);
    uint64_t StreamOffset(double ms);
    void Restart(uint64_t offset);

    std::recursive_mutex lock_;
    NxRef<CNxSSMp3File> file_;
    std::unique_ptr<mp3::IMp3Decoder> decoder_;
    mp3::Mp3FileAnalysis analysis_;
    std::array<uint8_t, kChunkBytes> chunk_{};
    size_t chunkLeft_ = 0;
    size_t chunkOffset_ = 0;
    bool inputDone_ = false;
    bool floating_ = false;
    bool raw_ = false;
    std::vector<uint8_t> pcm_;
    size_t pcmPending_ = 0;
    size_t pcmOffset_ = 0;
    platform::WaveFormat format_;
    double positionMs_ = 0;
    double meanFrameBytes_ = 0;
    double meanFrameMs_ = 0;
    uint32_t averaged_ = 0;
    uint64_t audioStart_ = 0;                 // past a VBR header frame, from the data start
    std::optional<mp3::Mp3Gapless> gapless_;  // set when the real samples are known
    Mp3PcmTrim trim_;
    double leadMs_ = 0;  // the decoded samples before the first real one
    Mp3InfoRecord info_;
    Id3v1Block tag_;
    std::string longTitle_;
};
