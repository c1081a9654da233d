#include "platform/wma/av/AvAttributes.h"

#include <strings.h>

#include <string_view>
#include <utility>

namespace platform::wma {

namespace {

// Generic names the demuxer gives ASF attributes, with the ASF name.
constexpr std::pair<const char*, std::string_view> kLibraryNames[] = {
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

std::string_view asfName(const char* libraryName) {
    for (const auto& [generic, asf] : kLibraryNames) {
        if (strcasecmp(generic, libraryName) == 0) {
            return asf;
        }
    }
    return libraryName;
}

}  // namespace

Attributes attributesFromLibrary(const AVDictionary* metadata) {
    Attributes result;
    const AVDictionaryEntry* e = nullptr;
    while ((e = av_dict_get(metadata, "", e, AV_DICT_IGNORE_SUFFIX)) != nullptr) {
        result.set(asfName(e->key), e->value);
    }
    return result;
}

bool addAttributesToLibrary(const Attributes& attributes, AVDictionary** metadata) {
    for (const auto& [name, value] : attributes.entries()) {
        if (av_dict_set(metadata, name.c_str(), value.c_str(), 0) < 0) {
            return false;
        }
    }
    return true;
}

}  // namespace platform::wma
