#include <gtest/gtest.h>

#include <algorithm>

#include "cdinfo/CddbEntry.h"
#include "cdinfo/CddbReply.h"
#include "cdinfo/DiscToc.h"
#include "cdinfo/GenreMap.h"

using namespace cdinfo;
using namespace std::string_view_literals;

namespace {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        out.push_back(text.substr(start, end - start));
    }
    return out;
}

}  // namespace

TEST(FreedbDiscId, FollowsTheFreedbSums) {
    // Starts at 2 s, 200 s, 400 s: digit sums 2 + 2 + 4; 598 s of music.
    EXPECT_EQ(freedbDiscId({{150, 15000, 30000}, 45000}), 0x08025603u);
    EXPECT_EQ(freedbDiscId({{150}, 4650}), 0x02003c01u);
    EXPECT_EQ(discIdText(0x08025603u), "08025603");
    EXPECT_EQ(freedbDiscId({}), 0u);

    const DiscToc toc{{150, 15000, 30000}, 45000};
    EXPECT_EQ(toc.trackFrames(0), 14850u);
    EXPECT_EQ(toc.trackFrames(2), 15000u);
    EXPECT_EQ(toc.discSeconds(), 600u);
    EXPECT_TRUE(toc.valid());
    EXPECT_FALSE((DiscToc{{150, 100}, 200}).valid());
}

TEST(CddbEntry, ReadsAFreedbEntryLeniently) {
    const auto entry = parseCddbEntry(
        "# xmcd\r\n#\r\n# Track frame offsets:\r\n#\t150\r\n#       15000\r\n#\r\n"
        "# Disc length: 600 seconds\r\n# Revision: 4\r\n# Submitted via: tool 1.0\r\n"
        "DISCID=08025602,0a0b0c0d\r\nDTITLE=The Band / Long \r\nDTITLE=Album\r\nDYEAR=1999\r\n"
        "DGENRE=Rock\r\nTTITLE0=First\\nLine\\\\two\\tend\r\nTTITLE1=Second\r\n"
        "TTITLE1000=ignored\r\nTTITLEx=ignored\r\nEXTD=notes\r\nEXTT1=about two\r\n"
        "NOSUCHKEY=skipped\r\ngarbage line\r\nPLAYORDER=\r\n");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->offsets, (std::vector<uint32_t>{150, 15000}));
    EXPECT_EQ(entry->discSeconds, 600u);
    EXPECT_EQ(entry->revision, 4);
    EXPECT_EQ(entry->submittedVia, "tool 1.0");
    EXPECT_EQ(entry->discIds, (std::vector<uint32_t>{0x08025602, 0x0a0b0c0d}));
    EXPECT_EQ(entry->artist, "The Band");
    EXPECT_EQ(entry->title, "Long Album");  // continued over two lines
    EXPECT_EQ(entry->year, "1999");
    EXPECT_EQ(entry->genre, "Rock");
    ASSERT_EQ(entry->tracks.size(), 2u);
    EXPECT_EQ(entry->tracks[0].title, "First\nLine\\two\tend");
    EXPECT_EQ(entry->tracks[0].artist, "The Band");
    EXPECT_EQ(entry->tracks[1].extra, "about two");
    EXPECT_EQ(entry->extra, "notes");

    EXPECT_FALSE(parseCddbEntry("# only a comment\nnothing=here\n"));
    EXPECT_FALSE(parseCddbEntry(""));
}

TEST(CddbEntry, SplitsTrackArtistsOfVariousArtistsDiscs) {
    const auto entry = parseCddbEntry(
        "DTITLE=Various / Hits\nTTITLE0=Singer A / Song\n"
        "TTITLE1=No Separator\n");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->tracks[0].artist, "Singer A");
    EXPECT_EQ(entry->tracks[0].title, "Song");
    EXPECT_EQ(entry->tracks[1].artist, "Various");
    EXPECT_EQ(entry->tracks[1].title, "No Separator");

    // Elsewhere " / " belongs to the title.
    const auto plain = parseCddbEntry("DTITLE=Band / Album\nTTITLE0=This / That\n");
    EXPECT_EQ(plain->tracks[0].title, "This / That");
}

