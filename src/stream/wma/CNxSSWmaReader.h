#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>

#include "platform/wma/Attributes.h"
#include "platform/wma/StreamInfo.h"
#include "platform/wma/WmaReader.h"
#include "stream/CNxSSComponent.h"
#include "stream/PcmPipe.h"

// The source for WMA files. The WMA layer decodes on its own thread and
// hands PCM over through a pipe that Read drains; that decoding reader
// exists only while the chain runs.
class CNxSSWmaReader : public CNxSSComponent {
  public:
    explicit CNxSSWmaReader(CNxSSObject* parent);
    ~CNxSSWmaReader() override;

    // Opens the file and reads its facts and attributes; nothing is decoded
    // before the chain runs. Throws CNxSSException 0x83EB0101 when the file
    // does not exist, else CNxSSDetailedException: 0x83EA000E, 0x83EA000F or
    // 0x83EA0010 for protected files, 0x83EA000D for files that cannot be
    // decoded (the detail names a missing codec).
    void Open(const std::string& path);

    int32_t GetLength() override;
    int32_t GetPosition() override;
    // Seeks the running decoder at once; while stopped the position is used
    // at the next start.
    int32_t SetPosition(int32_t ms) override;
    // Blocks until the packet is full or the stream has ended. A read
    // failure of the file is thrown (0x83EB0105) after the audio before it.
    void Read(CNxSSPacket& packet) override;
    bool GetFormat(platform::WaveFormat& format) override;
    // Stopped to running creates and starts the decoding reader at the
    // stored position; back to stopped releases it.
    void SetState(int32_t state) override;
    // A CNxSSWmaInfo for the file.
    uint32_t GetInfo(NxRef<CNxSSInfo>& info) override;

    const std::string& Path() const { return path_; }
    const platform::wma::StreamInfo& StreamFacts() const { return facts_; }
    platform::wma::Attributes FileAttributes() const;
    // Records the attributes the file holds after a retag.
    void SetFileAttributes(platform::wma::Attributes attributes);

  protected:
    // The decoder of the opened file, made at Open and at every start.
    virtual std::unique_ptr<platform::wma::WmaDecoder> OpenDecoder() const;

  private:
    std::unique_ptr<platform::wma::WmaReader> MakeReader();
    void StartReader();
    void HaltReader();
    void ReleaseReader();
    bool Deliver(std::span<const uint8_t> pcm);
    void OnStatus(platform::wma::WmaReader::Status status, const std::string& detail);
    bool Running();

    std::string path_;
    platform::wma::StreamInfo facts_;
    platform::wma::Attributes attributes_;
    std::unique_ptr<platform::wma::WmaReader> reader_;
    PcmPipe pipe_;
    double positionMs_ = 0;
    std::mutex failureMutex_;  // the delivery thread reports through it
    std::optional<std::string> readFailure_;
    mutable std::recursive_mutex lock_;
};
