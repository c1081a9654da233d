#include "stream/wave/CNxSSRiffInfo.h"

#include "platform/acm/CodecRegistry.h"

CNxSSRiffInfo::CNxSSRiffInfo(CNxSSComponent* owner, NxRef<CNxSSRiffFile> file)
    : CNxSSInfo(owner), file_(std::move(file)), title_(file_->GetTitle()) {
    SetTag("RIFFINFO");
}

int32_t CNxSSRiffInfo::GetBitrate() const {
    return static_cast<int32_t>(file_->GetFormat().avgBytesPerSec() * 8);
}

int32_t CNxSSRiffInfo::GetSampleRate() const {
    return static_cast<int32_t>(file_->GetFormat().samplesPerSec());
}

int32_t CNxSSRiffInfo::GetChannels() const {
    return file_->GetFormat().channels();
}

uint64_t CNxSSRiffInfo::GetFileSize() const {
    return file_->GetFileSize();
}

std::string CNxSSRiffInfo::GetFormatName() const {
    const auto details =
        platform::acm::CodecRegistry::current()->formatTagDetails(file_->GetFormat().tag());
    return details ? details->name : std::string();
}

std::string CNxSSRiffInfo::GetFormatDetails() const {
    return platform::acm::CodecRegistry::current()->formatText(file_->GetFormat()).value_or("");
}
