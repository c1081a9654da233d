// The list/edit panel's copy, paste, conversion and CD-R commands.
#include <sys/stat.h>
#include <QClipboard>
#include <QMenu>
#include <QScopeGuard>

#include "PanelFixture.h"
#include "ui/record/CRecordPanel.h"
#include "ui/record/RecordDialogs.h"
#include "ui/record/RecordTexts.h"

namespace ui::library {
namespace {

namespace fs = std::filesystem;

QAction* entry(const QMenu& menu, std::string_view text) {
    for (QAction* action : menu.actions()) {
        if (action->text() == QString::fromUtf8(text.data(), qsizetype(text.size()))) {
            return action;
        }
    }
    return nullptr;
}

bool enabled(const std::unique_ptr<QMenu>& menu, std::string_view text) {
    const QAction* action = entry(*menu, text);
    return action != nullptr && action->isEnabled();
}

std::string slurp(const fs::path& file) {
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The recording panel's messages, kept; it asks nothing here.
struct TellingRecordDialogs : record::RecordDialogs {
    std::vector<std::string> told;
    void tell(std::string_view text) override { told.emplace_back(text); }
    bool askYesNo(std::string_view) override { return false; }
    app::RecordingRun::Question askRecordedAgain(const std::string&) override { return {}; }
    std::optional<FileChoice> chooseFiles(const std::string&, int) override { return {}; }
    NxRef<CNxSSWriterSettings> chooseFormat(const NxRef<CNxSSWriterSettings>&) override {
        return {};
    }
};

}  // namespace

TEST_F(ListPanelTest, MenusOfferCopyPasteAndConversionOnlyWhenTheyCanAct) {
    ASSERT_TRUE(started_);
    ScriptedDialogs* dialogs = nullptr;
    auto made = scriptedPanel(dialogs);
    ASSERT_TRUE(addAndWait(*made, {songFolder()}));
    QGuiApplication::clipboard()->clear();
    EXPECT_FALSE(enabled(made->itemMenu(), texts::kCopy));
    EXPECT_FALSE(enabled(made->itemMenu(), texts::kPaste));
    EXPECT_FALSE(enabled(made->itemMenu(), texts::kConvert));

    made->libraryItems().selectAll();
    EXPECT_TRUE(enabled(made->itemMenu(), texts::kCopy));
    EXPECT_TRUE(enabled(made->editMenu(), texts::kCopy));
    EXPECT_FALSE(enabled(made->itemMenu(), texts::kConvert));  // nowhere to send them
    std::vector<std::string> converted;
    made->setConversionTarget([&](const std::vector<std::string>& paths) { converted = paths; });
    EXPECT_TRUE(enabled(made->itemMenu(), texts::kConvert));
    entry(*made->itemMenu(), texts::kConvert)->trigger();
    EXPECT_EQ(converted.size(), 3u);

    // The library's own items paste into a playlist only.
    entry(*made->itemMenu(), texts::kCopy)->trigger();
    EXPECT_FALSE(enabled(made->itemMenu(), texts::kPaste));
    db().playlists().create("Pasted");
    made->selectPlaylist("Pasted");
    ASSERT_TRUE(enabled(made->itemMenu(), texts::kPaste));
    EXPECT_FALSE(enabled(made->itemMenu(), texts::kCopy));  // nothing selected there
    entry(*made->itemMenu(), texts::kPaste)->trigger();
    EXPECT_EQ(db().playlists().get("Pasted").count(), 3u);
}

TEST_F(ListPanelTest, ConversionFillsTheRecordingListAndRefusesWmaSources) {
    ASSERT_TRUE(started_);
    ASSERT_TRUE(addAndWait(panel(), {songFolder()}));
    // The desktop's panels: the files go to the recording panel, shown.
    panel().showPlaylistSide(false);
    panel().setShowMode(0);
    panel().libraryItems().selectAll();
    panel().convertSelection();
    ASSERT_NE(view_.recordPanel(), nullptr);
    EXPECT_TRUE(view_.recordPanel()->isVisible());
    EXPECT_EQ(view_.recordPanel()->model().entries().size(), 3u);

    // A ".wma" item is refused with its path; the rest still goes.
    mdb::MusicInfo wma;
    wma.path = (music_ / "a/song.wma").string();
    std::ofstream(wma.path) << "x";
    {
        auto guard = db().lock();
        ASSERT_NE(db().library().add(wma, false), mdb::kNoIndex);
    }
    auto telling = std::make_unique<TellingRecordDialogs>();
    const std::vector<std::string>& told = telling->told;
    record::CRecordPanel recorder(
        engine_, playerSettings_, player(), [this] { return &db(); }, std::move(telling));
    ScriptedDialogs* dialogs = nullptr;
    auto made = scriptedPanel(dialogs);
    made->setConversionTarget(
        [&](const std::vector<std::string>& paths) { recorder.AddFilesForConversion(paths); });
    made->libraryItems().selectAll();
    made->convertSelection();
    EXPECT_EQ(recorder.model().entries().size(), 3u);
    EXPECT_EQ(told, std::vector<std::string>{wma.path + "\r\n" +
                                             std::string(record::texts::kNotConvertible)});
}

TEST_F(ListPanelTest, CdrHandOffGivesThePlaylistToTheProgramWithTheWindowsHidden) {
    ASSERT_TRUE(started_);
    ScriptedDialogs* dialogs = nullptr;
    auto made = scriptedPanel(dialogs);
    ASSERT_TRUE(addAndWait(*made, {songFolder()}));
    testsupport::TempDir work;
    fs::create_directory(work / "tmp");
    const QByteArray tmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QByteArray::fromStdString((work / "tmp").string()));
    const auto restore =
        qScopeGuard([&] { tmp.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", tmp); });
    // The program: keeps its argument and the playlist, runs until released.
    const fs::path script = work / "burn";
    std::ofstream(script) << "#!/bin/sh\n"
                          << "cp \"$1\" " << work / "seen.tmp"
                          << "\n"
                          << "printf '%s' \"$1\" > " << work / "arg"
                          << "\n"
                          << "mv " << work / "seen.tmp"
                          << " " << work / "seen.m3u"
                          << "\n"
                          << "i=0; while [ ! -e " << work / "release"
                          << " ] && [ $i -lt 400 ]; do sleep 0.05; i=$((i+1)); done\n";
    ::chmod(script.c_str(), 0755);
    playerSettings_.write(app::settings::kCdrCommand, script.string() + " %s");

    mdb::MusicInfo wma;
    wma.path = (music_ / "a/song.wma").string();
    std::ofstream(wma.path) << "x";
    mdb::MutableGroup& burn = db().playlists().create("Burn");
    {
        auto guard = db().lock();
        db().library().add(wma, false);
        mdb::MusicItem* song = db().library().itemAt(0);
        mdb::MusicItem* wmaItem = db().library().itemAt(db().library().count() - 1);
        burn.insert(0, {song, wmaItem, wmaItem});
    }
    bool writer = false;
    int stops = 0;
    made->setCdrHooks({[&] { return writer; }, [] { return false; }, [&] { ++stops; },
                       [&] {
                           return std::vector<QWidget*>{made.get(), view_.window(), nullptr};
                       }});
    made->show();
    ASSERT_TRUE(view_.window()->isVisible());
    made->selectPlaylist("Burn");

    made->writeCdr();
    EXPECT_EQ(dialogs->told.back(), texts::kNoCdWriter);
    EXPECT_EQ(stops, 0);
    writer = true;
    dialogs->answers = {true};
    made->writeCdr();
    ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(work / "seen.m3u"); }, 10000));
    EXPECT_EQ(std::count(dialogs->told.begin(), dialogs->told.end(), texts::kUnburnableQuestion),
              1);
    EXPECT_EQ(stops, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !made->isVisible(); }, 5000));
    EXPECT_FALSE(view_.window()->isVisible());
    const fs::path handed = slurp(work / "arg");
    EXPECT_EQ(handed.parent_path(), work / "tmp");
    EXPECT_TRUE(fs::exists(handed));
    const std::string m3u = slurp(work / "seen.m3u");
    const std::string songPath = db().library().itemAt(0)->getPath();
    EXPECT_NE(m3u.find(songPath + "\n" + wma.path + "\n" + wma.path), std::string::npos) << m3u;

    std::ofstream(work / "release") << "";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !made->cdrHandOff()->running(); }, 10000));
    EXPECT_TRUE(made->isVisible());
    EXPECT_TRUE(view_.window()->isVisible());
    EXPECT_FALSE(fs::exists(handed));

    // A program that cannot start: said, nothing left behind, windows shown.
    playerSettings_.write(app::settings::kCdrCommand, (work / "missing").string() + " %s");
    dialogs->answers = {true};
    made->writeCdr();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !made->cdrHandOff()->running(); }, 10000));
    EXPECT_EQ(dialogs->told.back().rfind(texts::kCdrNotStarted, 0), 0u);
    EXPECT_TRUE(made->isVisible());
    EXPECT_TRUE(testsupport::namesIn(work / "tmp").empty());
}

}  // namespace ui::library
