#include "cdinfo/CddbEntry.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <map>

#include "cdinfo/CddbReply.h"
#include "platform/AsciiText.h"
#include "platform/TextCodec.h"

namespace cdinfo {

namespace {

constexpr std::string_view kStateKey = "#MELODUX-STATE";
constexpr std::string_view kPathKey = "#MELODUX-PATH";
constexpr std::string_view kArtistSeparator = " / ";

// Blanks at the front; blanks and a stray CR at the back.
std::string_view trim(std::string_view s) {
    return platform::trimBack(platform::trimFront(s), " \t\r");
}

template <typename T>
std::optional<T> parseNumber(std::string_view s, int base = 10) {
    T value{};
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
    if (s.empty() || ec != std::errc{} || end != s.data() + s.size()) {
        return std::nullopt;
    }
    return value;
}

// A track index from a keyword suffix ("TTITLE12" -> 12), within range.
std::optional<size_t> trackIndex(std::string_view suffix) {
    const auto n = parseNumber<size_t>(suffix);
    return n && *n < kMaxCddbTracks ? n : std::nullopt;
}

std::string unescape(std::string_view raw) {
    std::string out;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 1 < raw.size()) {
            const char next = raw[i + 1];
            if (next == 'n' || next == 't' || next == '\\') {
                out += next == 'n' ? '\n' : next == 't' ? '\t' : '\\';
                ++i;
                continue;
            }
        }
        if (raw[i] != '\r') {  // line-end noise, never part of a value
            out += raw[i];
        }
    }
    return out;
}

std::string escape(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '\n' || c == '\t') {
            out += '\\';
            out += c == '\n' ? 'n' : c == '\t' ? 't' : '\\';
        } else if (c != '\r') {
            out += c;
        }
    }
    return out;
}

// Raw keyword values, joined over repeated lines, before unescaping.
struct RawEntry {
    std::map<std::string, std::string, std::less<>> disc;
    std::map<size_t, std::string> titles;
    std::map<size_t, std::string> extras;
    bool offsetsFollow = false;
    bool sawKeyword = false;
};

void readProgramLine(std::string_view line, CddbEntry& entry) {
    const bool isState = line.starts_with(kStateKey);
    const std::string_view rest = line.substr(isState ? kStateKey.size() : kPathKey.size());
    const size_t eq = rest.find('=');
    const auto index = trackIndex(rest.substr(0, eq));
    if (eq == std::string_view::npos || !index) {
        return;
    }
    if (entry.states.size() <= *index) {
        entry.states.resize(*index + 1);
    }
    const std::string_view value = rest.substr(eq + 1);
    if (isState) {
        entry.states[*index].state = parseNumber<int>(trim(value)).value_or(0);
    } else {
        entry.states[*index].path = unescape(value);
    }
}

void readComment(std::string_view line, RawEntry& raw, CddbEntry& entry) {
    if (line.starts_with(kStateKey) || line.starts_with(kPathKey)) {
        readProgramLine(line, entry);
        return;
    }
    const std::string_view body = trim(line.substr(1));
    if (raw.offsetsFollow) {
        if (const auto offset = parseNumber<uint32_t>(body)) {
            if (entry.offsets.size() < kMaxCddbTracks) {
                entry.offsets.push_back(*offset);
            }
            return;
        }
        raw.offsetsFollow = !entry.offsets.empty() ? false : body.empty();
    }
    const auto valueAfter = [&](std::string_view label) { return trim(body.substr(label.size())); };
    if (body.starts_with("Track frame offsets:")) {
        raw.offsetsFollow = true;
    } else if (body.starts_with("Disc length:")) {
        const std::string_view v = valueAfter("Disc length:");
        entry.discSeconds = parseNumber<uint32_t>(v.substr(0, v.find(' '))).value_or(0);
    } else if (body.starts_with("Revision:")) {
        entry.revision = parseNumber<int>(valueAfter("Revision:")).value_or(-1);
    } else if (body.starts_with("Submitted via:")) {
        entry.submittedVia = std::string(valueAfter("Submitted via:"));
    }
}

void readKeyword(std::string_view line, RawEntry& raw) {
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
        return;
    }
    const std::string_view key = line.substr(0, eq);
    const std::string_view value = line.substr(eq + 1);
    if (key.starts_with("TTITLE")) {
        if (const auto i = trackIndex(key.substr(6))) {
            raw.titles[*i] += value;
            raw.sawKeyword = true;
        }
    } else if (key.starts_with("EXTT")) {
        if (const auto i = trackIndex(key.substr(4))) {
            raw.extras[*i] += value;
        }
    } else if (key == "DISCID" || key == "DTITLE" || key == "DYEAR" || key == "DGENRE" ||
               key == "EXTD" || key == "PLAYORDER") {
        raw.disc[std::string(key)] += value;
        raw.sawKeyword = true;
    }
}

void readDiscIds(std::string_view text, CddbEntry& entry) {
    while (!text.empty()) {
        const size_t comma = text.find(',');
        if (const auto id = parseNumber<uint32_t>(trim(text.substr(0, comma)), 16)) {
            entry.discIds.push_back(*id);
        }
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
    }
}

// Splits "Artist / Title"; without the separator the text is the title.
void splitArtist(const std::string& text, std::string& artist, std::string& title) {
    const size_t at = text.find(kArtistSeparator);
    if (at == std::string::npos) {
        title = text;
        return;
    }
    artist = text.substr(0, at);
    title = text.substr(at + kArtistSeparator.size());
}

bool isVarious(std::string_view artist) {
    return platform::startsWithIgnoreCase(artist, "various");
}