TEST(CddbEntry, WritesTheExactFormatAndReadsItBack) {
    CddbEntry entry;
    entry.offsets = {150, 20000};
    entry.discSeconds = 700;
    entry.revision = 2;
    entry.submittedVia = "MP3Melodux 0.1.0";
    entry.discIds = {0x0c02b902};
    entry.artist = "アーティスト";
    entry.title = "アルバム";
    entry.genre = "J-Pop";
    entry.tracks = {{"一曲目\nです", "アーティスト", ""}, {"Guest Song", "Guest", "x"}};
    entry.states = {{2, "/music/a b.mp3"}, {0, ""}};
    const std::string text = renderCddbEntry(entry, true);
    const auto back = parseCddbEntry(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->offsets, entry.offsets);
    EXPECT_EQ(back->discSeconds, 700u);
    EXPECT_EQ(back->revision, 2);
    EXPECT_EQ(back->discIds, entry.discIds);
    EXPECT_EQ(back->title, "アルバム");
    EXPECT_EQ(back->tracks[0].title, "一曲目\nです");
    EXPECT_EQ(back->tracks[1].title, "Guest / Guest Song");  // not a Various disc
    EXPECT_EQ(back->states[0].state, 2);
    EXPECT_EQ(back->states[0].path, "/music/a b.mp3");

    const std::vector<std::string> all = lines(text);
    EXPECT_EQ(all[0], "# xmcd");
    for (const char* keyword : {"DISCID=0c02b902", "DTITLE=アーティスト / アルバム",
                                "DYEAR=", "DGENRE=J-Pop", "EXTD=", "EXTT0=", "PLAYORDER="}) {
        EXPECT_NE(std::find(all.begin(), all.end(), keyword), all.end()) << keyword;
    }
    // Without program state nothing of ours goes out.
    EXPECT_EQ(renderCddbEntry(entry, false).find("MELODUX"), std::string::npos);
}

TEST(CddbEntry, SplitsLongValuesWithinTheLineLimit) {
    CddbEntry entry;
    entry.title = std::string(100, 'a') + "\\" + std::string(300, 'b');
    for (int i = 0; i < 200; ++i) {
        entry.tracks.push_back({"", "", ""});
    }
    entry.tracks[0].title = "";
    for (int i = 0; i < 150; ++i) {
        entry.tracks[0].title += "日本";
    }
    const std::string text = renderCddbEntry(entry, false);
    for (const std::string& line : lines(text)) {
        EXPECT_LE(line.size(), kMaxCddbLineBytes);
    }
    const auto back = parseCddbEntry(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->title, entry.title);
    EXPECT_EQ(back->tracks[0].title, entry.tracks[0].title);
    EXPECT_EQ(back->tracks.size(), kMaxCddbTracks);  // more than a disc can hold are dropped
}

TEST(CddbReply, ReadsStatusAndDataReplies) {
    const auto single = parseCddbReply("200 rock 08025603 Band / Album\r\n");
    ASSERT_TRUE(single);
    EXPECT_EQ(single->code, 200);
    EXPECT_FALSE(single->hasData());
    const auto matches = queryMatches(*single);
    ASSERT_EQ(matches.size(), 1u);
    EXPECT_EQ(matches[0].category, "rock");
    EXPECT_EQ(matches[0].discId, 0x08025603u);
    EXPECT_EQ(matches[0].title, "Band / Album");

    const auto list = parseCddbReply(
        "211 close matches\r\nmisc 01020304 Other\r\n../etc 08025603 Bad category\r\n"
        "jazz 08025603 Ours\r\nrock zz Broken id\r\n.\r\n");
    ASSERT_TRUE(list);
    const auto listed = queryMatches(*list);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(chooseMatch(listed, 0x08025603u)->title, "Ours");
    EXPECT_EQ(chooseMatch(listed, 0x99999999u)->title, "Other");
    EXPECT_FALSE(chooseMatch({}, 1));

    EXPECT_FALSE(parseCddbReply("210 list follows\r\nrock 01 x\r\n"));  // cut off
    EXPECT_FALSE(parseCddbReply("<html>busy</html>"));
    EXPECT_FALSE(parseCddbReply("20"));
    EXPECT_FALSE(parseCddbReply("2000 x"));
    EXPECT_EQ(parseCddbReply("530 Server error")->code, 530);
}

