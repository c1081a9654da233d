#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/cd/CdTrack.h"
#include "platform/cd/DriveList.h"
#include "stream/CNxSSComponent.h"

// The source that reads one audio-CD track as raw 44.1 kHz 16-bit stereo.
class CNxSSCdReader : public CNxSSComponent {
  public:
    static constexpr uint32_t kBytesPerSecond = 176400;

    // Lists the drives now; the track is opened by Open.
    explicit CNxSSCdReader(CNxSSObject* parent, const platform::cd::DriveListOptions& drives =
                                                    platform::cd::DriveList::systemOptions());

    // Opens track (from 1) of the drive numbered driveNumber (letter - 'A').
    // Throws CNxSSException: 0x83EA000B for an unknown drive, 0x83EA000A
    // for any other failure.
    void Open(int driveNumber, int track);
    // Takes a track that is already open.
    void Open(std::unique_ptr<platform::cd::CdTrack> track);

    int32_t GetLength() override;
    int32_t GetPosition() override;
    int32_t SetPosition(int32_t ms) override;
    void Read(CNxSSPacket& packet) override;
    bool GetFormat(platform::WaveFormat& format) override;
    void SetState(int32_t state) override;

  private:
    static constexpr size_t kBufferBytes =
        platform::cd::CdTrack::kSectorsPerRead * platform::cd::kSectorBytes;

    bool FillBuffer();

    const platform::cd::DriveList drives_;
    std::unique_ptr<platform::cd::CdTrack> track_;
    std::unique_ptr<std::array<uint8_t, kBufferBytes>> buffer_;
    size_t bufferOffset_ = 0;
    size_t bufferCount_ = 0;
    uint32_t current_ = 0;  // next sector to read
    // Read without the lock: a progress display must not wait for a slow
    // drive read (or for a reading thread the scheduler put aside).
    std::atomic<double> positionMs_ = 0;
    std::atomic<int32_t> lengthMs_ = 0;
    std::recursive_mutex lock_;
};
