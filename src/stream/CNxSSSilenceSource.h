#pragma once

#include <atomic>
#include <cstdint>

#include "stream/CNxSSComponent.h"

// Delivers digital silence (44.1 kHz, 16-bit stereo) for a given length.
class CNxSSSilenceSource : public CNxSSComponent {
  public:
    CNxSSSilenceSource(CNxSSObject* parent, int32_t lengthMs);

    int32_t GetLength() override;
    int32_t GetPosition() override;
    int32_t SetPosition(int32_t ms) override;
    void Read(CNxSSPacket& packet) override;
    bool GetFormat(platform::WaveFormat& format) override;

  private:
    const platform::WaveFormat format_;
    const uint32_t budget_;  // bytes in all
    // Read by a position query beside the writer thread's reads.
    std::atomic<uint32_t> delivered_ = 0;
};
