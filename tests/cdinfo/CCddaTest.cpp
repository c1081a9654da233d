#include "cdinfo/CCdda.h"

#include <gtest/gtest.h>

#include "CdImage.h"
#include "CddbTestServer.h"
#include "cdinfo/CddbClient.h"
#include "cdinfo/CddbEntry.h"
#include "cdinfo/DiscToc.h"

using namespace cdinfo;
using cdtest::CddbTestServer;
using cdtest::HttpReply;
using cdtest::HttpRequest;

namespace {

// A CDDB service with one disc, whose replies a test may replace.
struct FakeCddb {
    std::string queryReply;
    std::map<std::string, std::string> entries;  // "category discid" -> entry text
    std::string sitesReply = "401 No site information available.";
    std::string submitReply = "200 OK, submission has been sent.";
    HttpReply override;
    bool overridden = false;

    HttpReply answer(const HttpRequest& request) const {
        if (overridden) {
            return override;
        }
        if (request.method == "POST") {
            return {200, submitReply + "\r\n"};
        }
        const std::vector<std::string> cmd = request.command();
        if (cmd.size() >= 2 && cmd[1] == "query") {
            return {200, queryReply};
        }
        if (cmd.size() == 4 && cmd[1] == "read") {
            const auto it = entries.find(cmd[2] + " " + cmd[3]);
            return {200, it == entries.end()
                             ? "401 Entry not found.\r\n"
                             : "210 " + cmd[2] + " " + cmd[3] + " CD database entry follows\r\n" +
                                   it->second + ".\r\n"};
        }
        return {200, cmd.size() == 1 && cmd[0] == "sites" ? sitesReply : "500 Unknown command"};
    }
};

class CCddaTest : public ::testing::Test {
  protected:
    CCddaTest()
        : image_(dir_.path(), {{true, 100}, {true, 163}, {true, 80}}),
          server_([this](const HttpRequest& r) { return cddb_.answer(r); }) {
        config_.drives.devices = false;
        config_.drives.images = {image_.cuePath().string()};
        config_.localDb = dir_.path() / "cddb";
        config_.server = server_.url();
        config_.mailAddress = "me@example.com";
        config_.http.connectTimeoutMs = 5000;
        config_.http.timeoutMs = 5000;
        cdda_.Initialize(nullptr);
        cdda_.SetgenreTable({"Blues", "Classic Rock", "Rock", "Other", "J-Pop"});
        discId_ = freedbDiscId({{150, 250, 413}, 493});
        id_ = discIdText(discId_);
        cddb_.queryReply = "200 rock " + id_ + " Band / Album\r\n";
        cddb_.entries["rock " + id_] =
            "# xmcd\r\n# Track frame offsets:\r\n#\t150\r\n#\t250\r\n#\t413\r\n#\r\n"
            "# Disc length: 6 seconds\r\n# Revision: 3\r\nDISCID=" +
            id_ +
            "\r\nDTITLE=バンド / アルバム\r\nDYEAR=2001\r\nDGENRE=J-Pop\r\n"
            "TTITLE0=一曲目\r\nTTITLE1=Two\r\nTTITLE2=Three\r\nEXTD=\r\nPLAYORDER=\r\n";
    }

    uint32_t lookup(int mode) {
        request_.drive = "D:";
        request_.mode = mode;
        const uint32_t started = cdda_.GetAllDiscInfo(request_);
        if (started != kCddaOk) {
            return started;
        }
        request_.wait();
        EXPECT_EQ(request_.status(), 0);
        return request_.result();
    }

    size_t queries() const {
        size_t n = 0;
        for (const HttpRequest& r : server_.requests()) {
            n += r.command().size() > 1 && r.command()[1] == "query" ? 1 : 0;
        }
        return n;
    }

    void failWith(HttpReply reply) {
        cddb_.override = std::move(reply);
        cddb_.overridden = true;
    }

    cdtest::TempDir dir_;
    cdtest::CdImage image_;
    FakeCddb cddb_;
    CddbTestServer server_;
    CddaConfig config_;
    CDDB_REQDATA request_;
    CCdda cdda_{[this] { return config_; }};
    uint32_t discId_ = 0;
    std::string id_;
};

}  // namespace

