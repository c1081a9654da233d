#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QTableView>
#include <QTest>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "../../cdinfo/CddbTestServer.h"
#include "app/CPlayerApp.h"
#include "app/Engine.h"
#include "app/EntryFormat.h"
#include "app/PlayerSettings.h"
#include "app/RecordingSizes.h"
#include "app/Settings.h"
#include "app/StreamTagAccess.h"
#include "cdinfo/DiscToc.h"
#include "cdinfo/LocalCdDb.h"
#include "mdb/MusicItem.h"
#include "mp3/writer/CNxSSMp3WriterSettings.h"
#include "platform/Processors.h"
#include "platform/cd/CdImage.h"
#include "support/DesktopProgram.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"
#include "ui/CDesktopView.h"
#include "ui/PoolWork.h"
#include "ui/QtTimerService.h"
#include "ui/record/CRecordPanel.h"
#include "ui/record/EntryFormatDialog.h"
#include "ui/record/RecordTexts.h"

namespace ui::record {
namespace {

namespace fs = std::filesystem;
using app::RecordingEntry;

// The bytes of a WAVE file's "data" chunk.
std::vector<uint8_t> waveData(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const uint32_t size = bytes[at + 4] | bytes[at + 5] << 8 | bytes[at + 6] << 16 |
                              static_cast<uint32_t>(bytes[at + 7]) << 24;
        if (std::equal(bytes.begin() + long(at), bytes.begin() + long(at) + 4, "data")) {
            return {bytes.begin() + long(at) + 8,
                    bytes.begin() + long(std::min<size_t>(at + 8 + size, bytes.size()))};
        }
        at += 8 + size + (size & 1);
    }
    return {};
}

// Answers in place of the user and remembers what the panel said.
class ScriptedDialogs : public RecordDialogs {
  public:
    std::vector<std::string> told;
    std::deque<bool> answers;  // Yes or No, in order
    std::deque<app::RecordingRun::Question> again;
    std::optional<FileChoice> files;

    void tell(std::string_view text) override { told.emplace_back(text); }
    bool askYesNo(std::string_view text) override {
        told.emplace_back(text);
        const bool answer = !answers.empty() && answers.front();
        if (!answers.empty()) {
            answers.pop_front();
        }
        return answer;
    }
    app::RecordingRun::Question askRecordedAgain(const std::string& title) override {
        told.push_back("again " + title);
        if (again.empty()) {
            return {};
        }
        const auto answer = again.front();
        again.pop_front();
        return answer;
    }
    std::optional<FileChoice> chooseFiles(const std::string&, int) override { return files; }
    NxRef<CNxSSWriterSettings> chooseFormat(const NxRef<CNxSSWriterSettings>& start) override {
        formatStart = start;
        return format;
    }

    NxRef<CNxSSWriterSettings> format;  // the sheet's answer
    NxRef<CNxSSWriterSettings> formatStart;
};

// A PCM WAVE file of `seconds` of silence, 44.1 kHz stereo.
void writeWave(const fs::path& file, uint32_t seconds) {
    const uint32_t bytes = seconds * 44100 * 4;
    std::ofstream out(file, std::ios::binary);
    const auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            out.put(static_cast<char>(v >> (8 * i)));
        }
    };
    const auto u16 = [&](uint16_t v) {
        out.put(static_cast<char>(v));
        out.put(static_cast<char>(v >> 8));
    };
    out << "RIFF";
    u32(36 + bytes);
    out << "WAVEfmt ";
    u32(16);
    u16(1);
    u16(2);
    u32(44100);
    u32(44100 * 4);
    u16(4);
    u16(16);
    out << "data";
    u32(bytes);
    out << std::string(bytes, '\0');
}

