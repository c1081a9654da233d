#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <span>

#include "platform/AtomicFile.h"
#include "platform/PacedWaveOutDevice.h"
#include "platform/WaveFormat.h"
#include "platform/WaveOut.h"

namespace platform {

// The WAVE file behind a file output: everything its devices played, one
// device after another. The file is built under a temporary name and put
// in place, with its sizes filled in, when the first device closes; later
// devices with the same format append to it and fix the sizes again when
// they close, so the file on disk always has a consistent header. A device
// with another format starts a new file that replaces it when it closes.
class WaveFileWriter {
  public:
    explicit WaveFileWriter(std::filesystem::path path);
    ~WaveFileWriter();
    WaveFileWriter(const WaveFileWriter&) = delete;
    WaveFileWriter& operator=(const WaveFileWriter&) = delete;

    // Starts a device's session. kMmAllocated while another device of this
    // file is open; kMmError when the file cannot be created.
    MmResult begin(const WaveFormat& format);
    // False when the bytes could not be written (reported once).
    bool append(std::span<const uint8_t> bytes);
    // Ends the session: fills in the sizes, syncs, and puts the file in
    // place. False when the file is not complete on disk.
    bool finish();

    // A sink that feeds this writer and ends its session when destroyed.
    static std::unique_ptr<PcmSink> sessionSink(std::shared_ptr<WaveFileWriter> writer);

  private:
    bool startFile(const WaveFormat& format);
    bool writeSizes();
    void report(const std::string& what);

    const std::filesystem::path path_;
    std::mutex mutex_;
    std::unique_ptr<AtomicFile> file_;
    std::optional<WaveFormat> format_;
    uint64_t dataOffset_ = 0;  // where the data chunk's bytes start
    uint64_t dataBytes_ = 0;
    bool open_ = false;
    bool full_ = false;  // the 4 GiB limit of the format was reached
};

}  // namespace platform
