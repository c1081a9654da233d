#include "platform/wma/Attributes.h"

#include <algorithm>
#include <charconv>

extern "C" {
#include <libavutil/dict.h>
}

namespace platform::wma {

namespace {

bool sameName(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

// Generic names the demuxer gives ASF attributes, with the ASF name.
constexpr std::pair<std::string_view, std::string_view> kLibraryNames[] = {
    {"title", "Title"},
    {"artist", "Author"},
    {"comment", "Description"},
    {"copyright", "Copyright"},
    {"rating", "Rating"},
    {"album", "WM/AlbumTitle"},
    {"album_artist", "WM/AlbumArtist"},
    {"composer", "WM/Composer"},
    {"encoded_by", "WM/EncodedBy"},
    {"encoder", "WM/EncodingSettings"},
    {"genre", "WM/Genre"},
    {"language", "WM/Language"},
    {"filename", "WM/OriginalFilename"},
    {"disc", "WM/PartOfSet"},
    {"publisher", "WM/Publisher"},
    {"service_name", "WM/MediaStationName"},
    {"track", "WM/TrackNumber"},
};

std::string_view asfName(std::string_view libraryName) {
    for (const auto& [generic, asf] : kLibraryNames) {
        if (sameName(generic, libraryName)) {
            return asf;
        }
    }
    return libraryName;
}

std::optional<int> leadingNumber(const std::optional<std::string>& text) {
    if (!text) {
        return std::nullopt;
    }
    const char* begin = text->data();
    while (begin != text->data() + text->size() && *begin == ' ') {
        ++begin;
    }
    int value = 0;
    const auto [end, ec] = std::from_chars(begin, text->data() + text->size(), value);
    return ec == std::errc{} ? std::optional<int>(value) : std::nullopt;
}

}  // namespace

std::vector<Attributes::Entry>::const_iterator Attributes::find(std::string_view name) const {
    return std::find_if(entries_.begin(), entries_.end(),
                        [&](const Entry& e) { return sameName(e.first, name); });
}

std::optional<std::string> Attributes::get(std::string_view name) const {
    const auto it = find(name);
    return it == entries_.end() ? std::nullopt : std::optional<std::string>(it->second);
}

void Attributes::set(std::string_view name, std::string_view value) {
    const auto it = find(name);
    if (it == entries_.end()) {
        entries_.emplace_back(name, value);
    } else {
        entries_[static_cast<size_t>(it - entries_.begin())].second = value;
    }
}

void Attributes::erase(std::string_view name) {
    const auto it = find(name);
    if (it != entries_.end()) {
        entries_.erase(it);
    }
}

std::optional<int> Attributes::trackNumber() const {
    if (const auto n = leadingNumber(get(attr::kTrackNumber)); n && *n > 0) {
        return n;
    }
    if (const auto n = leadingNumber(get(attr::kTrack)); n && *n >= 0) {
        return *n + 1;
    }
    return std::nullopt;
}

Attributes Attributes::fromLibrary(const AVDictionary* metadata) {
    Attributes result;
    const AVDictionaryEntry* e = nullptr;
    while ((e = av_dict_get(metadata, "", e, AV_DICT_IGNORE_SUFFIX)) != nullptr) {
        result.set(asfName(e->key), e->value);
    }
    return result;
}

bool Attributes::toLibrary(AVDictionary** metadata) const {
    for (const auto& [name, value] : entries_) {
        if (av_dict_set(metadata, name.c_str(), value.c_str(), 0) < 0) {
            return false;
        }
    }
    return true;
}

}  // namespace platform::wma