TEST_F(CCddaTest, ReportsDrivesMediaAndWhatImagesCannotDo) {
    std::vector<std::string> drives;
    EXPECT_EQ(cdda_.GetDriveList(drives), kCddaOk);
    EXPECT_EQ(drives, std::vector<std::string>{"D: " + image_.cuePath().string()});

    int present = 0;
    std::string identity;
    EXPECT_EQ(cdda_.GetMediaPresent("D:", present, &identity), kCddaOk);
    EXPECT_EQ(present, 1);
    EXPECT_NE(identity.find(id_), std::string::npos);
    EXPECT_EQ(cdda_.GetMediaPresent("E:", present, nullptr), kCddaNoDisc);
    EXPECT_EQ(present, 0);

    // Another disc in the drive: another identity.
    cdtest::CdImage other(dir_.path(), {{true, 100}, {true, 170}}, "other");
    config_.drives.images = {other.cuePath().string()};
    std::string otherIdentity;
    cdda_.GetMediaPresent("D:", present, &otherIdentity);
    EXPECT_NE(otherIdentity, identity);

    // An empty drive, and a disc with data only.
    config_.drives.images = {(dir_.path() / "missing.cue").string()};
    EXPECT_EQ(cdda_.GetMediaPresent("D:", present, &identity), kCddaOk);
    EXPECT_EQ(present, 0);
    EXPECT_EQ(identity, "");
    cdtest::CdImage data(dir_.path(), {{false, 100}}, "data");
    config_.drives.images = {data.cuePath().string()};
    cdda_.GetMediaPresent("D:", present, nullptr);
    EXPECT_EQ(present, 0);

    EXPECT_EQ(cdda_.DoEject("D:"), kCddaNotSupported);
    EXPECT_EQ(cdda_.DoEject("Q:"), kCddaNoDisc);
    EXPECT_EQ(cdda_.IsCdrExist(), 0u);
}

TEST_F(CCddaTest, LooksUpOverTheNetworkThenFromTheLocalDatabase) {
    CDiscID disc;
    EXPECT_EQ(cdda_.GetLocalDiscInfo("D:", disc), kCddaNotFound);
    EXPECT_EQ(disc.GetTrackCount(), 3);  // the layout is known all the same

    EXPECT_EQ(lookup(CDDB_REQDATA::kLocalFirst), kCddaOk);
    const CDiscID& found = request_.disc;
    EXPECT_EQ(found.discId, discId_);
    EXPECT_EQ(found.artist, "バンド");
    EXPECT_EQ(found.title, "アルバム");
    EXPECT_EQ(found.year, "2001");
    EXPECT_EQ(found.genre, 4);  // J-Pop
    EXPECT_EQ(found.category, "rock");
    EXPECT_EQ(found.revision, 3);
    ASSERT_EQ(found.GetTrackCount(), 3);
    EXPECT_EQ(found.tracks[0].title, "一曲目");
    EXPECT_EQ(found.tracks[0].artist, "バンド");
    EXPECT_EQ(found.tracks[1].frames, 163u);
    EXPECT_EQ(found.tracks[2].offset, 413u);
    EXPECT_EQ(request_.stage(), CDDB_REQDATA::Stage::Done);

    const HttpRequest query = server_.requests().front();
    EXPECT_EQ(query.command(),
              (std::vector<std::string>{"cddb", "query", id_, "3", "150", "250", "413", "6"}));
    EXPECT_EQ(query.parameter("hello"),
              "me example.com MP3Melodux " + std::string(cddbClientVersion()));
    EXPECT_EQ(query.parameter("proto"), "6");

    // Known now: no second exchange, in either call.
    EXPECT_EQ(cdda_.GetLocalDiscInfo("D:", disc), kCddaOk);
    EXPECT_EQ(disc.tracks[0].title, "一曲目");
    EXPECT_EQ(lookup(CDDB_REQDATA::kLocalFirst), kCddaOk);
    EXPECT_EQ(queries(), 1u);
    EXPECT_EQ(lookup(CDDB_REQDATA::kNetworkOnly), kCddaOk);
    EXPECT_EQ(queries(), 2u);
}

TEST_F(CCddaTest, KeepsTrackStatesInTheLocalDatabase) {
    CDiscID disc;
    cdda_.GetLocalDiscInfo("D:", disc);
    disc.tracks[1].state = 2;
    disc.tracks[1].outputPath = "/music/x/02.mp3";
    ASSERT_EQ(cdda_.WriteLocalDB(disc), kCddaOk);

    // Stored without titles: a lookup is still due, the states are kept.
    CDiscID local;
    EXPECT_EQ(cdda_.GetLocalDiscInfo("D:", local), kCddaNotFound);
    EXPECT_EQ(lookup(CDDB_REQDATA::kLocalFirst), kCddaOk);
    CDiscID stored = request_.disc;
    ASSERT_EQ(cdda_.ReadLocalDB(stored), kCddaOk);
    EXPECT_EQ(stored.title, "アルバム");
    EXPECT_EQ(stored.tracks[1].state, 2);
    EXPECT_EQ(stored.tracks[1].outputPath, "/music/x/02.mp3");

    CDiscID unknown;
    unknown.discId = 0x01020304;
    unknown.tracks.resize(1);
    EXPECT_EQ(cdda_.ReadLocalDB(unknown), kCddaNotFound);
    EXPECT_EQ(cdda_.WriteLocalDB(CDiscID{}), kCddaInvalid);
}