// The desktop program as main() puts it together (null audio device, an
// image as the CD drive), with its library loaded and empty, and a panel
// whose dialogs the test answers. Tracks record as WAVE into
// <music>/<album>/<number> - <title>.wav.
class RecordPanelTest : public ::testing::Test {
  protected:
    RecordPanelTest() {
        testsupport::copyProgramData(program_.path());
        app_ = std::make_unique<app::CPlayerApp>(
            testsupport::desktopServices(view_, timers_, work_, engine_), store_, program_.path());
        view_.setLibrary([this] { return app_->library() ? &app_->library()->db() : nullptr; });
        started_ = app_->start({}) && QTest::qWaitFor([&] { return app_->library(); }, 5000);
        settings_.setDword("Settings", "CurrentWriter", 15);
        settings_.setDword("Settings", "FileNameType1", 3);  // track number, then title
        settings_.setDword("Settings", "FileNameType2", 2);
        settings_.setDword("Settings", "DirNameType", 1);  // album
        playerSettings_.write(app::settings::kDefaultMusicPath, music_.string());
    }
    ~RecordPanelTest() override {
        if (panel_) {
            player().SetPanels(view_.listPanel(), view_.recordPanel());
        }
        panel_.reset();
        ::unsetenv("MELODUX_CD_IMAGES");
    }

    // Mounts a disc of two audio tracks and a data track as drive D:; with
    // titles, the local CD database knows them.
    void insertDisc(uint32_t firstSectors, const std::vector<std::string>& titles = {},
                    uint32_t secondSectors = 163) {
        image_.emplace(disc_.path(), std::vector<cdtest::ImageTrack>{
                                         {true, firstSectors}, {true, secondSectors}, {false, 80}});
        ::setenv("MELODUX_CD_IMAGES", image_->cuePath().c_str(), 1);
        offsets_ = {150, 150 + firstSectors, 150 + firstSectors + secondSectors};
        discId_ = cdinfo::freedbDiscId({offsets_, offsets_.back() + 80});
        if (!titles.empty()) {
            cdinfo::CddbEntry entry;
            entry.offsets = offsets_;
            entry.discSeconds = (offsets_.back() + 80) / 75;
            entry.discIds = {discId_};
            entry.artist = "バンド";
            entry.title = "アルバム";
            for (const std::string& title : titles) {
                entry.tracks.push_back({title, "", ""});
            }
            ASSERT_TRUE(
                cdinfo::LocalCdDb(cdinfo::LocalCdDb::defaultRoot()).store(discId_, entry, "rock"));
        }
    }

    // Gives the mounted disc CD-Text: the album and its artist, a title per
    // track.
    void addCdText(const std::vector<std::string>& titles) {
        std::ifstream in(image_->cuePath());
        std::string sheet = "TITLE \"Text Album\"\nPERFORMER \"Text Band\"\n";
        size_t track = 0;
        for (std::string line; std::getline(in, line);) {
            sheet += line + "\n";
            if (line.find("TRACK") != std::string::npos && track < titles.size()) {
                sheet += "    TITLE \"" + titles[track++] + "\"\n";
            }
        }
        in.close();
        std::ofstream(image_->cuePath()) << sheet;
    }

    CRecordPanel& panel() {
        if (!panel_) {
            auto scripted = std::make_unique<ScriptedDialogs>();
            dialogs_ = scripted.get();
            panel_ = std::make_unique<CRecordPanel>(
                engine_, playerSettings_, player(),
                [this] { return app_->library() ? &app_->library()->db() : nullptr; },
                std::move(scripted));
            player().SetPanels(view_.listPanel(), panel_.get());
            // The panel looks at the drive when it starts: settled before the test goes on.
            EXPECT_TRUE(QTest::qWaitFor(
                [&] { return panel_->mediaKnown() && !panel_->lookingUp(); }, 10000));
        }
        return *panel_;
    }

    // The panel reads the disc; true once its list shows the tracks.
    bool readDisc() {
        panel().readDisc();
        return QTest::qWaitFor([&] { return !panel().lookingUp(); }, 10000) && panel().Count() == 2;
    }

    bool recordAndWait() {
        panel().StartRecording();
        return QTest::qWaitFor([&] { return !panel().IsRecording(); }, 20000);
    }

    const RecordingEntry& entry(size_t row) { return panel().model().entries().at(row); }
    app::CPlayController& player() { return view_.window()->player(); }
    mdb::MusicDatabase& db() { return app_->library()->db(); }

