#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "../cdinfo/CddbTestServer.h"
#include "CdImage.h"
#include "CliRun.h"
#include "cdinfo/DiscToc.h"
#include "support/TempSettings.h"

namespace {

using cdtest::HttpReply;
using cdtest::HttpRequest;

class CdCliTest : public ::testing::Test {
  protected:
    CdCliTest() : image_(dir_.path(), {{true, 100}, {true, 163}, {false, 80}}) {
        ::setenv("MELODUX_CD_IMAGES", image_.cuePath().c_str(), 1);
        id_ = cdinfo::discIdText(cdinfo::freedbDiscId({{150, 250, 413}, 493}));
    }
    ~CdCliTest() override { ::unsetenv("MELODUX_CD_IMAGES"); }

    HttpReply answer(const HttpRequest& r) const {
        const auto cmd = r.command();
        if (cmd.size() >= 2 && cmd[1] == "query") {
            return {200, "200 rock " + id_ + " Band / Album\r\n"};
        }
        if (cmd.size() == 4 && cmd[1] == "read") {
            return {200, "210 rock " + id_ + " entry follows\r\n# xmcd\r\nDISCID=" + id_ +
                             "\r\nDTITLE=バンド / アルバム\r\nTTITLE0=一曲目\r\nTTITLE1=Two\r\n"
                             "TTITLE2=Data\r\n.\r\n"};
        }
        if (cmd.size() == 1 && cmd[0] == "sites") {
            return {200,
                    "210 Sites follow\r\ncddb.example.org http 80 /~cddb/cddb.cgi N000.00 "
                    "W000.00 Somewhere\r\n.\r\n"};
        }
        return {200, "500 Unknown command\r\n"};
    }

    TempSettings settings_;
    testsupport::TempDir dir_;
    cdtest::CdImage image_;
    std::string id_;
};

TEST_F(CdCliTest, ListsDrivesAndTheTableOfContents) {
    EXPECT_EQ(cli("cd drives").out.substr(0, 3), "D: ");
    const CliRun toc = cli("cd toc --drive D:");
    EXPECT_EQ(toc.exitCode, 0);
    EXPECT_EQ(toc.out, "disc " + id_ + "\n1\taudio\t0\t100\t0:01\n2\taudio\t100\t163\t0:02\n" +
                           "3\tdata\t263\t80\t0:01\n");
    EXPECT_NE(cli("cd toc --drive E:").exitCode, 0);
}

TEST_F(CdCliTest, PlaysTracksAndRefusesDataTracks) {
    EXPECT_EQ(cli("cd play --device null 1").out, "Started\nFinished\nposition 1000\n");
    const CliRun data = cli("cd play --device null 3");
    EXPECT_NE(data.exitCode, 0);
    EXPECT_EQ(data.out, "error 0x83EA000A CD 読み込み中にエラーが発生しました。\n");
}

TEST_F(CdCliTest, LooksTheDiscUpOnceThenFindsItLocally) {
    cdtest::CddbTestServer server([this](const HttpRequest& r) { return answer(r); });
    EXPECT_NE(cli("cddb lookup --local-only").exitCode, 0);
    const CliRun first = cli("cddb lookup --server " + server.url());
    ASSERT_EQ(first.exitCode, 0) << first.out;
    EXPECT_EQ(first.out, "disc " + id_ + "\nartist\tバンド\ntitle\tアルバム\nsource\tcddb\n" +
                             "1\t一曲目\n2\tTwo\n3\tData\n");
    const CliRun second = cli("cddb lookup --local-only");
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_NE(second.out.find("source\tlocal\n"), std::string::npos);

    const CliRun sites = cli("cddb sites --server " + server.url());
    EXPECT_EQ(sites.out, "cddb.example.org\t80\t/~cddb/cddb.cgi\n");
}

TEST_F(CdCliTest, NetworkFailuresAreReported) {
    const CliRun run =
        cli("cddb lookup --server http://127.0.0.1:" + std::to_string(cdtest::closedPort()) +
            "/~cddb/cddb.cgi");
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.out.find("result 6"), std::string::npos);
    EXPECT_EQ(run.out.find("melodux-http.so"), std::string::npos) << "the module is there";

    // Without the HTTP module the message names it and says it is missing.
    cdtest::CddbTestServer server([this](const HttpRequest& r) { return answer(r); });
    const testsupport::TempDir empty;
    const CliRun missing = runCli("cddb lookup --server " + server.url(), "2>&1",
                                  "MELODUX_MODULE_DIR=" + quoted(empty.path()));
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_NE(missing.out.find("result 6"), std::string::npos) << missing.out;
    EXPECT_NE(missing.out.find((empty / "melodux-http.so").string() +
                               " を読み込めません（見つかりません）"),
              std::string::npos)
        << missing.out;
}

}  // namespace