std::string discValue(const RawEntry& raw, std::string_view key) {
    const auto it = raw.disc.find(key);
    return it == raw.disc.end() ? std::string{} : unescape(it->second);
}

void finishEntry(const RawEntry& raw, CddbEntry& entry) {
    readDiscIds(discValue(raw, "DISCID"), entry);
    splitArtist(discValue(raw, "DTITLE"), entry.artist, entry.title);
    entry.year = discValue(raw, "DYEAR");
    entry.genre = discValue(raw, "DGENRE");
    entry.extra = discValue(raw, "EXTD");
    entry.playOrder = discValue(raw, "PLAYORDER");
    size_t count = entry.offsets.size();
    for (const auto& titles : {raw.titles, raw.extras}) {
        count = std::max(count, titles.empty() ? 0 : titles.rbegin()->first + 1);
    }
    entry.tracks.resize(count);
    const bool various = isVarious(entry.artist);
    for (size_t i = 0; i < count; ++i) {
        CddbTrackText& track = entry.tracks[i];
        const auto title = raw.titles.find(i);
        track.title = title == raw.titles.end() ? std::string{} : unescape(title->second);
        track.artist = entry.artist;
        if (various) {
            splitArtist(std::string(track.title), track.artist, track.title);
        }
        const auto extra = raw.extras.find(i);
        track.extra = extra == raw.extras.end() ? std::string{} : unescape(extra->second);
    }
}

// Emits KEY=value over as many lines as the 256-byte limit needs, never
// splitting a character or an escape sequence.
void renderKeyword(std::string& out, std::string_view key, std::string_view text) {
    const std::string value = escape(text);
    const size_t room = kMaxCddbLineBytes - key.size() - 1;
    std::string_view rest = value;
    do {
        std::string_view chunk = platform::utf8Truncate(rest, room);
        if (chunk.size() < rest.size() && !chunk.empty()) {
            size_t slashes = 0;
            while (slashes < chunk.size() && chunk[chunk.size() - 1 - slashes] == '\\') {
                ++slashes;
            }
            if (slashes % 2 == 1) {
                chunk.remove_suffix(1);
            }
        }
        out.append(key).append("=").append(chunk).append("\n");
        rest.remove_prefix(chunk.size());
    } while (!rest.empty());
}

// "Artist / Title" when the artist must be kept, or when a reader would
// otherwise take part of the title for an artist.
std::string joinArtist(const std::string& artist, const std::string& title) {
    if (!artist.empty() || title.find(kArtistSeparator) != std::string::npos) {
        return artist + std::string(kArtistSeparator) + title;
    }
    return title;
}

std::string trackTitleText(const CddbEntry& entry, const CddbTrackText& track) {
    const bool ownArtist = !track.artist.empty() && track.artist != entry.artist;
    if (!ownArtist && !isVarious(entry.artist)) {
        return track.title;
    }
    return joinArtist(ownArtist ? track.artist : entry.artist, track.title);
}

void renderHeader(std::string& out, const CddbEntry& entry) {
    out += "# xmcd\n#\n# Track frame offsets:\n";
    for (uint32_t offset : entry.offsets) {
        out += "#\t" + std::to_string(offset) + "\n";
    }
    out += "#\n# Disc length: " + std::to_string(entry.discSeconds) + " seconds\n#\n";
    out += "# Revision: " + std::to_string(std::max(entry.revision, 0)) + "\n";
    out += "# Submitted via: " + entry.submittedVia + "\n#\n";
}

std::string discIdList(const CddbEntry& entry) {
    std::string text;
    for (uint32_t id : entry.discIds) {
        char hex[9];
        std::snprintf(hex, sizeof hex, "%08x", id);
        if (!text.empty()) {
            text += ',';
        }
        text += hex;
    }
    return text;
}

}  // namespace

size_t CddbEntry::trackCount() const {
    return std::max(offsets.size(), tracks.size());
}

std::optional<CddbEntry> parseCddbEntry(std::string_view utf8) {
    // Entries cached before replies were cleaned may still hold controls.
    const std::string clean = withoutControls(utf8);
    std::string_view rest = clean;
    CddbEntry entry;
    RawEntry raw;
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.starts_with("#")) {
            readComment(line, raw, entry);
        } else {
            raw.offsetsFollow = false;
            readKeyword(line, raw);
        }
    }
    if (!raw.sawKeyword) {
        return std::nullopt;
    }
    finishEntry(raw, entry);
    return entry;
}

std::string renderCddbEntry(const CddbEntry& entry, bool programState) {
    std::string out;
    renderHeader(out, entry);
    renderKeyword(out, "DISCID", discIdList(entry));
    renderKeyword(out, "DTITLE", joinArtist(entry.artist, entry.title));
    renderKeyword(out, "DYEAR", entry.year);
    renderKeyword(out, "DGENRE", entry.genre);
    for (size_t i = 0; i < entry.tracks.size(); ++i) {
        renderKeyword(out, "TTITLE" + std::to_string(i), trackTitleText(entry, entry.tracks[i]));
    }
    renderKeyword(out, "EXTD", entry.extra);
    for (size_t i = 0; i < entry.tracks.size(); ++i) {
        renderKeyword(out, "EXTT" + std::to_string(i), entry.tracks[i].extra);
    }
    renderKeyword(out, "PLAYORDER", entry.playOrder);
    for (size_t i = 0; programState && i < entry.states.size(); ++i) {
        out += std::string(kStateKey) + std::to_string(i) + "=" +
               std::to_string(entry.states[i].state) + "\n";
        out +=
            std::string(kPathKey) + std::to_string(i) + "=" + escape(entry.states[i].path) + "\n";
    }
    return out;
}

}  // namespace cdinfo