    std::vector<cdinfo::CddbTrackState> storedStates() const {
        const auto found =
            cdinfo::LocalCdDb(cdinfo::LocalCdDb::defaultRoot()).find(discId_, offsets_);
        return found ? found->entry.states : std::vector<cdinfo::CddbTrackState>{};
    }

    std::optional<mdb::MusicInfo> record(const fs::path& path) {
        const auto guard = db().lock();
        for (size_t i = 0; i < db().library().count(); ++i) {
            const mdb::MusicInfo info = db().library().itemAt(i)->getInfo();
            if (info.path == path.string()) {
                return info;
            }
        }
        return std::nullopt;
    }

    TempSettings settings_;
    app::SettingsStore store_;
    app::PlayerSettings playerSettings_{store_};
    testsupport::TempDir program_;
    testsupport::TempDir disc_;
    testsupport::TempDir folder_;
    fs::path music_ = folder_ / "music";
    std::optional<cdtest::CdImage> image_;
    std::vector<uint32_t> offsets_;
    uint32_t discId_ = 0;
    const app::Engine engine_;
    QtTimerService timers_;
    PoolWork work_;
    std::unique_ptr<app::CPlayerApp> app_;
    CDesktopView view_{engine_, playerSettings_, [this] { return app_->skinFolder(); }};
    bool started_ = false;
    ScriptedDialogs* dialogs_ = nullptr;
    std::unique_ptr<CRecordPanel> panel_;
};

TEST_F(RecordPanelTest, RecordsTheDiscIntoNamedFilesFiledInTheLibraryAndPlaysItsTracks) {
    ASSERT_TRUE(started_);
    insertDisc(100, {"一曲目", "Two", "Data"});
    ASSERT_TRUE(readDisc());
    const fs::path album = music_ / "アルバム";
    const fs::path first = album / "01 - 一曲目.wav", second = album / "02 - Two.wav";
    EXPECT_EQ(entry(0).title, "一曲目");
    EXPECT_EQ(entry(0).outputPath, first.string());
    EXPECT_EQ(entry(1).outputPath, second.string());
    EXPECT_EQ(panel().model().index(1, RecordListModel::kSourceColumn).data().toString(),
              "Track02");

    ASSERT_TRUE(recordAndWait());
    EXPECT_TRUE(dialogs_->told.empty()) << dialogs_->told.front();
    EXPECT_EQ(entry(0).status, RecordingEntry::kRecorded);
    EXPECT_EQ(entry(1).status, RecordingEntry::kRecorded);
    EXPECT_EQ(entry(1).size, static_cast<int64_t>(fs::file_size(second)));
    EXPECT_EQ(waveData(first), image_->trackBytes(1));
    EXPECT_EQ(waveData(second), image_->trackBytes(2));
    const auto filed = record(second);
    ASSERT_TRUE(filed);
    EXPECT_EQ(filed->title, "Two");
    EXPECT_EQ(filed->album, "アルバム");
    EXPECT_EQ(filed->artist, "バンド");
    EXPECT_EQ(filed->track, 2u);
    EXPECT_TRUE(record(first));
    ASSERT_GE(storedStates().size(), 2u);
    EXPECT_EQ(storedStates()[1].state, 2);
    EXPECT_EQ(storedStates()[1].path, second.string());

    // Read again, the disc shows what was recorded; recording it again asks,
    // and No with "all" leaves both alone and ends the run.
    ASSERT_TRUE(readDisc());
    EXPECT_EQ(entry(0).status, RecordingEntry::kRecorded);
    panel().selectAll(true);
    dialogs_->again.push_back({app::RecordingRun::Answer::No, true});
    ASSERT_TRUE(recordAndWait());
    EXPECT_EQ(dialogs_->told, std::vector<std::string>{"again 一曲目"});
    EXPECT_EQ(entry(1).selection, RecordingEntry::kNotSelected);
    // Cancel ends the run before anything is written.
    panel().selectAll(true);
    const auto written = fs::last_write_time(second);
    ASSERT_TRUE(recordAndWait());
    EXPECT_EQ(dialogs_->told.back(), "again 一曲目");
    EXPECT_EQ(fs::last_write_time(second), written);

    // A double-click plays the track from the drive.
    panel().playRow(1);
    EXPECT_EQ(player().SourceKind(), app::CPlayController::kRecordingKind);
    EXPECT_EQ(player().CurrentPath(), "D:\\Track2.cda");
    EXPECT_TRUE(QTest::qWaitFor([&] { return panel().model().playingRow() == 1; }, 5000));
}