TEST_F(CCddaTest, ChoosesAmongInexactMatchesByDiscId) {
    cddb_.queryReply =
        "211 Found inexact matches\r\nmisc 0badbeef Someone Else\r\njazz " + id_ + " Ours\r\n.\r\n";
    cddb_.entries["jazz " + id_] = "DTITLE=Jazz Band / Blue\r\nTTITLE0=a\r\n";
    EXPECT_EQ(lookup(CDDB_REQDATA::kNetworkOnly), kCddaOk);
    EXPECT_EQ(request_.disc.title, "Blue");
    EXPECT_EQ(request_.disc.category, "jazz");
    EXPECT_EQ(request_.disc.tracks[1].title, "");  // the entry named only one track
}

TEST_F(CCddaTest, ReportsNoMatchWithTheLayoutKept) {
    cddb_.queryReply = "202 No match for disc ID " + id_ + ".\r\n";
    EXPECT_EQ(lookup(CDDB_REQDATA::kLocalFirst), kCddaNotFound);
    EXPECT_EQ(request_.disc.GetTrackCount(), 3);
    EXPECT_FALSE(std::filesystem::exists(dir_.path() / "cddb"));

    cddb_.queryReply = "200 rock " + id_ + " Gone\r\n";
    cddb_.entries.clear();
    EXPECT_EQ(lookup(CDDB_REQDATA::kLocalFirst), kCddaNotFound);  // read: 401
    EXPECT_EQ(lookup(CDDB_REQDATA::kLocalOnly), kCddaNotFound);
}

TEST_F(CCddaTest, TellsServerFailuresFromNetworkFailures) {
    const std::string huge = "210 rock list\r\n" + std::string(3 << 20, 'x') + "\r\n.\r\n";
    const std::vector<std::pair<HttpReply, uint32_t>> cases{
        {{200, "530 Server error, please try later\r\n"}, kCddaServerError},
        {{200, "409 No handshake\r\n"}, kCddaServerError},
        {{200, "<html><body>maintenance</body></html>"}, kCddaServerError},
        {{200, "211 inexact matches\r\nrock " + std::string("12") + " cut off"}, kCddaServerError},
        {{200, "200 ../.. " + std::string("1234abcd") + " bad category\r\n"}, kCddaServerError},
        {{200, huge}, kCddaServerError},
        {{500, "Internal Server Error"}, kCddaNetworkError},
        {{404, "Not Found"}, kCddaNetworkError},
    };
    for (const auto& [reply, expected] : cases) {
        failWith(reply);
        EXPECT_EQ(lookup(CDDB_REQDATA::kNetworkOnly), expected) << reply.body.substr(0, 40);
        EXPECT_EQ(request_.disc.GetTrackCount(), 3);
    }
    EXPECT_FALSE(std::filesystem::exists(dir_.path() / "cddb"));
}

TEST_F(CCddaTest, GivesUpOnAServerThatNeverAnswersOrIsNotThere) {
    config_.http.timeoutMs = 300;
    failWith({200, "", true});
    EXPECT_EQ(lookup(CDDB_REQDATA::kNetworkOnly), kCddaNetworkError);

    config_.server = "http://127.0.0.1:" + std::to_string(cdtest::closedPort()) + "/~cddb/cddb.cgi";
    EXPECT_EQ(lookup(CDDB_REQDATA::kNetworkOnly), kCddaNetworkError);
    CServeList list;
    EXPECT_EQ(cdda_.GetServerList(list), kCddaNetworkError);
}

TEST_F(CCddaTest, RunsOneRequestAtATimeAndAbandonsItWhenClosed) {
    config_.http.timeoutMs = 60000;
    failWith({200, "", true});
    CDDB_REQDATA second;
    {
        CCdda cdda([this] { return config_; });
        request_.drive = "D:";
        ASSERT_EQ(cdda.GetAllDiscInfo(request_), kCddaOk);
        EXPECT_TRUE(cdda.IsBusy());
        EXPECT_EQ(cdda.GetAllDiscInfo(second), kCddaBusy);
        EXPECT_EQ(second.status(), 0);
        while (request_.stage() != CDDB_REQDATA::Stage::Querying || server_.requests().empty()) {
            std::this_thread::yield();
        }
    }  // closing abandons the exchange rather than waiting out the time-out
    EXPECT_EQ(request_.status(), 0);
    EXPECT_EQ(request_.result(), kCddaNetworkError);
}

