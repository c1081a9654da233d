#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/WaveFormat.h"
#include "stream/AcmConversion.h"
#include "stream/CNxSSPacket.h"
#include "stream/CNxSSPcmConverter.h"
#include "stream/CNxSSWriter.h"
#include "stream/wave/CNxSSRiffFile.h"
#include "stream/wave/CNxSSWaveWriterSettings.h"
#include "stream/wave/RiffChunk.h"

// The sink that writes its chain into a WAVE file, in PCM or in any format
// the compression layer can make from PCM. A PCM converter in front gives
// the codec the PCM it wants. The file is written under a temporary name
// and replaces the target only once it is complete, with its chunk sizes
// and, for compressed formats, its "fact" frame count filled in.
class CNxSSWaveWriter : public CNxSSWriter {
  public:
    static constexpr uint32_t kPageInterface = 7;
    static constexpr uint32_t kPacketFrames = 65536;

    // Loads the settings and starts the worker thread.
    CNxSSWaveWriter(CNxSSObject* parent, std::string outputPath);
    ~CNxSSWaveWriter() override;

    // Upstream connects to the converter.
    NxRef<CNxSSInputPin> CreateInputPin() override;

    // 0x80004005 when a file is set already.
    void SetOutputFile(NxRef<CNxSSRiffFile> file);
    NxRef<CNxSSRiffFile> ReleaseOutputFile();
    CNxSSRiffFile* OutputFile() const { return file_.get(); }

  protected:
    uint32_t DoStart() override;
    uint32_t DoTick() override;
    void DoAbort() override;

  private:
    platform::WaveFormat Target() const;
    platform::WaveFormat PrepareUpstream(const platform::WaveFormat& target);
    void WriteHeader(const platform::WaveFormat& target);
    void WriteOutput(std::span<const uint8_t> bytes);
    void Take(std::span<const uint8_t> pcm);
    void Finish();
    void ReleasePacket();

    NxRef<CNxSSPcmConverter> converter_;
    NxRef<CNxSSRiffFile> file_;
    NxRef<CNxSSPacket> packet_;
    AcmConversion conversion_;
    uint64_t frames_ = 0;
    RiffChunk riff_;
    RiffChunk data_;
    RiffChunk fact_;
    bool hasFact_ = false;
};