// MP3 encoding of a ten-minute track is slow enough to watch its progress
// and stop it halfway; with two processors or more the two-minute track is
// written beside it and stopped too.
TEST_F(RecordPanelTest, StopMidEntryLeavesNoPartialFileAndMarksTheEntryAborted) {
    ASSERT_TRUE(started_);
    settings_.setDword("Settings", "CurrentWriter", 14);
    insertDisc(75 * 600, {"Long", "Short", "Data"}, 75 * 120);
    ASSERT_TRUE(readDisc());
    const fs::path album = music_ / "アルバム";
    EXPECT_EQ(entry(0).outputPath, (album / "01 - Long.mp3").string());
    panel().StartRecording();
    ASSERT_TRUE(panel().IsRecording());
    EXPECT_EQ(entry(0).status, RecordingEntry::kRecording);
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel().entryProgress().value() > 0; }, 10000));
    EXPECT_TRUE(panel().statusText().startsWith("Recording("))
        << panel().statusText().toStdString();
    EXPECT_TRUE(panel().statusText().endsWith(" 1.Long"));
    EXPECT_GT(panel().runProgress().value(), 0);
    panel().StopRecording();

    EXPECT_FALSE(panel().IsRecording());
    EXPECT_EQ(entry(0).status, RecordingEntry::kAborted);
    EXPECT_EQ(entry(1).status,
              platform::usableProcessors() > 1 ? RecordingEntry::kAborted : RecordingEntry::kNone);
    EXPECT_EQ(panel().model().index(0, RecordListModel::kStatusColumn).data().toString(),
              "Aborted");
    EXPECT_TRUE(panel().statusText().isEmpty());
    EXPECT_TRUE(!fs::exists(album) || testsupport::namesIn(album).empty());
    EXPECT_FALSE(record(album / "01 - Long.mp3"));
    ASSERT_GE(storedStates().size(), 1u);
    EXPECT_EQ(storedStates()[0].state, 3);
}

TEST_F(RecordPanelTest, AFailingEntryIsMarkedFailedAndTheNextOneIsRecorded) {
    ASSERT_TRUE(started_);
    insertDisc(100, {"One", "Two", "Data"});
    ASSERT_TRUE(readDisc());
    fs::create_directories(entry(0).outputPath);  // a folder where the file should go
    ASSERT_TRUE(recordAndWait());
    EXPECT_EQ(entry(0).status, RecordingEntry::kFailed);
    EXPECT_FALSE(entry(0).error.empty());
    EXPECT_EQ(panel().model().index(0, RecordListModel::kStatusColumn).data(Qt::ToolTipRole),
              QString::fromStdString(entry(0).error));
    EXPECT_TRUE(fs::is_empty(entry(0).outputPath));
    EXPECT_FALSE(record(entry(0).outputPath));
    EXPECT_EQ(entry(1).status, RecordingEntry::kRecorded);
    EXPECT_EQ(waveData(entry(1).outputPath), image_->trackBytes(2));
    EXPECT_EQ(storedStates().at(0).state, 3);
}

