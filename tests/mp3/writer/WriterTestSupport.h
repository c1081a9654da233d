#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "mp3/Mp3FrameHeader.h"
#include "platform/Event.h"
#include "platform/WaveFormat.h"
#include "stream/CNxSSComponent.h"

// Sources, file readers and frame walkers for the MP3 writer's tests.
namespace writertest {

struct Pcm {
    platform::WaveFormat format;
    std::vector<uint8_t> bytes;
    size_t frames() const { return bytes.size() / format.blockAlign(); }
};

// A sine of `amplitude` (full scale 1) on every channel, `bits` 8 or 16.
Pcm Tone(uint32_t rate, uint16_t channels, double seconds, double amplitude = 0.5,
         uint16_t bits = 16);
// 16-bit audio: a quiet sine, then loud noise; a VBR encoder spends very
// different numbers of bytes on the two halves.
Pcm QuietThenLoud(uint32_t rate, uint16_t channels, double quietSeconds, double loudSeconds);
std::vector<uint8_t> AsWave(const Pcm& pcm);
double Rms(const std::vector<int16_t>& samples);

// Delivers a PCM buffer. With a gate, every read after the first waits for
// the gate (after setting `reached`); with failAfter, the read after that
// many throws 0x83EB0105.
class PcmSource : public CNxSSComponent {
  public:
    static constexpr uint32_t kReadError = 0x83EB0105;

    explicit PcmSource(Pcm pcm, int failAfter = -1);
    void UseGate() { gated_ = true; }
    platform::Event reached{platform::Event::Reset::Manual};
    platform::Event gate{platform::Event::Reset::Manual};

    bool GetFormat(platform::WaveFormat& format) override;
    int32_t GetLength() override;
    void Read(CNxSSPacket& packet) override;

  private:
    const Pcm pcm_;
    const int failAfter_;
    size_t at_ = 0;
    int reads_ = 0;
    bool gated_ = false;
};

struct Frame {
    mp3::Mp3FrameHeader header;
    size_t offset = 0;
};
// Every frame from the start; stops at the first byte that is not a frame
// (the caller checks that this is the end of the file).
std::vector<Frame> Frames(const std::vector<uint8_t>& file);
size_t EndOf(const std::vector<Frame>& frames);

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
// Standard output of a shell command, and its exit code.
std::string Shell(const std::string& command, int* exitCode = nullptr);
// 16-bit samples decoded by ffmpeg from `seconds` on, `duration` long.
std::vector<int16_t> FfmpegDecode(const std::filesystem::path& file, double seconds,
                                  double duration);

}  // namespace writertest
