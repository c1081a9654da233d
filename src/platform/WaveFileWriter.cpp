#include "platform/WaveFileWriter.h"

#include <cstdio>
#include <string_view>
#include <vector>

namespace platform {

namespace {

// RIFF sizes are 32-bit; the data chunk stops short of that limit.
constexpr uint64_t kMaxRiffSize = 0xFFFFFFFF;

bool isPcm(const WaveFormat& f) {
    return f.tag() == kWaveFormatPcm;
}

// Little-endian RIFF bytes, appended one at a time.
struct RiffBytes {
    std::vector<uint8_t> bytes;

    void byte(uint8_t b) { bytes.push_back(b); }
    void u32(uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            byte(static_cast<uint8_t>(v >> (8 * i)));
        }
    }
    void tag(std::string_view fourCc) {
        for (const char c : fourCc) {
            byte(static_cast<uint8_t>(c));
        }
    }
};

// RIFF header, fmt chunk (16 bytes for PCM, the whole record otherwise),
// a fact chunk for non-PCM data, and the data chunk's header.
std::vector<uint8_t> header(const WaveFormat& f, uint64_t dataBytes) {
    const auto record = f.bytes();
    const size_t fmtSize = isPcm(f) ? 16 : record.size();
    RiffBytes out;
    out.tag("RIFF");
    out.u32(0);  // filled in below
    out.tag("WAVE");
    out.tag("fmt ");
    out.u32(static_cast<uint32_t>(fmtSize));
    for (size_t i = 0; i < fmtSize + fmtSize % 2; ++i) {
        out.byte(i < fmtSize ? record[i] : 0);
    }
    if (!isPcm(f)) {
        out.tag("fact");
        out.u32(4);
        out.u32(static_cast<uint32_t>(dataBytes / f.blockAlign()));
    }
    out.tag("data");
    out.u32(static_cast<uint32_t>(dataBytes));
    const uint64_t riff = out.bytes.size() - 8 + dataBytes + dataBytes % 2;
    for (int i = 0; i < 4; ++i) {
        out.bytes[4 + i] = static_cast<uint8_t>(riff >> (8 * i));
    }
    return std::move(out.bytes);
}

class WaveFileSession final : public PcmSink {
  public:
    explicit WaveFileSession(std::shared_ptr<WaveFileWriter> writer) : writer_(std::move(writer)) {}
    ~WaveFileSession() override { writer_->finish(); }
    void played(std::span<const uint8_t> bytes) override { writer_->append(bytes); }

  private:
    std::shared_ptr<WaveFileWriter> writer_;
};

}  // namespace

WaveFileWriter::WaveFileWriter(std::filesystem::path path) : path_(std::move(path)) {}

WaveFileWriter::~WaveFileWriter() = default;

std::unique_ptr<PcmSink> WaveFileWriter::sessionSink(std::shared_ptr<WaveFileWriter> writer) {
    return std::make_unique<WaveFileSession>(std::move(writer));
}

void WaveFileWriter::report(const std::string& what) {
    std::fprintf(stderr, "melodux: 出力ファイル %s: %s\n", path_.c_str(), what.c_str());
}

MmResult WaveFileWriter::begin(const WaveFormat& format) {
    std::lock_guard lock(mutex_);
    if (open_) {
        return kMmAllocated;
    }
    if (!file_ || !file_->ok() || !(*format_ == format)) {
        if (!startFile(format)) {
            return kMmError;
        }
    }
    open_ = true;
    return kMmNoError;
}

bool WaveFileWriter::startFile(const WaveFormat& format) {
    auto file = std::make_unique<AtomicFile>(path_);
    const auto head = header(format, 0);
    if (!file->write(head)) {
        report(file->error());
        return false;
    }
    file_ = std::move(file);
    format_ = format;
    dataOffset_ = head.size();
    dataBytes_ = 0;
    full_ = false;
    return true;
}

bool WaveFileWriter::append(std::span<const uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    if (!file_ || !file_->ok()) {
        return false;
    }
    if (full_) {
        return true;  // said so when the limit was reached
    }
    const uint64_t room = kMaxRiffSize - (dataOffset_ - 8) - dataBytes_ - 1;
    if (bytes.size() > room) {
        bytes = bytes.first(room - room % format_->blockAlign());
        full_ = true;
        report("WAVE ファイルの上限 (4 GiB) に達したため、以降は書き込みません");
    }
    if (!file_->writeAt(dataOffset_ + dataBytes_, bytes)) {
        report(file_->error());
        return false;
    }
    dataBytes_ += bytes.size();
    return true;
}

bool WaveFileWriter::writeSizes() {
    const auto head = header(*format_, dataBytes_);
    if (dataBytes_ % 2 != 0) {
        const uint8_t pad = 0;  // the chunk pad byte; the next append writes over it
        if (!file_->writeAt(dataOffset_ + dataBytes_, std::span(&pad, 1))) {
            return false;
        }
    }
    return file_->writeAt(0, head);
}

bool WaveFileWriter::finish() {
    std::lock_guard lock(mutex_);
    open_ = false;
    if (!file_ || !file_->ok()) {
        return false;
    }
    const bool done = writeSizes() && (file_->published() ? file_->sync() : file_->publish());
    if (!done) {
        report(file_->error());
    }
    return done;
}

}  // namespace platform