TEST_F(RecordPanelTest, AnUntitledDiscNeedsAnAlbumTitleAndCddbGivesIt) {
    ASSERT_TRUE(started_);
    insertDisc(100);
    ASSERT_TRUE(readDisc());
    EXPECT_EQ(entry(0).title, "Track01");
    panel().StartRecording();
    EXPECT_EQ(dialogs_->told, std::vector<std::string>{std::string(texts::kSetAlbumTitle)});
    EXPECT_FALSE(panel().IsRecording());

    const std::string id = cdinfo::discIdText(discId_);
    cdtest::CddbTestServer server([&](const cdtest::HttpRequest& r) -> cdtest::HttpReply {
        const auto cmd = r.command();
        if (cmd.size() >= 2 && cmd[1] == "query") {
            return {200, "200 rock " + id + " Band / Album\r\n"};
        }
        if (cmd.size() == 4 && cmd[1] == "read") {
            return {200, "210 rock " + id + " entry follows\r\n# xmcd\r\nDISCID=" + id +
                             "\r\nDTITLE=Band / Album\r\nTTITLE0=First\r\nTTITLE1=Second\r\n"
                             "TTITLE2=Data\r\n.\r\n"};
        }
        return {200, "500 Unknown command\r\n"};
    });
    playerSettings_.write(app::settings::kCddbServer, server.url());
    playerSettings_.write(app::settings::kCddbEnable, 1);
    ASSERT_TRUE(readDisc());
    EXPECT_EQ(panel().disc().title, "Album");
    EXPECT_EQ(entry(1).title, "Second");
    EXPECT_EQ(entry(1).outputPath, (music_ / "Album" / "02 - Second.wav").string());
    EXPECT_FALSE(server.requests().empty());
}

TEST_F(RecordPanelTest, ADiscNoDatabaseKnowsIsNamedByItsCdText) {
    ASSERT_TRUE(started_);
    insertDisc(100);
    addCdText({"Text One", "Text Two", "Data"});
    ASSERT_TRUE(readDisc());
    EXPECT_EQ(panel().disc().title, "Text Album");
    EXPECT_EQ(panel().disc().artist, "Text Band");
    EXPECT_EQ(entry(1).title, "Text Two");
    EXPECT_EQ(entry(1).outputPath, (music_ / "Text Album" / "02 - Text Two.wav").string());
}

TEST_F(RecordPanelTest, TheShownListFollowsTheDiscInTheDrive) {
    ASSERT_TRUE(started_);
    panel().showBeside(QRect(0, 0, 100, 100));
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel().statusText() == "No Disc"; }, 5000));
    insertDisc(100, {"One", "Two", "Data"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel().Count() == 2; }, 5000));
    EXPECT_EQ(entry(1).title, "Two");
    EXPECT_TRUE(panel().statusText().isEmpty());
    ::unsetenv("MELODUX_CD_IMAGES");
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel().Count() == 0; }, 5000));
    EXPECT_EQ(panel().statusText(), "No Disc");
}

TEST_F(RecordPanelTest, AddedFilesAskBeforeTheyAreOverwrittenAndWmaIsRefused) {
    ASSERT_TRUE(started_);
    insertDisc(100, {"One", "Two", "Data"});
    ASSERT_TRUE(readDisc());
    const fs::path wave = folder_ / "song.wav";
    ASSERT_TRUE(recordAndWait());
    fs::copy_file(entry(0).outputPath, wave);
    std::ofstream(folder_ / "song.wma") << "x";
    panel().AddFilesForConversion({wave.string(), (folder_ / "song.wma").string()});
    ASSERT_EQ(panel().Count(), 3);
    EXPECT_EQ(entry(2).outputPath, wave.string());
    EXPECT_EQ(entry(2).selection, RecordingEntry::kSelected);
    ASSERT_EQ(dialogs_->told.size(), 1u);
    EXPECT_NE(dialogs_->told[0].find(texts::kNotConvertible), std::string::npos);

    dialogs_->answers = {false};
    panel().StartRecording();
    EXPECT_EQ(dialogs_->told.back(), texts::kOverwriteQuestion);
    EXPECT_FALSE(panel().IsRecording());
    EXPECT_EQ(entry(2).status, RecordingEntry::kNone);

    // Yes converts the file onto itself and files it under its own name;
    // the tracks recorded before are asked about and left.
    dialogs_->answers = {true};
    dialogs_->again = {{app::RecordingRun::Answer::No, true}};
    ASSERT_TRUE(recordAndWait());
    EXPECT_EQ(entry(2).status, RecordingEntry::kRecorded);
    EXPECT_EQ(waveData(wave), image_->trackBytes(1));
    const auto filed = record(wave);
    ASSERT_TRUE(filed);
    EXPECT_EQ(filed->title, "song");
}