TEST(CddbReply, ReadsSiteLists) {
    const auto reply = parseCddbReply(
        "210 OK, site information follows\n"
        "cddb.example.org http 80 /~cddb/cddb.cgi N000.00 W000.00 Main server\n"
        "cddb.example.org cddbp 8880 - N000.00 W000.00 Main server\n"
        "old.example.org 888 N000.00 W000.00 Level one\n"
        "broken http notaport /x\n.\n");
    ASSERT_TRUE(reply);
    const auto sites = siteList(*reply);
    ASSERT_EQ(sites.size(), 3u);
    EXPECT_EQ(sites[0].protocol, "http");
    EXPECT_EQ(sites[0].port, 80);
    EXPECT_EQ(sites[0].path, "/~cddb/cddb.cgi");
    EXPECT_EQ(sites[0].description, "Main server");
    EXPECT_EQ(sites[1].protocol, "cddbp");
    EXPECT_EQ(sites[2].port, 888);
}

// Escape sequences (terminal title, clear screen) never reach the cache,
// tags or file names; tabs and the format's own escapes stay.
TEST(CddbReply, DropsControlCharactersFromRepliesAndEntries) {
    const auto reply = parseCddbReply("200 rock 0a0b0c0d Band\x1B]0;owned\x07 / Album\r\n");
    ASSERT_TRUE(reply);
    EXPECT_EQ(queryMatches(*reply).at(0).title, "Band]0;owned / Album");

    const auto read = parseCddbReply(
        "210 rock 0a0b0c0d\r\nDTITLE=A\x1B[2J / B\x08\r\nTTITLE0=x\ty\x00z\\n\r\n.\r\n"sv);
    ASSERT_TRUE(read);
    ASSERT_EQ(read->lines.size(), 2u);
    EXPECT_EQ(read->lines[0], "DTITLE=A[2J / B");
    EXPECT_EQ(read->lines[1], "TTITLE0=x\tyz\\n");

    // An entry cached before replies were cleaned.
    const auto entry = parseCddbEntry("DTITLE=Band\x1B]0;x\x07 / Al\x1B[Hbum\nTTITLE0=One\x0C\n");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->artist, "Band]0;x");
    EXPECT_EQ(entry->title, "Al[Hbum");
    EXPECT_EQ(entry->tracks.at(0).title, "One");
}

TEST(GenreMap, MapsCategoriesAndGenreTextsBothWays) {
    GenreMap genres;
    genres.setNames({"Blues", "Classic Rock", "Country", "Other", "Rock", "New Age", "J-Pop"});
    EXPECT_EQ(genres.genreFor("j-pop", "misc"), 6);  // DGENRE first
    EXPECT_EQ(genres.genreFor("Unheard Of", "rock"), 4);
    EXPECT_EQ(genres.genreFor("", "newage"), 5);
    EXPECT_EQ(genres.genreFor("", "misc"), 3);
    EXPECT_EQ(genres.genreFor("", "soundtrack"), GenreMap::kNoGenre);  // not in this table
    EXPECT_EQ(genres.categoryFor(5), "newage");
    EXPECT_EQ(genres.categoryFor(0), "blues");
    EXPECT_EQ(genres.categoryFor(6), "misc");
    EXPECT_EQ(genres.categoryFor(GenreMap::kNoGenre), "misc");
    EXPECT_EQ(genres.nameOf(1), "Classic Rock");
    EXPECT_EQ(genres.nameOf(100), "");
    EXPECT_TRUE(isCddbCategory("rock"));
    EXPECT_FALSE(isCddbCategory("../x"));
    EXPECT_FALSE(isCddbCategory("Rock"));
    EXPECT_FALSE(isCddbCategory(""));
}
