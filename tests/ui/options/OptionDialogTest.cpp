#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <fstream>
#include <sstream>

#include "CdImage.h"
#include "CddbTestServer.h"
#include "app/Engine.h"
#include "app/PlayerSettings.h"
#include "app/SettingsStore.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"
#include "ui/options/AssociationPage.h"
#include "ui/options/COptionDialog.h"
#include "ui/options/COptionSheet.h"
#include "ui/options/CddbPage.h"
#include "ui/options/CddbServerList.h"
#include "ui/options/DrivePage.h"
#include "ui/options/OptionTexts.h"
#include "ui/options/OutputPage.h"
#include "ui/options/PlaybackPage.h"
#include "ui/options/RecordingPage.h"

namespace ui::options {
namespace {

namespace s = app::settings;
using Sheet = COptionSheet;

constexpr const char* kForeignList = "[Default Applications]\naudio/mpeg=other-player.desktop;\n";
constexpr const char* kSites =
    "210 OK, site information follows (until terminating `.')\r\n"
    "cddb.example.org http 80 /~cddb/cddb.cgi N000.00 W000.00 Example\r\n"
    "cddb.example.org cddbp 8880 - N000.00 W000.00 Example\r\n.\r\n";

std::string contentsOf(const std::filesystem::path& path) {
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The dialog over private settings, a temporary mimeapps.list, one CD
// image as the only drive and a CDDB server on 127.0.0.1.
class OptionDialogTest : public ::testing::Test {
  protected:
    OptionDialogTest()
        : image_(dir_.path(), {{true, 100}, {true, 120}}),
          server_([](const cdtest::HttpRequest& r) {
              const auto cmd = r.command();
              return cdtest::HttpReply{
                  200, cmd.size() == 1 && cmd[0] == "sites" ? kSites : "500 Unknown command\r\n"};
          }),
          list_(dir_ / "mimeapps.list"),
          dialog_(sources()) {
        std::ofstream(list_) << kForeignList;
    }

    OptionSources sources() {
        return {settings_,
                engine_,
                app::MimeAssociations(list_, "org.melodux.Melodux.desktop"),
                [this] { return cdConfig(); },
                {[this](NxRef<CNxSSWriterSettings> f) { handedFormat_ = f; },
                 [this] { ++discChanges_; }},
                [this](QWidget*, const std::string& text) { warnings_.push_back(text); }};
    }

    cdinfo::CddaConfig cdConfig() const {
        cdinfo::CddaConfig config;
        config.drives.devices = false;
        config.drives.images = {image_.cuePath().string()};
        config.localDb = dir_ / "cddb";
        config.server = server_.url();
        config.http.connectTimeoutMs = 2000;
        config.http.timeoutMs = 5000;
        return config;
    }

    // Accepts and tells whether the sheet closed.
    static bool confirm(Sheet& sheet) {
        sheet.accept();
        return sheet.result() == QDialog::Accepted;
    }

    TempSettings temp_;
    testsupport::TempDir dir_;
    cdtest::CdImage image_;
    cdtest::CddbTestServer server_;
    std::filesystem::path list_;
    app::SettingsStore store_;
    app::PlayerSettings settings_{store_};
    app::Engine engine_;
    NxRef<CNxSSWriterSettings> handedFormat_;
    int discChanges_ = 0;
    std::vector<std::string> warnings_;
    COptionDialog dialog_;
};

TEST_F(OptionDialogTest, GapLengthFollowsBlankTimeAndIsStoredOnlyFromAShownPage) {
    store_.write(s::kInsertBlank, 1);
    store_.write(s::kBlankTime, 60);  // off the list
    {
        auto sheet = dialog_.MakeSheet(Sheet::kOutput);
        ASSERT_TRUE(confirm(*sheet));
        EXPECT_EQ(store_.read(s::kBlankTime), 60) << "a page never shown hands its value back";
    }
    auto sheet = dialog_.MakeSheet(Sheet::kPlayback);
    EXPECT_EQ(sheet->playbackPage()->length()->currentText(), qs("3.0 sec"));
    EXPECT_TRUE(sheet->playbackPage()->length()->isEnabled());
    ASSERT_TRUE(confirm(*sheet));
    EXPECT_EQ(store_.read(s::kBlankTime), 30);

    store_.write(s::kBlankTime, 12);
    store_.write(s::kInsertBlank, 0);
    sheet = dialog_.MakeSheet(Sheet::kPlayback);
    EXPECT_EQ(sheet->playbackPage()->length()->currentText(), qs("1.0 sec"));
    EXPECT_FALSE(sheet->playbackPage()->length()->isEnabled());
    sheet->playbackPage()->insertBlank()->setChecked(true);
    EXPECT_TRUE(sheet->playbackPage()->length()->isEnabled());
    sheet->playbackPage()->length()->setCurrentIndex(8);
    ASSERT_TRUE(confirm(*sheet));
    EXPECT_EQ(store_.read(s::kInsertBlank), 1);
    EXPECT_EQ(store_.read(s::kBlankTime), 50);
}

TEST_F(OptionDialogTest, ReplayGainModeAndPreampAreStoredOnlyOnOk) {
    store_.write(s::kReplayGain, 7);          // off the list
    store_.write(s::kReplayGainPreamp, 400);  // beyond 15 dB
    auto sheet = dialog_.MakeSheet(Sheet::kPlayback);
    PlaybackPage* page = sheet->playbackPage();
    EXPECT_EQ(page->replayGain()->currentText(), qs("オフ"));
    EXPECT_EQ(page->preamp()->value(), 0.0);
    EXPECT_FALSE(page->preamp()->isEnabled()) << "no pre-amp while the level is off";
    page->replayGain()->setCurrentIndex(2);
    EXPECT_EQ(page->replayGain()->currentText(), qs("アルバム"));
    EXPECT_TRUE(page->preamp()->isEnabled());
    page->preamp()->setValue(-6.54);
    sheet->reject();
    EXPECT_EQ(store_.read(s::kReplayGain), 7);

    sheet = dialog_.MakeSheet(Sheet::kPlayback);
    sheet->playbackPage()->replayGain()->setCurrentIndex(2);
    sheet->playbackPage()->preamp()->setValue(-6.54);
    ASSERT_TRUE(confirm(*sheet));
    EXPECT_EQ(store_.read(s::kReplayGain), 2);
    EXPECT_EQ(store_.read(s::kReplayGainPreamp), -65) << "one decimal";
    EXPECT_EQ(dialog_.MakeSheet(Sheet::kPlayback)->playbackPage()->preamp()->value(), -6.5);
}

TEST_F(OptionDialogTest, NamingWithoutTitleOrTrackAndAnEmptyFolderAreRefused) {
    auto sheet = dialog_.MakeSheet(Sheet::kOutput);
    OutputPage& page = *sheet->outputPage();
    for (int part : {0, 1, 2, 3}) {
        page.namingList(part)->setCurrentIndex(part < 2 ? part : 4);  // Artist Album なし なし
    }
    EXPECT_FALSE(confirm(*sheet));
    sheet->tabs()->setCurrentIndex(Sheet::kCddb);
    EXPECT_EQ(sheet->tabs()->currentIndex(), Sheet::kOutput) << "nor may the page be left";
    EXPECT_EQ(warnings_, std::vector<std::string>(2, std::string(texts::kNamingNeedsTitle)));

    page.namingList(1)->setCurrentIndex(3);  // Artist TrackNo. なし なし
    page.folder()->setText("  ");
    EXPECT_FALSE(confirm(*sheet));
    EXPECT_EQ(warnings_.back(), texts::kNoFolder);
    page.folder()->setText((dir_ / "out").c_str());
    ASSERT_TRUE(confirm(*sheet));
    EXPECT_EQ(store_.read(s::kFileNameType1), 0);
    EXPECT_EQ(store_.read(s::kFileNameType2), 3);
    EXPECT_EQ(store_.read(s::kFileNameType4), 4);
    EXPECT_EQ(store_.read(s::kDefaultMusicPath), (dir_ / "out").string());
}

TEST_F(OptionDialogTest, CancelWritesNothingAndTheNextOpeningStartsOnTheLastPage) {
    auto sheet = dialog_.MakeSheet(-1);
    EXPECT_EQ(sheet->tabs()->currentIndex(), Sheet::kRecording) << "the first opening";
    sheet->tabs()->setCurrentIndex(Sheet::kPlayback);
    sheet->playbackPage()->insertBlank()->setChecked(true);
    sheet->tabs()->setCurrentIndex(Sheet::kAssociations);
    sheet->associationPage()->box(0)->setChecked(true);
    sheet->tabs()->setCurrentIndex(Sheet::kCddb);
    sheet->cddbPage()->mail()->setText("me@example.com");
    sheet->reject();
    EXPECT_FALSE(std::filesystem::exists(TempSettings::folder() / "user/registry"));
    EXPECT_EQ(contentsOf(list_), kForeignList);
    EXPECT_FALSE(handedFormat_);

    sheet = dialog_.MakeSheet(-1);
    EXPECT_EQ(sheet->tabs()->currentIndex(), Sheet::kCddb);
    sheet->tabs()->setCurrentIndex(Sheet::kDrive);
    ASSERT_TRUE(confirm(*sheet));
    EXPECT_EQ(dialog_.MakeSheet(-1)->tabs()->currentIndex(), Sheet::kDrive);
    EXPECT_EQ(dialog_.MakeSheet(Sheet::kOutput)->tabs()->currentIndex(), Sheet::kOutput);
}

TEST_F(OptionDialogTest, OkSavesTheWritersSettingsAndTheChosenWriter) {
    auto sheet = dialog_.MakeSheet(Sheet::kRecording);
    RecordingPage& page = *sheet->recordingPage();
    auto lists = page.findChildren<QComboBox*>();
    ASSERT_GE(lists.size(), 2);
    QComboBox* writers = lists[0];
    EXPECT_EQ(writers->currentText(), qs("MPEG Audio Layer-3"));
    QComboBox* formats = nullptr;
    int entry = -1;
    for (QComboBox* list : lists) {
        for (int i = 0; i < list->count() && entry < 0; ++i) {
            if (list->itemText(i).startsWith("192Kbps 44100Hz")) {
                formats = list;
                entry = i;
            }
        }
    }
    ASSERT_NE(formats, nullptr);
    formats->setCurrentIndex(entry);
    writers->setCurrentIndex(writers->findText(qs("Windows Wave File")));
    ASSERT_TRUE(confirm(*sheet));

    EXPECT_EQ(store_.read(s::kCurrentWriter), 15);
    ASSERT_TRUE(handedFormat_);
    EXPECT_EQ(handedFormat_->GetSinkKind(), 15);
    const std::vector<RecordingWriter> again = recordingWriters(engine_);
    ASSERT_FALSE(again.empty());
    ASSERT_EQ(again[0].sinkKind, 14);
    EXPECT_EQ(again[0].page->Settings().GetBitrate(), 192000u);
    const auto reopened = dialog_.MakeSheet(Sheet::kRecording);
    EXPECT_EQ(reopened->recordingPage()->findChildren<QComboBox*>()[0]->currentText(),
              qs("Windows Wave File"));
}

TEST_F(OptionDialogTest, DriveListStartsWithAutomaticAndAChangeIsHandedOver) {
    store_.write(s::kCdDrive, "d:");
    auto sheet = dialog_.MakeSheet(Sheet::kDrive);
    QComboBox& drives = *sheet->drivePage()->list();
    ASSERT_EQ(drives.count(), 2);
    EXPECT_EQ(drives.itemText(0), qs(texts::kAutomatic));
    EXPECT_TRUE(drives.itemText(1).startsWith("D: "));
    EXPECT_EQ(drives.currentIndex(), 1);
    ASSERT_TRUE(confirm(*sheet));
    EXPECT_EQ(discChanges_, 0);
    EXPECT_EQ(store_.read(s::kCdDrive), "d:");

    sheet = dialog_.MakeSheet(Sheet::kDrive);
    sheet->drivePage()->list()->setCurrentIndex(0);
    ASSERT_TRUE(confirm(*sheet));
    EXPECT_EQ(discChanges_, 1);
    EXPECT_EQ(store_.read(s::kCdDrive), "");
}

TEST_F(OptionDialogTest, CdWritingCommandIsEditedOnTheDrivePage) {
    store_.write(s::kCdrCommand, "k3b %s");
    auto sheet = dialog_.MakeSheet(Sheet::kDrive);
    QLineEdit& command = *sheet->drivePage()->cdrCommand();
    EXPECT_EQ(command.text(), "k3b %s");
    command.setText("  xfburn --audio %s ");
    ASSERT_TRUE(confirm(*sheet));
    EXPECT_EQ(store_.read(s::kCdrCommand), "xfburn --audio %s");
    EXPECT_EQ(discChanges_, 0);
}

TEST_F(OptionDialogTest, AssociationsAreTakenAndGivenBackInTheList) {
    auto sheet = dialog_.MakeSheet(Sheet::kAssociations);
    const auto mp3 = 0u;  // app::kAssociatedTypes order
    EXPECT_FALSE(sheet->associationPage()->box(mp3)->isChecked());
    sheet->associationPage()->box(mp3)->setChecked(true);
    ASSERT_TRUE(confirm(*sheet));
    EXPECT_TRUE(
        app::MimeAssociations(list_, "org.melodux.Melodux.desktop").IsAssociated("audio/mpeg"));

    sheet = dialog_.MakeSheet(Sheet::kAssociations);
    EXPECT_TRUE(sheet->associationPage()->box(mp3)->isChecked());
    EXPECT_EQ(sheet->associationPage()->box(mp3)->text(), qs(".mp3(&3)"));
    sheet->associationPage()->box(mp3)->setChecked(false);
    ASSERT_TRUE(confirm(*sheet));
    EXPECT_EQ(contentsOf(list_), kForeignList);

    std::filesystem::remove(list_);
    std::filesystem::create_directory(list_);  // cannot be replaced
    sheet = dialog_.MakeSheet(Sheet::kAssociations);
    sheet->associationPage()->box(mp3)->setChecked(true);
    EXPECT_TRUE(confirm(*sheet));
    EXPECT_EQ(warnings_, std::vector<std::string>{std::string(texts::kAssociationsFailed)});
}

TEST_F(OptionDialogTest, ServerListReloadsOnAWorkerAndIsStored) {
    store_.write(s::kMailAdres, "me@example.com");
    auto sheet = dialog_.MakeSheet(Sheet::kCddb);
    CddbPage& page = *sheet->cddbPage();
    EXPECT_EQ(page.servers()->currentText(), qs(cdinfo::kDefaultCddbHost) + " Default CDDB Server");
    page.servers()->setEditText(QString::fromStdString(server_.url()));
    page.mail()->setText("you@example.net");
    page.reload();
    page.reload();  // ignored while the first runs
    EXPECT_TRUE(page.reloading());
    QTRY_VERIFY_WITH_TIMEOUT(!page.reloading(), 10000);
    ASSERT_EQ(page.servers()->count(), 3);
    EXPECT_EQ(page.servers()->itemText(0), qs("cddb.example.org 80 HTTP /~cddb/cddb.cgi"));
    EXPECT_EQ(page.servers()->itemText(1), qs(cdinfo::kDefaultCddbHost) + " Default CDDB Server");
    EXPECT_EQ(page.servers()->currentText(), QString::fromStdString(server_.url()));
    ASSERT_EQ(server_.requests().size(), 1u);
    EXPECT_EQ(server_.requests()[0].parameter("hello").substr(0, 15), "you example.net");
    EXPECT_EQ(store_.read(s::kMailAdres), "me@example.com") << "nothing is stored before OK";
    ASSERT_TRUE(confirm(*sheet));
    EXPECT_EQ(store_.read(s::kCddbServers), "cddb.example.org 80 HTTP /~cddb/cddb.cgi");
    EXPECT_EQ(store_.read(s::kCddbServer), server_.url());
    EXPECT_EQ(store_.read(s::kMailAdres), "you@example.net");

    sheet = dialog_.MakeSheet(Sheet::kCddb);
    EXPECT_EQ(sheet->cddbPage()->servers()->count(), 3);
    sheet->cddbPage()->servers()->setEditText(
        QString("http://127.0.0.1:%1/~cddb/cddb.cgi").arg(cdtest::closedPort()));
    sheet->cddbPage()->reload();
    QTRY_VERIFY_WITH_TIMEOUT(!sheet->cddbPage()->reloading(), 10000);
    EXPECT_EQ(warnings_, std::vector<std::string>{std::string(texts::kNetworkError)});
    EXPECT_EQ(sheet->cddbPage()->servers()->count(), 3) << "the list stays";
}

TEST(CddbServerListTest, SelectsTheServerInUseAndAddsTheDefaultAndMissingOnes) {
    const CddbServerList list("a.example 80 HTTP /x\r\nb.example 8080 HTTP /y\n", "b.example");
    EXPECT_EQ(list.entries(), (std::vector<std::string>{
                                  "a.example 80 HTTP /x", "b.example 8080 HTTP /y",
                                  std::string(cdinfo::kDefaultCddbHost) + " Default CDDB Server"}));
    EXPECT_EQ(list.selection(), 1);
    EXPECT_EQ(list.stored(), "a.example 80 HTTP /x\nb.example 8080 HTTP /y");

    const std::string listed = std::string(cdinfo::kDefaultCddbHost) + " 80 HTTP /~cddb/cddb.cgi";
    const CddbServerList own(listed, "c.example");
    EXPECT_EQ(own.entries(), (std::vector<std::string>{listed, "c.example"}));
    EXPECT_EQ(own.selection(), 1);
}

}  // namespace
}  // namespace ui::options

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
