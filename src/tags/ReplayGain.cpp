#include "tags/ReplayGain.h"

#include <taglib/apetag.h>
#include <taglib/fileref.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/tpropertymap.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <map>
#include <string_view>

#include "platform/AsciiText.h"
#include "tags/TagLibText.h"

namespace tags {

namespace {

constexpr std::string_view kTrackGain = "REPLAYGAIN_TRACK_GAIN";
constexpr std::string_view kTrackPeak = "REPLAYGAIN_TRACK_PEAK";
constexpr std::string_view kAlbumGain = "REPLAYGAIN_ALBUM_GAIN";
constexpr std::string_view kAlbumPeak = "REPLAYGAIN_ALBUM_PEAK";
constexpr std::string_view kR128TrackGain = "R128_TRACK_GAIN";
constexpr std::string_view kR128AlbumGain = "R128_ALBUM_GAIN";
constexpr std::array<std::string_view, 6> kNames{kTrackGain, kTrackPeak,     kAlbumGain,
                                                 kAlbumPeak, kR128TrackGain, kR128AlbumGain};

// iTunes's freeform atoms carry the names ReplayGain taggers give them.
constexpr std::string_view kItunesPrefix = "----:com.apple.iTunes:";

// R128 gains aim at -23 LUFS, ReplayGain's at -18 LUFS.
constexpr double kR128ToReplayGainDb = 5.0;

// The first value of each name above, by its name in capitals; the first
// tag to give a name wins.
using Fields = std::map<std::string, std::string, std::less<>>;

void add(std::string_view name, const TagLib::StringList& values, Fields& fields) {
    const std::string upper = platform::toUpperAscii(name);
    if (!values.isEmpty() && std::find(kNames.begin(), kNames.end(), upper) != kNames.end()) {
        fields.emplace(upper, fromTagLib(values.front()));
    }
}

// ID3v2 names a TXXX frame by its description in capitals, APE and Xiph
// tags by the item's name in capitals.
void addFrom(const TagLib::PropertyMap& properties, Fields& fields) {
    for (const auto& [key, values] : properties) {
        add(fromTagLib(key), values, fields);
    }
}

void addFrom(const TagLib::MP4::Tag& tag, Fields& fields) {
    for (const auto& [key, item] : tag.itemMap()) {
        const std::string name = fromTagLib(key);
        if (platform::startsWithIgnoreCase(name, kItunesPrefix)) {
            add(std::string_view(name).substr(kItunesPrefix.size()), item.toStringList(), fields);
        }
    }
}

// An MP3 file's ID3v2 tag goes before its APE tag, as for the other fields.
Fields fieldsOf(TagLib::File& file) {
    Fields fields;
    if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(&file)) {
        if (mpeg->hasID3v2Tag()) {
            addFrom(mpeg->ID3v2Tag()->properties(), fields);
        }
        if (mpeg->hasAPETag()) {
            addFrom(mpeg->APETag()->properties(), fields);
        }
    } else if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(&file)) {
        if (mp4->tag() != nullptr) {
            addFrom(*mp4->tag(), fields);
        }
    } else {
        addFrom(file.properties(), fields);
    }
    return fields;
}

std::string_view textOf(const Fields& fields, std::string_view name) {
    const auto it = fields.find(name);
    return it == fields.end() ? std::string_view{} : std::string_view(it->second);
}

// The number the text starts with, after blanks and a '+' that
// std::from_chars does not take; `rest` is what follows it.
template <typename Number>
std::optional<Number> leadingNumber(std::string_view text, std::string_view& rest) {
    text = platform::trimFront(text);
    if (text.size() > 1 && text[0] == '+' && text[1] != '-') {
        text.remove_prefix(1);
    }
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc()) {
        return std::nullopt;
    }
    rest = platform::trim(text.substr(static_cast<size_t>(end - text.data())));
    return value;
}

// "-6.54 dB", "+1.20 dB" or a bare "-6.54", in any case.
std::optional<double> gainDb(std::string_view text) {
    std::string_view rest;
    const auto value = leadingNumber<double>(text, rest);
    const bool unitOnly = rest.empty() || platform::equalsIgnoreCase(rest, "dB");
    return value && std::isfinite(*value) && unitOnly ? value : std::nullopt;
}

// "0.987654": a bare amplitude, never below zero.
std::optional<double> peak(std::string_view text) {
    std::string_view rest;
    const auto value = leadingNumber<double>(text, rest);
    return value && std::isfinite(*value) && *value >= 0 && rest.empty() ? value : std::nullopt;
}

// An Opus R128 gain: a Q7.8 fixed point integer of dB, "-1280" for -5 dB.
std::optional<double> r128GainDb(std::string_view text) {
    std::string_view rest;
    const auto value = leadingNumber<int32_t>(text, rest);
    if (!value || !rest.empty() || *value < std::numeric_limits<int16_t>::min() ||
        *value > std::numeric_limits<int16_t>::max()) {
        return std::nullopt;
    }
    return *value / 256.0 + kR128ToReplayGainDb;
}

std::optional<double> firstOf(std::optional<double> first, std::optional<double> second) {
    return first ? first : second;
}

ReplayGain gainOf(const Fields& fields, bool opus) {
    ReplayGain gain;
    gain.trackGainDb = gainDb(textOf(fields, kTrackGain));
    gain.trackPeak = peak(textOf(fields, kTrackPeak));
    gain.albumGainDb = gainDb(textOf(fields, kAlbumGain));
    gain.albumPeak = peak(textOf(fields, kAlbumPeak));
    if (opus) {
        gain.trackGainDb = firstOf(r128GainDb(textOf(fields, kR128TrackGain)), gain.trackGainDb);
        gain.albumGainDb = firstOf(r128GainDb(textOf(fields, kR128AlbumGain)), gain.albumGainDb);
    }
    return gain;
}

}  // namespace

ReplayGain readReplayGain(const std::string& path) {
    const TagLib::FileRef ref(path.c_str(), false);
    if (ref.isNull()) {
        return {};
    }
    TagLib::File& file = *ref.file();
    return gainOf(fieldsOf(file), dynamic_cast<TagLib::Ogg::Opus::File*>(&file) != nullptr);
}

}  // namespace tags
