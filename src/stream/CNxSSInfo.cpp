#include "stream/CNxSSInfo.h"

#include <cstdio>

#include "stream/ResultCodes.h"

namespace {

template <typename... Args>
std::string format(const char* pattern, Args... args) {
    char line[512];
    std::snprintf(line, sizeof line, pattern, args...);
    return line;
}

const char* versionName(int32_t version) {
    switch (version) {
        case 0:
            return "1";
        case 1:
            return "2";
        case 2:
            return "2.5";
        default:
            return "Unknown";
    }
}

const char* modeName(int32_t mode) {
    static const char* const kNames[] = {"Stereo", "Joint Stereo", "Dual Channel",
                                         "Single Channel"};
    return mode >= 0 && mode <= 3 ? kNames[mode] : "";
}

const char* yesNo(int32_t flag) {
    return flag ? "Yes" : "No";
}

}  // namespace

CNxSSInfo::CNxSSInfo(CNxSSComponent* owner) : CNxSSObject(nullptr), owner_(owner) {}

uint32_t CNxSSInfo::WriteTag() {
    return nxss::kFail;
}

std::string CNxSSInfo::InformationText() const {
    const int32_t seconds = GetDuration() / 1000;
    return format("サイズ\t%llu bytes\r\n", static_cast<unsigned long long>(GetFileSize())) +
           format("時間\t%02d:%02d\r\n", seconds / 60, seconds % 60) + KindLines();
}

std::string CNxSSInfo::KindLines() const {
    switch (GetKind()) {
        case kWma:
            return format("フォーマット\t%s\r\n", "Windows Media Audio") +
                   format("\t%dKbps %dHz\r\n\t%s\r\n", GetBitrate() / 1000, GetSampleRate(),
                          GetChannels() == 1 ? "Mono" : "Stereo");
        case kMedia:
            return format("フォーマット\t%s\r\n", GetFormatName().c_str()) +
                   format("\t%dKbps %dHz\r\n\t%s\r\n", GetBitrate() / 1000, GetSampleRate(),
                          GetChannels() == 1 ? "Mono" : "Stereo");
        case kRiff:
            return format("フォーマット\t%s\r\n", GetFormatName().c_str()) +
                   format("\t%s\r\n", GetFormatDetails().c_str());
        case kId3v1:
            return Id3v1Lines();
    }
    return {};
}

std::string CNxSSInfo::Id3v1Lines() const {
    std::string text =
        format("バージョン\tMPEG-%s Layer-%d\r\n", versionName(GetVersion()), GetLayer());
    const char* mode = modeName(GetMode());
    text += GetVbr() ? format("フォーマット\tVBR (av. %dKbps) %dHz\r\n\t%s\r\n",
                              GetBitrate() / 1000, GetSampleRate(), mode)
                     : format("フォーマット\t%dKbps %dHz\r\n\t%s\r\n", GetBitrate() / 1000,
                              GetSampleRate(), mode);
    text += format("プライベート\t%s\r\n", yesNo(GetPrivate()));
    text += format("著作権\t%s\r\n", yesNo(GetCopyright()));
    text += format("オリジナル\t%s\r\n", yesNo(GetOriginal()));
    return text;
}
