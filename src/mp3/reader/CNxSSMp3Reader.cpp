#include "mp3/reader/CNxSSMp3Reader.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <vector>

#include "mp3/Mp3FrameHeader.h"
#include "mp3/Mp3FrameSearch.h"
#include "mp3/Mp3VbrHeaders.h"
#include "mp3/reader/CNxSSId3Info.h"
#include "mp3/reader/Mp3TagRewrite.h"
#include "stream/CNxSSException.h"
#include "stream/CNxSSPacket.h"
#include "stream/RegistryFunctions.h"
#include "stream/ResultCodes.h"

namespace {

constexpr size_t kAnalysisBytes = 16384;
// The longest frame and the header after it, which a free-format frame's
// length is measured by.
constexpr size_t kHeaderFrameBytes = mp3::kMp3MaxFrameBytes + 4;

int setting(std::string_view name) {
    return static_cast<int>(nxss::ReadDword(CNxSSMp3Reader::kSettingsKey, name, 0));
}

uint32_t headerWord(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

}  // namespace

CNxSSMp3Reader::Options CNxSSMp3Reader::SettingsOptions() {
    return {setting("Quality"), setting("Resolution"), setting("Downmix"), false, false};
}

CNxSSMp3Reader::CNxSSMp3Reader(CNxSSObject* parent) : CNxSSMp3Reader(parent, SettingsOptions()) {}

// Float samples take twice the room of 16-bit ones.
CNxSSMp3Reader::CNxSSMp3Reader(CNxSSObject* parent, const Options& options)
    : CNxSSComponent(parent),
      floating_(options.floating),
      raw_(options.raw),
      pcm_(options.floating ? 2 * kPcmBytes : kPcmBytes) {
    SetTag("MP3READ ");
    const mp3::Mp3Ssc rc =
        mp3::createMp3Decoder(options.quality, options.resolution, options.downmix, &decoder_);
    if (mp3::mp3SscFailed(rc)) {
        throw CNxSSException(rc);
    }
}

void CNxSSMp3Reader::Open(const std::string& path) {
    Open(MakeNx<CNxSSMp3File>(path));
}

void CNxSSMp3Reader::Open(NxRef<CNxSSMp3File> file) {
    std::lock_guard lock(lock_);
    file_ = std::move(file);
    file_->Open(CNxSSMp3File::kRead);
    const int64_t first = Resynchronise();
    if (first < 0) {
        file_->CloseAndDiscard();
        throw CNxSSException(nxss::kFail);
    }
    Analyse(first);
    FindAudioStart(first);
    averaged_ = 0;
    positionMs_ = 0;
    Restart(audioStart_);
    if (!DecodeFrame()) {
        file_->CloseAndDiscard();
        throw CNxSSException(nxss::kFail);
    }
    TakeFrameFacts();
    SetUpTrim();
    LoadTag();
}

// The data offset of the first frame header, or -1 when there is none;
// the header's flags go into the information record.
int64_t CNxSSMp3Reader::Resynchronise() {
    std::vector<uint8_t> buffer(kChunkBytes + 3);
    int64_t base = file_->Seek(0, CNxSSMp3File::kBegin);
    size_t carried = 0;
    for (;;) {
        const size_t got = file_->Read(buffer.data() + carried, kChunkBytes);
        if (got == 0) {
            return -1;
        }
        const size_t held = carried + got;
        mp3::Mp3FrameHeader h;
        for (size_t i = 0; i + 4 <= held; ++i) {
            if (buffer[i] == 0xFF && (buffer[i + 1] & 0xE0) == 0xE0 &&
                mp3::decodeMp3Header(headerWord(&buffer[i]), h)) {
                info_.crcPresent = h.crcPresent;
                info_.privateBit = h.privateBit;
                info_.mode = h.mode;
                info_.modeExtension = h.modeExtension;
                info_.copyright = h.copyright;
                info_.original = h.original;
                info_.padding = h.padding;
                info_.emphasis = h.emphasis;
                return base + static_cast<int64_t>(i);
            }
        }
        carried = std::min<size_t>(held, 3);
        std::memmove(buffer.data(), buffer.data() + held - carried, carried);
        base += static_cast<int64_t>(held - carried);
    }
}

void CNxSSMp3Reader::Analyse(int64_t firstFrame) {
    std::vector<uint8_t> block(kAnalysisBytes);
    file_->Seek(firstFrame, CNxSSMp3File::kBegin);
    const size_t got = file_->Read(block.data(), block.size());
    if (!analysis_.analyse(block.data(), got, file_->DataSize())) {
        file_->CloseAndDiscard();
        throw CNxSSException(nxss::kFail);
    }
    file_->Seek(0, CNxSSMp3File::kBegin);
    const mp3::Mp3FileInfo& a = analysis_.info();
    info_.bitrate = info_.currentBitrate = a.bitrate;
    info_.channels = a.channels;
    info_.sampleRate = a.sampleRate;
    info_.durationMs = a.duration;
    info_.variableBitrate = a.variableBitrate;
    info_.vbrHeader = a.vbrHeader;
    info_.seekable = a.seekable;
}

// A Xing, Info or VBRI frame describes the stream and holds no audio:
// playback starts after it.
void CNxSSMp3Reader::FindAudioStart(int64_t firstFrame) {
    audioStart_ = 0;
    gapless_.reset();
    std::vector<uint8_t> frame(kHeaderFrameBytes);
    file_->Seek(firstFrame, CNxSSMp3File::kBegin);
    const size_t got = file_->Read(frame.data(), frame.size());
    size_t at = 0;
    mp3::Mp3FrameHeader h;
    if (mp3::findFirstMp3Frame(frame.data(), got, at, h) && at == 0 &&
        mp3::isVbrHeaderFrame(frame.data(), got)) {
        audioStart_ = static_cast<uint64_t>(firstFrame) + h.frameBytes();
        if (!raw_) {
            gapless_ = mp3::gaplessOf(frame.data(), got);
        }
    }
}

// The cut in whole output frames: a lower output rate cuts in proportion.
// The first decoded frame goes through the cut too. Where nothing is to be
// cut, the stream plays as any other.
void CNxSSMp3Reader::SetUpTrim() {
    if (!gapless_ || gapless_->start + gapless_->end == 0 || info_.sampleRate == 0) {
        gapless_.reset();
        return;
    }
    const mp3::Mp3FrameInfo& f = decoder_->frameInfo();
    const double scale = f.sampleRate > 0 ? double(f.outputSampleRate) / f.sampleRate : 1.0;
    const auto bytes = [&](uint32_t samples) {
        return static_cast<size_t>(samples * scale) * format_.blockAlign();
    };
    trim_ = Mp3PcmTrim(bytes(gapless_->start), bytes(gapless_->end));
    leadMs_ = gapless_->start * 1000.0 / info_.sampleRate;
    if (gapless_->samples > 0) {
        info_.durationMs = static_cast<uint32_t>(gapless_->samples * 1000 / info_.sampleRate);
    }
    trim_.restart(true);
    trim_.push(pcm_.data(), pcmPending_);
    pcmPending_ = 0;
}

void CNxSSMp3Reader::TakeFrameFacts() {
    const mp3::Mp3FrameInfo& f = decoder_->frameInfo();
    info_.version = f.version;
    info_.layer = f.layer;
    info_.frameDurationMs = f.frameDurationMs;
    format_ = platform::WaveFormat::pcm(
        static_cast<uint16_t>(f.outputChannels), f.outputSampleRate,
        floating_ ? uint16_t{32} : static_cast<uint16_t>(f.outputBitsPerSample));
    meanFrameBytes_ = f.frameLengthBits / 8.0;
    meanFrameMs_ = f.frameDurationMs;
}

void CNxSSMp3Reader::LoadTag() {
    const auto bytes = file_->ReadTag();
    tag_ = bytes ? Id3v1Block(*bytes) : Id3v1Block();
    longTitle_ = tag_.Title().empty() ? std::filesystem::path(file_->GetPath()).filename().string()
                                      : std::string();
}

// Decodes the next frame into the PCM buffer; false at the end of the
// stream. A decoder error is thrown with its code.
bool CNxSSMp3Reader::DecodeFrame() {
    pcmPending_ = DecodeFrameInto(pcm_.data(), pcm_.size());
    pcmOffset_ = 0;
    return pcmPending_ > 0;
}

// Decodes the next frame into `target`, which holds a whole frame's output;
// returns the bytes written, 0 at the end of the stream.
size_t CNxSSMp3Reader::DecodeFrameInto(uint8_t* target, size_t room) {
    for (;;) {
        if (chunkLeft_ == 0 && !inputDone_) {
            ReadChunk();
        }
        if (chunkLeft_ > 0) {
            const size_t taken = decoder_->feed(chunk_.data() + chunkOffset_, chunkLeft_);
            chunkOffset_ += taken;
            chunkLeft_ -= taken;
        }
        size_t written = 0;
        const mp3::Mp3Ssc rc = floating_ ? decoder_->decodeFloat(target, room, &written)
                                         : decoder_->decodePcm(target, room, &written);
        if (written > 0) {
            UpdateMeans();
            return written;
        }
        if (mp3::mp3SscIsError(rc)) {
            throw CNxSSException(rc);
        }
        if (decoder_->atEnd()) {
            return 0;
        }
    }
}

// Reads the next chunk, stopping before a trailing tag; a short chunk
// finishes the decoder's input.
void CNxSSMp3Reader::ReadChunk() {
    const int64_t at = file_->Tell();
    const uint64_t left = at >= 0 && static_cast<uint64_t>(at) < file_->DataSize()
                              ? file_->DataSize() - static_cast<uint64_t>(at)
                              : 0;
    const size_t wanted = static_cast<size_t>(std::min<uint64_t>(kChunkBytes, left));
    chunkLeft_ = wanted > 0 ? file_->Read(chunk_.data(), wanted) : 0;
    chunkOffset_ = 0;
    if (chunkLeft_ < kChunkBytes) {
        inputDone_ = true;
        decoder_->markFinished();
    }
}

// Without a seek table, a VBR stream's length and bitrate come from the
// means of the frames decoded so far.
void CNxSSMp3Reader::UpdateMeans() {
    if (!info_.variableBitrate || info_.seekable) {
        return;
    }
    const mp3::Mp3FrameInfo& f = decoder_->frameInfo();
    const double k = averaged_;
    meanFrameMs_ = (k * meanFrameMs_ + f.frameDurationMs) / (k + 1);
    meanFrameBytes_ = (k * meanFrameBytes_ + f.frameLengthBits / 8.0) / (k + 1);
    if (meanFrameMs_ > 0) {
        info_.currentBitrate = static_cast<uint32_t>(1000 / meanFrameMs_ * meanFrameBytes_ * 8);
    }
    ++averaged_;
}

int32_t CNxSSMp3Reader::GetLength() {
    std::lock_guard lock(lock_);
    // A header's frame count may claim far more than a length can hold.
    const auto clamped = [](double ms) {
        return static_cast<int32_t>(std::clamp(ms, 0.0, double(INT32_MAX)));
    };
    if (!gapless_) {
        return clamped(StreamLengthMs());
    }
    if (gapless_->samples > 0) {
        return clamped(info_.durationMs);
    }
    const double cut = (gapless_->start + gapless_->end) * 1000.0 / info_.sampleRate;
    return clamped(StreamLengthMs() - cut);
}

// The length of all decoded frames.
double CNxSSMp3Reader::StreamLengthMs() {
    if (info_.variableBitrate && info_.seekable) {
        return info_.durationMs;
    }
    if (!file_ || meanFrameBytes_ <= 0) {
        return 0;
    }
    return double(file_->DataSize()) / meanFrameBytes_ * meanFrameMs_;
}

int32_t CNxSSMp3Reader::GetPosition() {
    std::lock_guard lock(lock_);
    return static_cast<int32_t>(positionMs_);
}

int32_t CNxSSMp3Reader::SetPosition(int32_t ms) {
    std::lock_guard lock(lock_);
    const auto previous = static_cast<int32_t>(positionMs_);
    positionMs_ = std::max(ms, 0);
    if (file_ && file_->IsOpen()) {
        Restart(SeekOffset(positionMs_));
    }
    return previous;
}

// A trimmed stream's positions count from its first real sample.
uint64_t CNxSSMp3Reader::SeekOffset(double ms) {
    if (!gapless_) {
        return StreamOffset(ms);
    }
    positionMs_ = ms > 0 ? ms + leadMs_ : 0;
    const uint64_t offset = StreamOffset(positionMs_);
    positionMs_ = offset == audioStart_ ? 0 : std::max(positionMs_ - leadMs_, 0.0);
    return offset;
}

// The data offset to play from for a position among all decoded samples;
// a CBR position snaps to the start of its frame.
uint64_t CNxSSMp3Reader::StreamOffset(double ms) {
    const uint64_t size = file_->DataSize();
    if (ms <= 0) {
        positionMs_ = 0;
        return audioStart_;
    }
    if (info_.variableBitrate && info_.seekable) {
        uint64_t offset = analysis_.timeToOffset(ms);
        if (offset == 0 && info_.durationMs > 0) {
            offset = analysis_.percentToOffset(ms / info_.durationMs * 100);
        }
        return std::clamp(offset, audioStart_, std::max(size, audioStart_));
    }
    if (meanFrameBytes_ <= 0 || meanFrameMs_ <= 0) {
        return audioStart_;
    }
    const double audioBytes = size > audioStart_ ? double(size - audioStart_) : 0.0;
    const double frames =
        std::min(std::floor(ms / meanFrameMs_), std::floor(audioBytes / meanFrameBytes_));
    positionMs_ = frames * meanFrameMs_;
    return audioStart_ + static_cast<uint64_t>(frames * meanFrameBytes_);
}

// Drops buffered input and output; the decoder finds sync again at offset.
void CNxSSMp3Reader::Restart(uint64_t offset) {
    file_->Seek(static_cast<int64_t>(offset), CNxSSMp3File::kBegin);
    chunkLeft_ = chunkOffset_ = 0;
    pcmPending_ = pcmOffset_ = 0;
    inputDone_ = false;
    decoder_->reset();
    trim_.restart(offset == audioStart_);
}

void CNxSSMp3Reader::Read(CNxSSPacket& packet) {
    std::lock_guard lock(lock_);
    const uint32_t align = packet.Format().blockAlign();
    if (!file_ || !file_->IsOpen() || align == 0) {
        packet.SetFrames(0);
        return;
    }
    const size_t got = Fill(packet.Data(), size_t{packet.Capacity()} * align);
    packet.SetFrames(static_cast<uint32_t>(got / align));
}

// Frames go straight into the caller's buffer while a whole one fits, and
// through the PCM buffer only for the rest.
size_t CNxSSMp3Reader::Fill(uint8_t* out, size_t count) {
    if (gapless_) {
        return FillTrimmed(out, count);
    }
    size_t delivered = 0;
    const double bytesPerSecond = format_.avgBytesPerSec();
    while (delivered < count) {
        if (pcmPending_ > 0) {
            const size_t n = std::min(pcmPending_, count - delivered);
            std::memcpy(out + delivered, pcm_.data() + pcmOffset_, n);
            pcmOffset_ += n;
            pcmPending_ -= n;
            delivered += n;
            positionMs_ += n / bytesPerSecond * 1000;
            continue;
        }
        try {
            if (count - delivered >= pcm_.size()) {
                const size_t n = DecodeFrameInto(out + delivered, count - delivered);
                delivered += n;
                positionMs_ += n / bytesPerSecond * 1000;
                if (n == 0) {
                    break;
                }
            } else if (!DecodeFrame()) {
                break;
            }
        } catch (const CNxSSException&) {
            if (delivered == 0) {
                throw;
            }
            break;  // the audio before the fault goes out first
        }
    }
    return delivered;
}

// Every frame goes through the trim, which holds the padding back.
size_t CNxSSMp3Reader::FillTrimmed(uint8_t* out, size_t count) {
    size_t delivered = trim_.take(out, count);
    while (delivered < count) {
        size_t got = 0;
        try {
            got = DecodeFrameInto(pcm_.data(), pcm_.size());
        } catch (const CNxSSException&) {
            if (delivered == 0) {
                throw;
            }
            break;  // the audio before the fault goes out first
        }
        if (got == 0) {
            break;
        }
        trim_.push(pcm_.data(), got);
        delivered += trim_.take(out + delivered, count - delivered);
    }
    positionMs_ += delivered / double(format_.avgBytesPerSec()) * 1000;
    return delivered;
}

size_t CNxSSMp3Reader::ReadPcm(uint8_t* out, size_t count) {
    std::lock_guard lock(lock_);
    return file_ && file_->IsOpen() ? Fill(out, count) : 0;
}

bool CNxSSMp3Reader::GetFormat(platform::WaveFormat& format) {
    std::lock_guard lock(lock_);
    if (format_.blockAlign() == 0) {
        return false;
    }
    format = format_;
    return true;
}

void CNxSSMp3Reader::SetState(int32_t state) {
    std::lock_guard lock(lock_);
    const int32_t before = GetState();
    CNxSSComponent::SetState(state);
    if (!file_ || state == before) {
        return;
    }
    if (state == kStopped) {
        file_->CloseAndDiscard();
    } else if (!file_->IsOpen()) {
        file_->Open(CNxSSMp3File::kRead);
        Restart(SeekOffset(positionMs_));
    }
}

uint32_t CNxSSMp3Reader::GetInfo(NxRef<CNxSSInfo>& info) {
    info = MakeNx<CNxSSId3Info>(this);
    return 0;
}

Mp3InfoRecord CNxSSMp3Reader::InfoRecord() {
    std::lock_guard lock(lock_);
    return info_;
}

Id3v1Block CNxSSMp3Reader::Tag() {
    std::lock_guard lock(lock_);
    return tag_;
}

std::string CNxSSMp3Reader::LongTitle() {
    std::lock_guard lock(lock_);
    return longTitle_;
}

uint32_t CNxSSMp3Reader::WriteTag(const Id3v1Block& block) {
    std::lock_guard lock(lock_);
    if (!file_) {
        return nxss::kFail;
    }
    try {
        file_->WriteTag(block.Bytes());
    } catch (const CNxSSException& e) {
        return e.Code();
    }
    tag_ = block;
    longTitle_.clear();
    return 0;
}

// The copy is made without the lock, so a playing stream is not held up.
uint32_t CNxSSMp3Reader::WriteTags(const Id3v1Block& block, const tags::TagEdit& edit) {
    const std::string path = TaggedPath();
    if (path.empty()) {
        return WriteTag(block);
    }
    try {
        rewriteMp3Tags(path, block.Bytes(), edit);
    } catch (const CNxSSException& e) {
        return e.Code();
    }
    std::lock_guard lock(lock_);
    tag_ = block;
    longTitle_.clear();
    return 0;
}

std::string CNxSSMp3Reader::TaggedPath() {
    std::lock_guard lock(lock_);
    return file_ && file_->HasOwnTags() ? file_->GetPath() : std::string();
}

uint64_t CNxSSMp3Reader::FileSize() {
    std::lock_guard lock(lock_);
    std::error_code ec;
    const auto size = file_ ? std::filesystem::file_size(file_->GetPath(), ec) : 0;
    return ec ? 0 : size;
}

bool CNxSSMp3Reader::FileOpen() {
    std::lock_guard lock(lock_);
    return file_ && file_->IsOpen();
}