TEST_F(CCddaTest, ListsServersWithTheirHttpAddresses) {
    cddb_.sitesReply =
        "210 OK, site information follows (until terminating `.')\r\n"
        "cddb.example.org http 80 /~cddb/cddb.cgi N000.00 W000.00 Example\r\n"
        "cddb.example.org cddbp 8880 - N000.00 W000.00 Example\r\n.\r\n";
    CServeList list;
    ASSERT_EQ(cdda_.GetServerList(list), kCddaOk);
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.servers[0].host, "cddb.example.org");
    EXPECT_EQ(list.servers[0].port, 80);
    EXPECT_EQ(list.servers[0].path, "/~cddb/cddb.cgi");
    EXPECT_TRUE(list.servers[0].enabled);
    EXPECT_FALSE(list.servers[1].enabled);
}

TEST_F(CCddaTest, SubmitsInTheFreedbFormat) {
    ASSERT_EQ(lookup(CDDB_REQDATA::kLocalFirst), kCddaOk);
    request_.disc.tracks[2].title = "Three (live)";
    request_.disc.tracks[2].state = 2;
    ASSERT_EQ(cdda_.SendPost(request_), kCddaOk);
    request_.wait();
    EXPECT_EQ(request_.result(), kCddaOk);
    EXPECT_EQ(request_.disc.revision, 4);

    const HttpRequest post = server_.requests().back();
    EXPECT_EQ(post.method, "POST");
    EXPECT_EQ(post.target, "/~cddb/submit.cgi");
    EXPECT_EQ(post.headers.at("Category"), "rock");
    EXPECT_EQ(post.headers.at("Discid"), id_);
    EXPECT_EQ(post.headers.at("User-Email"), "me@example.com");
    EXPECT_EQ(post.headers.at("Submit-Mode"), "submit");
    EXPECT_EQ(post.headers.at("Charset"), "UTF-8");
    const auto sent = parseCddbEntry(post.body);
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->offsets, (std::vector<uint32_t>{150, 250, 413}));
    EXPECT_EQ(sent->discSeconds, 6u);
    EXPECT_EQ(sent->revision, 4);
    EXPECT_EQ(sent->discIds, std::vector<uint32_t>{discId_});
    EXPECT_EQ(sent->title, "アルバム");
    EXPECT_EQ(sent->tracks[2].title, "Three (live)");
    EXPECT_EQ(sent->genre, "J-Pop");
    EXPECT_NE(sent->submittedVia.find("MP3Melodux"), std::string::npos);
    EXPECT_TRUE(sent->states.empty());
    EXPECT_EQ(post.body.find("MELODUX-"), std::string::npos);

    // The server refusing it is not a network failure.
    cddb_.submitReply = "501 Entry rejected: bad revision";
    ASSERT_EQ(cdda_.SendPost(request_), kCddaOk);
    request_.wait();
    EXPECT_EQ(request_.result(), kCddaServerError);
}

TEST_F(CCddaTest, RefusesSubmissionsLocally) {
    ASSERT_EQ(lookup(CDDB_REQDATA::kLocalFirst), kCddaOk);
    const size_t before = server_.requests().size();
    for (const char* mail : {"", "nobody", "@example.com", "me@", "me @example.com",
                             "me@example.com\r\nX-Injected: 1"}) {
        config_.mailAddress = mail;
        EXPECT_EQ(cdda_.SendPost(request_), kCddaInvalid) << mail;
    }
    config_.mailAddress = "me@example.com";
    request_.disc.title = "  ";
    EXPECT_EQ(cdda_.SendPost(request_), kCddaInvalid);
    request_.disc.Remove();
    EXPECT_EQ(cdda_.SendPost(request_), kCddaInvalid);
    EXPECT_EQ(server_.requests().size(), before);
}

TEST(CddbServerText, AcceptsHostsServerListEntriesAndUrls) {
    EXPECT_EQ(cddbServerUrl(""), "http://gnudb.gnudb.org/~cddb/cddb.cgi");
    EXPECT_EQ(cddbServerUrl("gnudb.gnudb.org Default CDDB Server"),
              "http://gnudb.gnudb.org/~cddb/cddb.cgi");
    EXPECT_EQ(cddbServerUrl("cddb.example.org 8080 HTTP /cgi/cddb.cgi"),
              "http://cddb.example.org:8080/cgi/cddb.cgi");
    EXPECT_EQ(cddbServerUrl("http://127.0.0.1:9/~cddb/cddb.cgi"),
              "http://127.0.0.1:9/~cddb/cddb.cgi");
    CddbClientOptions options;
    options.serverUrl = "http://h:1/~cddb/cddb.cgi";
    EXPECT_EQ(CddbClient(options).submitUrl(), "http://h:1/~cddb/submit.cgi");
}
