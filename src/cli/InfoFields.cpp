#include "cli/InfoFields.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "cli/Commands.h"
#include "cli/TerminalText.h"
#include "mp3/reader/CNxSSId3Info.h"
#include "platform/Id3v1Genres.h"

namespace cli {

namespace {

// Values come from the file, so they are escaped for the terminal.
void line(const char* key, const std::string& value) {
    std::printf("%s: %s\n", key, terminalText(value).c_str());
}

void line(const char* key, long long value) {
    std::printf("%s: %lld\n", key, value);
}

const char* kindName(CNxSSInfo::Kind kind) {
    switch (kind) {
        case CNxSSInfo::kId3v1:
            return "ID3v1";
        case CNxSSInfo::kRiff:
            return "RIFF";
        case CNxSSInfo::kWma:
            return "WMA";
        case CNxSSInfo::kMedia:
            return "media";
    }
    return "?";
}

std::string genreText(int genre) {
    const std::string_view name = platform::id3v1GenreName(genre);
    return std::to_string(genre) + (name.empty() ? "" : " (" + std::string(name) + ")");
}

// The MP3 reader's record, field by field.
void printMp3Record(const Mp3InfoRecord& r) {
    line("mp3.version", r.version);
    line("mp3.layer", r.layer);
    line("mp3.crc_present", r.crcPresent);
    line("mp3.bitrate", r.bitrate);
    line("mp3.sample_rate", r.sampleRate);
    line("mp3.private", r.privateBit);
    line("mp3.channels", r.channels);
    line("mp3.mode", r.mode);
    line("mp3.mode_extension", r.modeExtension);
    line("mp3.padding", r.padding);
    line("mp3.copyright", r.copyright);
    line("mp3.original", r.original);
    line("mp3.emphasis", r.emphasis);
    std::printf("mp3.frame_duration_ms: %.3f\n", double(r.frameDurationMs));
    line("mp3.variable_bitrate", r.variableBitrate);
    line("mp3.vbr_header", r.vbrHeader);
    line("mp3.seekable", r.seekable);
    line("mp3.duration_ms", r.durationMs);
    line("mp3.current_bitrate", r.currentBitrate);
}

void printMp3Facts(const CNxSSInfo& info) {
    line("version", info.GetVersion());
    line("layer", info.GetLayer());
    line("mode", info.GetMode());
    line("crc", info.GetCrc());
    line("private", info.GetPrivate());
    line("copyright", info.GetCopyright());
    line("original", info.GetOriginal());
    line("vbr", info.GetVbr());
    if (const auto* id3 = dynamic_cast<const CNxSSId3Info*>(&info)) {
        printMp3Record(id3->InfoRecord());
    }
}

}  // namespace

void printKind(const CNxSSInfo& info) {
    line("kind", kindName(info.GetKind()));
}

void printTagFields(const CNxSSInfo& info) {
    line("title", info.GetTitle());
    line("artist", info.GetArtist());
    line("album", info.GetAlbum());
    line("year", info.GetYear());
    line("comment", info.GetComment());
    line("track", info.GetTrack());
    line("genre", genreText(info.GetGenre()));
}

void printFacts(const CNxSSInfo& info) {
    line("duration", info.GetDuration());
    line("size", static_cast<long long>(info.GetFileSize()));
    switch (info.GetKind()) {
        case CNxSSInfo::kRiff:
            line("format", info.GetFormatName());
            line("details", info.GetFormatDetails());
            return;
        case CNxSSInfo::kId3v1:
            printMp3Facts(info);
            break;
        case CNxSSInfo::kMedia:
            line("format", info.GetFormatName());
            break;
        case CNxSSInfo::kWma:
            break;
    }
    line("bitrate", info.GetBitrate());
    line("samplerate", info.GetSampleRate());
    line("channels", info.GetChannels());
}

void printInformationText(const CNxSSInfo& info) {
    const std::string all = info.InformationText();
    std::string_view text = all;
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        std::string_view row = text.substr(0, end);
        if (!row.empty() && row.back() == '\r') {
            row.remove_suffix(1);
        }
        std::printf("%s%s", terminalText(row).c_str(), end < text.size() ? "\n" : "");
        text.remove_prefix(std::min(end + 1, text.size()));
    }
}

NxRef<CNxSSInfo> openInfo(CNxSSManager& manager, const std::string& name) {
    NxRef<CNxSSInfo> info;
    if (const uint32_t rc = manager.GetInfo(name, info)) {
        printError(rc);
        return {};
    }
    return info;
}

}  // namespace cli
