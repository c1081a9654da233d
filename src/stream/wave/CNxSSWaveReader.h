#pragma once

#include <cstdint>
#include <mutex>
#include <span>

#include "platform/WaveFormat.h"
#include "stream/AcmConversion.h"
#include "stream/CNxSSComponent.h"
#include "stream/NxRef.h"
#include "stream/wave/CNxSSRiffFile.h"

// The source that plays a WAVE file: whatever its format holds is decoded
// to PCM by the compression layer. Seeks have whole-second resolution.
class CNxSSWaveReader : public CNxSSComponent {
  public:
    explicit CNxSSWaveReader(CNxSSObject* parent);

    // Takes a file opened for reading. Throws CNxSSException: 0x83EA0011
    // for a format record that cannot describe audio (no channels, no block
    // align, no byte rate), 0x83EA0006 when no codec decodes the format.
    void Open(NxRef<CNxSSRiffFile> file);

    int32_t GetLength() override;
    int32_t GetPosition() override;
    int32_t SetPosition(int32_t ms) override;
    void Read(CNxSSPacket& packet) override;
    bool GetFormat(platform::WaveFormat& format) override;
    uint32_t GetInfo(NxRef<CNxSSInfo>& info) override;

  private:
    static constexpr size_t kSourceBytes = 16384;

    bool Refill();

    NxRef<CNxSSRiffFile> file_;
    platform::WaveFormat fileFormat_;
    platform::WaveFormat output_;
    AcmConversion conversion_;
    std::span<const uint8_t> undelivered_;
    bool fileEnded_ = false;
    double positionMs_ = 0;
    std::recursive_mutex lock_;
};
