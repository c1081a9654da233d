#include "cdinfo/CddbReply.h"

#include <charconv>

#include "cdinfo/GenreMap.h"
#include "platform/AsciiText.h"

namespace cdinfo {

namespace {

// Splits off the next blank-separated word of `s`.
std::string_view nextWord(std::string_view& s) {
    const size_t start = s.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
        s = {};
        return {};
    }
    s.remove_prefix(start);
    const size_t end = s.find_first_of(" \t");
    const std::string_view word = s.substr(0, end);
    s = end == std::string_view::npos ? std::string_view{} : s.substr(end);
    return word;
}

std::string_view restOf(std::string_view s) {
    return platform::trimFront(s);
}

template <typename T>
std::optional<T> number(std::string_view s, int base = 10) {
    T value{};
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
    if (s.empty() || ec != std::errc{} || end != s.data() + s.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<CddbMatch> parseMatch(std::string_view line) {
    CddbMatch match;
    match.category = std::string(nextWord(line));
    const std::string_view id = nextWord(line);
    const auto discId = id.size() <= 8 ? number<uint32_t>(id, 16) : std::nullopt;
    if (!isCddbCategory(match.category) || !discId) {
        return std::nullopt;
    }
    match.discId = *discId;
    match.title = std::string(restOf(line));
    return match;
}

std::optional<CddbSite> parseSite(std::string_view line) {
    CddbSite site;
    site.host = std::string(nextWord(line));
    const std::string_view second = nextWord(line);
    std::optional<int> port = number<int>(second);
    if (port) {  // protocol levels 1 and 2: no protocol or path words
        site.protocol = "cddbp";
        site.path.assign(1, '-');  // not = "-": a false -Wrestrict of GCC 12 at -O3
    } else {
        site.protocol = std::string(second);
        port = number<int>(nextWord(line));
        site.path = std::string(nextWord(line));
    }
    if (!port) {
        return std::nullopt;
    }
    site.port = *port;
    nextWord(line);  // latitude
    nextWord(line);  // longitude
    site.description = std::string(restOf(line));
    if (site.host.empty() || site.port <= 0 || site.port > 65535 || site.path.empty()) {
        return std::nullopt;
    }
    return site;
}

}  // namespace

std::string withoutControls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r') {
            out += c;
        }
    }
    return out;
}

std::optional<CddbReply> parseCddbReply(std::string_view raw) {
    const std::string clean = withoutControls(raw);
    std::string_view text = clean;
    const size_t firstEnd = text.find('\n');
    std::string_view status = text.substr(0, firstEnd);
    if (!status.empty() && status.back() == '\r') {
        status.remove_suffix(1);
    }
    const auto code = status.size() >= 3 ? number<int>(status.substr(0, 3)) : std::nullopt;
    if (!code || *code < 100 || (status.size() > 3 && status[3] != ' ')) {
        return std::nullopt;
    }
    CddbReply reply;
    reply.code = *code;
    reply.text = std::string(restOf(status.substr(3)));
    if (!reply.hasData()) {
        return reply;
    }
    text = firstEnd == std::string_view::npos ? std::string_view{} : text.substr(firstEnd + 1);
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line == ".") {
            return reply;
        }
        reply.lines.emplace_back(line);
    }
    return std::nullopt;
}

std::vector<CddbMatch> queryMatches(const CddbReply& reply) {
    std::vector<CddbMatch> matches;
    if (reply.code == 200) {
        if (auto match = parseMatch(reply.text)) {
            matches.push_back(std::move(*match));
        }
    } else if (reply.code == 210 || reply.code == 211) {
        for (const std::string& line : reply.lines) {
            if (auto match = parseMatch(line)) {
                matches.push_back(std::move(*match));
            }
        }
    }
    return matches;
}

std::optional<CddbMatch> chooseMatch(const std::vector<CddbMatch>& matches, uint32_t discId) {
    for (const CddbMatch& match : matches) {
        if (match.discId == discId) {
            return match;
        }
    }
    if (matches.empty()) {
        return std::nullopt;
    }
    return matches.front();
}

std::vector<CddbSite> siteList(const CddbReply& reply) {
    std::vector<CddbSite> sites;
    if (reply.code != 210) {
        return sites;
    }
    for (const std::string& line : reply.lines) {
        if (auto site = parseSite(line)) {
            sites.push_back(std::move(*site));
        }
    }
    return sites;
}

}  // namespace cdinfo