TEST_F(RecordPanelTest, TheFormatCommandGivesTheSelectedEntryItsOwnFormat) {
    ASSERT_TRUE(started_);
    insertDisc(100, {"One", "Two", "Data"});
    ASSERT_TRUE(readDisc());
    const QString wave = panel().model().index(0, RecordListModel::kFormatColumn).data().toString();
    panel().table().selectRow(1);
    dialogs_->format = app::savedWriterSettings(engine_, 14);
    ASSERT_TRUE(dialogs_->format);
    panel().chooseEntryFormat();
    ASSERT_TRUE(dialogs_->formatStart);
    EXPECT_EQ(dialogs_->formatStart->GetSinkKind(), 15);  // the panel's format to start from
    const fs::path album = music_ / "アルバム";
    EXPECT_EQ(entry(1).outputPath, (album / "02 - Two.mp3").string());
    EXPECT_EQ(entry(1).size,
              app::estimatedRecordingSize(dialogs_->format->GetBitrate(), entry(1).lengthSeconds));
    EXPECT_EQ(panel().model().index(1, RecordListModel::kFormatColumn).data().toString(),
              QString::fromStdString(dialogs_->format->Describe()));
    EXPECT_EQ(entry(0).outputPath, (album / "01 - One.wav").string());
    EXPECT_EQ(panel().model().index(0, RecordListModel::kFormatColumn).data().toString(), wave);

    // Names made again keep the entry's own format; the sheet starts from it.
    panel().RenameEntries();
    EXPECT_EQ(entry(1).outputPath, (album / "02 - Two.mp3").string());
    dialogs_->format = {};
    panel().chooseEntryFormat();
    EXPECT_EQ(dialogs_->formatStart->GetSinkKind(), 14);
    EXPECT_EQ(entry(1).outputPath, (album / "02 - Two.mp3").string());

    // The sheet itself starts from the entry's format and saves nothing.
    mp3::enc::Mp3WriterSettings values;
    values.bitrate = 192000;
    EntryFormatDialog sheet(engine_, MakeNx<CNxSSMp3WriterSettings>(values), nullptr);
    static_cast<QDialog&>(sheet).accept();
    ASSERT_TRUE(sheet.chosen());
    EXPECT_EQ(sheet.chosen()->GetSinkKind(), 14);
    EXPECT_EQ(sheet.chosen()->GetBitrate(), 192000u);
    EXPECT_EQ(app::savedWriterSettings(engine_, 14)->GetBitrate(), 128000u);
}

