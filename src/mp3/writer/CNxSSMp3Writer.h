#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "mp3/enc/Mp3EncoderHandle.h"
#include "mp3/reader/CNxSSMp3File.h"
#include "mp3/writer/CNxSSMp3OptionPage.h"
#include "mp3/writer/Mp3EncoderInput.h"
#include "stream/CNxSSPacket.h"
#include "stream/CNxSSPcmConverter.h"
#include "stream/CNxSSWriter.h"

// The sink that encodes its chain into an MP3 file. A PCM converter in
// front gives the encoder 16-bit PCM at a rate it takes. The file is
// written under a temporary name beside the target and replaces it only
// once it is complete. It starts with a header frame that is filled in at
// the end: "VBRI" in VBR mode, else "Info" with the encoder's delay and
// padding for gapless playback. Stop, quit or a failure leave the target as it was.
class CNxSSMp3Writer : public CNxSSWriter {
  public:
    static constexpr uint32_t kPageInterface = 5;
    static constexpr uint32_t kPacketFrames = 16384;
    static constexpr size_t kOutputBytes = 8192;

    // Loads the settings from "DoZIrodiz\Mp3Writer" and starts the worker.
    CNxSSMp3Writer(CNxSSObject* parent, std::string outputPath);
    ~CNxSSMp3Writer() override;

    // Upstream connects to the converter.
    NxRef<CNxSSInputPin> CreateInputPin() override;

    // 0x80004005 when a file is set already.
    void SetOutputFile(NxRef<CNxSSMp3File> file);
    NxRef<CNxSSMp3File> ReleaseOutputFile();
    CNxSSMp3File* OutputFile() const { return file_.get(); }

    // Why the last job failed where the posted code alone does not tell
    // (a format the encoder refuses, the encoder's own report); else empty.
    std::string LastErrorText() const;

  protected:
    // Failures of the encoder give 0x80004005, of the file its own code.
    uint32_t DoStart() override;
    uint32_t DoTick() override;
    void DoAbort() override;

  private:
    mp3::enc::Mp3WriterSettings CurrentSettings() const;
    Mp3EncoderInput PrepareInput(bool vbr);
    void CreateEncoder(const Mp3EncoderInput& input, const mp3::enc::Mp3WriterSettings& s);
    void Encode(std::span<const uint8_t> pcm);
    void Flush();
    void Finish();
    size_t HeaderFrame();
    void Write(size_t bytes);
    void ReleasePacket();
    void SetErrorText(std::string text);
    [[noreturn]] void Fail(const std::string& text);

    NxRef<CNxSSPcmConverter> converter_;
    NxRef<CNxSSMp3File> file_;
    NxRef<CNxSSPacket> packet_;
    std::unique_ptr<mp3::enc::Mp3EncoderHandle> encoder_;
    std::vector<uint8_t> output_;
    bool vbr_ = false;
    mutable std::mutex errorMutex_;
    std::string errorText_;
};
