#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cdinfo {

// A CDDB server reply: a status line "NNN text" and, for codes whose middle
// digit is 1, lines up to a terminating ".".
struct CddbReply {
    int code = 0;
    std::string text;                // the status line after the code
    std::vector<std::string> lines;  // the data lines, if any

    bool hasData() const { return code / 10 % 10 == 1; }
};

// Nothing when the reply does not start with a status line or its data
// lines lack the terminator (a cut-off reply). Control characters are
// dropped (see withoutControls).
std::optional<CddbReply> parseCddbReply(std::string_view text);

// The text without C0 control characters other than tab and the line ends,
// so that escape sequences from a server (retitling or clearing a terminal)
// reach neither the local database nor tags and file names.
std::string withoutControls(std::string_view text);

// One line of a query result: "category discid title".
struct CddbMatch {
    std::string category;
    uint32_t discId = 0;
    std::string title;
};

// The matches of a query reply: one for 200, the list for 210 and 211,
// none for anything else or for lines that do not parse.
std::vector<CddbMatch> queryMatches(const CddbReply& reply);

// The match to read: the first whose disc id is `discId`, else the first.
std::optional<CddbMatch> chooseMatch(const std::vector<CddbMatch>& matches, uint32_t discId);

// A server of a "sites" reply.
struct CddbSite {
    std::string host;
    int port = 0;
    std::string protocol;  // "http" or "cddbp"
    std::string path;      // "-" for cddbp
    std::string description;
};

std::vector<CddbSite> siteList(const CddbReply& reply);

}  // namespace cdinfo