TEST_F(RecordPanelTest, PostsTheEditedDiscInTheFreedbFormatAfterItsChecks) {
    ASSERT_TRUE(started_);
    insertDisc(100, {"一曲目", "Two", "Data"});
    ASSERT_TRUE(readDisc());
    std::vector<std::string> replies = {"200 OK, submission has been sent.\r\n",
                                        "501 Entry rejected: bad DTITLE.\r\n"};
    cdtest::CddbTestServer server([&](const cdtest::HttpRequest&) -> cdtest::HttpReply {
        const std::string reply = replies.front();
        replies.erase(replies.begin());
        return {200, reply};
    });
    playerSettings_.write(app::settings::kCddbServer, server.url());
    const auto postAndWait = [&] {
        panel().post();
        return QTest::qWaitFor([&] { return !panel().lookingUp(); }, 10000);
    };

    playerSettings_.write(app::settings::kMailAdres, "nobody");
    ASSERT_TRUE(postAndWait());
    playerSettings_.write(app::settings::kMailAdres, "me@example.org");
    panel().discTitleField().setText("  ");
    ASSERT_TRUE(postAndWait());
    EXPECT_EQ(dialogs_->told, (std::vector<std::string>{std::string(texts::kBadMailAddress),
                                                        std::string(texts::kSetAlbumTitle)}));
    // Full-width text is asked about; No sends nothing.
    panel().discTitleField().setText("Album");
    ASSERT_TRUE(postAndWait());
    EXPECT_EQ(dialogs_->told.back(), texts::kPostDoubleByteQuestion);
    EXPECT_TRUE(server.requests().empty());

    panel().discArtistField().setText("Band");
    panel().discExtraField().setText("Live");
    ASSERT_TRUE(panel().model().setData(panel().model().index(0, RecordListModel::kTitleColumn),
                                        " First", Qt::EditRole));
    EXPECT_EQ(entry(0).outputPath, (music_ / "Album" / "01 - First.wav").string());
    const int revision = panel().disc().revision + 1;
    dialogs_->answers = {true};
    ASSERT_TRUE(postAndWait());
    EXPECT_EQ(dialogs_->told.back(), texts::kPostQuestion);
    ASSERT_EQ(server.requests().size(), 1u);
    const cdtest::HttpRequest sent = server.requests()[0];
    EXPECT_EQ(sent.method, "POST");
    EXPECT_EQ(sent.headers.at("User-Email"), "me@example.org");
    EXPECT_EQ(sent.headers.at("Category"), "rock");
    EXPECT_EQ(sent.headers.at("Discid"), cdinfo::discIdText(discId_));
    const std::string lengthLine =
        "# Disc length: " + std::to_string((offsets_.back() + 80) / 75) + " seconds\n";
    for (const std::string& line :
         {std::string("# xmcd\n"), std::string("# Track frame offsets:\n#\t150\n#\t250\n"),
          lengthLine, "# Revision: " + std::to_string(revision) + "\n",
          "DISCID=" + cdinfo::discIdText(discId_), std::string("DTITLE=Band / Album\n"),
          std::string("TTITLE0=First\nTTITLE1=Two\n"), std::string("EXTD=Live\n"),
          std::string("EXTT0=\n"), std::string("PLAYORDER=\n")}) {
        EXPECT_NE(sent.body.find(line), std::string::npos) << line << "\nin\n" << sent.body;
    }
    EXPECT_EQ(panel().disc().revision, revision);
    EXPECT_EQ(dialogs_->told.back(), texts::kPostQuestion);  // no message after a success

    // A refusal is told, and the revision stays.
    dialogs_->answers = {true};
    ASSERT_TRUE(postAndWait());
    EXPECT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(dialogs_->told.back(), texts::kPostRefused);
    EXPECT_EQ(panel().disc().revision, revision);
}

TEST_F(RecordPanelTest, AddedFilesShowAtOnceAndTheirLengthsFollow) {
    ASSERT_TRUE(started_);
    const fs::path first = folder_ / "0.wav";
    writeWave(first, 3);
    std::vector<std::string> paths{first.string()};
    for (int i = 1; i < 300; ++i) {
        paths.push_back((folder_ / (std::to_string(i) + ".wav")).string());
        fs::create_hard_link(first, paths.back());
    }
    const fs::path broken = folder_ / "broken.mp3";
    std::ofstream(broken) << "not music";
    paths.push_back(broken.string());

    panel().AddFilesForConversion(paths);
    ASSERT_EQ(panel().Count(), 301);
    EXPECT_EQ(entry(299).lengthSeconds, 0);
    EXPECT_EQ(entry(299).outputPath, paths[299]);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panel().readingFiles(); }, 20000));
    ASSERT_EQ(panel().Count(), 300);
    for (int row = 0; row < 300; ++row) {
        ASSERT_EQ(entry(size_t(row)).lengthSeconds, 3) << row;
    }
    EXPECT_EQ(entry(299).status, RecordingEntry::kNone);
    EXPECT_GT(entry(299).size, 0);
    ASSERT_EQ(dialogs_->told.size(), 1u);
    EXPECT_EQ(dialogs_->told[0].rfind(broken.string() + "\r\n", 0), 0u) << dialogs_->told[0];
}

}  // namespace
}  // namespace ui::record

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("MELODUX_AUDIO", "null");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
