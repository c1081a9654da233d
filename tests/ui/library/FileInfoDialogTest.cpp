#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSpinBox>

#include "PanelFixture.h"
#include "app/ConversionJob.h"
#include "app/InfoWriteBack.h"
#include "support/TagFixtures.h"
#include "tags/ExtendedTags.h"
#include "ui/info/CFileInfoDialog.h"
#include "ui/info/InfoTexts.h"

namespace ui::library {
namespace {

namespace fs = std::filesystem;

std::string bytesOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

ino_t inodeOf(const fs::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

size_t filesIn(const fs::path& folder) {
    return size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// The panel with one song in its library, and its file information dialog.
class FileInfoDialogTest : public ListPanelTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(started_);
        song_ = music_ / "song.mp3";
        writeTagged(song_, "Old", "Amy", "First");
        fs::permissions(song_, fs::perms(0640));
    }

    // The song in the library, as the scripted panel's selected item.
    mdb::MusicItem* fileSong() {
        panel_ = scriptedPanel(dialogs_);
        if (!addAndWait(*panel_, {song_.string()}) || db().library().count() != 1) {
            return nullptr;
        }
        panel_->showHit(nullptr, 0);
        return db().library().itemAt(0);
    }

    info::CFileInfoDialog* openDialog() {
        panel_->editProperties();
        info::CFileInfoDialog* dialog = panel_->infoDialog();
        const QString reading = QString::fromUtf8(info::texts::kReading.data());
        if (dialog == nullptr ||
            !QTest::qWaitFor([&] { return dialog->information().toPlainText() != reading; })) {
            return nullptr;
        }
        return dialog;
    }

    // Presses OK and waits for the write; true when the dialog closed (it
    // deletes itself once closed).
    bool pressOk(info::CFileInfoDialog& dialog) {
        const QPointer<info::CFileInfoDialog> open(&dialog);
        dialog.accept();
        return QTest::qWaitFor([&] { return open.isNull() || !open->busy(); }) &&
               (open.isNull() || !open->isVisible());
    }

    std::optional<mdb::TagInfo> readBack() {
        return app::StreamTagAccess(engine_.catalog()).read(song_.string());
    }

    fs::path song_;
    ScriptedDialogs* dialogs_ = nullptr;
    std::unique_ptr<CListPanel> panel_;
};

TEST_F(FileInfoDialogTest, AnId3v1EditReplacesTheFileWholeAndShowsInTheRecordAtOnce) {
    mdb::MusicItem* item = fileSong();
    ASSERT_NE(item, nullptr);
    info::CFileInfoDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    const QString facts = dialog->information().toPlainText();
    EXPECT_TRUE(facts.startsWith(QString::fromUtf8("サイズ\t") +
                                 QString::number(fs::file_size(song_)) + " bytes\n"))
        << facts.toStdString();
    EXPECT_TRUE(facts.contains(QString::fromUtf8("バージョン\tMPEG-1 Layer-3")));
    EXPECT_EQ(dialog->titleEdit().text(), "Old");

    const ino_t before = inodeOf(song_);
    dialog->titleEdit().setText(QString::fromUtf8("新しい曲"));
    dialog->artistEdit().setText("Zed");
    dialog->trackEdit().setValue(7);
    dialog->genreBox().setCurrentIndex(dialog->genreBox().findData(17));
    ASSERT_TRUE(pressOk(*dialog));
    EXPECT_TRUE(dialogs_->told.empty());

    const auto tag = readBack();
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->title, "新しい曲");
    EXPECT_EQ(tag->artist, "Zed");
    EXPECT_EQ(tag->album, "First");
    EXPECT_EQ(tag->track, 7u);
    EXPECT_EQ(tag->genre, 17u);
    // A new file took the old one's name and permissions.
    EXPECT_NE(inodeOf(song_), before);
    EXPECT_EQ(fs::status(song_).permissions(), fs::perms(0640));
    EXPECT_EQ(filesIn(music_.path()), 1u);

    EXPECT_EQ(item->getTitle(), "新しい曲");
    EXPECT_EQ(item->getArtist(), "Zed");
    struct stat st {};
    ASSERT_EQ(::stat(song_.c_str(), &st), 0);
    EXPECT_EQ(item->getModified(), mdb::toStoredTime(st.st_mtime));
    EXPECT_EQ(item->getSize(), fs::file_size(song_));
    QStringList row;
    for (int column = 0; column < panel_->libraryModel()->columnCount(); ++column) {
        row << panel_->libraryModel()->index(0, column).data().toString();
    }
    EXPECT_TRUE(row.contains(QString::fromUtf8("新しい曲"))) << row.join('|').toStdString();
}

TEST_F(FileInfoDialogTest, AFileWithAnId3v2TagHasBothTagsEdited) {
    using namespace tagfixtures;
    const std::string plain = bytesOf(song_);
    const Bytes v2 =
        tag(3, 0, frame(3, "TIT2", Bytes{0} + bytes("A title longer than thirty bytes")));
    std::ofstream(song_, std::ios::binary | std::ios::trunc)
        << std::string(v2.begin(), v2.end()) << plain;
    mdb::MusicItem* item = fileSong();
    ASSERT_NE(item, nullptr);
    info::CFileInfoDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->titleEdit().text(), "A title longer than thirty bytes");

    dialog->titleEdit().setText("Another title longer than thirty bytes");
    dialog->albumEdit().setText("Second");
    ASSERT_TRUE(pressOk(*dialog));

    const tags::ExtendedTags extended = tags::readExtendedTags(song_.string());
    EXPECT_EQ(extended.id3v2Version, 3);
    EXPECT_EQ(extended.fields.title, "Another title longer than thirty bytes");
    EXPECT_EQ(extended.fields.album, "Second");
    const std::string bytes = bytesOf(song_);
    ASSERT_GE(bytes.size(), 128u);
    const std::string block = bytes.substr(bytes.size() - 128);
    EXPECT_EQ(block.substr(0, 33), "TAGAnother title longer than thir");
    EXPECT_EQ(block.substr(63, 6), std::string("Second"));
    EXPECT_EQ(readBack()->title, "Another title longer than thirty bytes");
    EXPECT_EQ(item->getAlbum(), "Second");
}

TEST_F(FileInfoDialogTest, EachReasonAFileKeepsItsTagIsAskedAndCancelGoesBackChangingNothing) {
    struct Case {
        std::function<void(const fs::path&)> spoil;
        std::string_view question;
    };
    const std::vector<Case> cases = {
        {[](const fs::path& p) { fs::remove(p); }, app::texts::kTagFileMissing},
        {[](const fs::path& p) { fs::permissions(p, fs::perms(0444)); },
         app::texts::kTagFileReadOnly},
        {[](const fs::path& p) { std::ofstream(p, std::ios::trunc) << "no music at all"; },
         app::texts::kTagFileFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.question));
        writeTagged(song_, "Old", "Amy", "First");
        db().library().clear();
        mdb::MusicItem* item = fileSong();
        ASSERT_NE(item, nullptr);
        c.spoil(song_);
        const std::string bytes = fs::exists(song_) ? bytesOf(song_) : std::string();
        const mdb::MusicInfo record = item->getInfo();
        info::CFileInfoDialog* dialog = openDialog();
        ASSERT_NE(dialog, nullptr);
        dialog->titleEdit().setText("New");

        dialogs_->answers = {false};
        dialog->accept();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->busy(); }));
        ASSERT_EQ(dialogs_->told, std::vector<std::string>{std::string(c.question)});
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(item->getInfo(), record);

        dialogs_->answers = {true};
        ASSERT_TRUE(pressOk(*dialog));
        EXPECT_EQ(item->getTitle(), "New");
        // Newer than the file: the next synchronisation tries the write again.
        EXPECT_GE(item->getModified(), record.modified);
        EXPECT_EQ(fs::exists(song_) ? bytesOf(song_) : std::string(), bytes);
        if (fs::exists(song_)) {
            fs::permissions(song_, fs::perms(0644));
        }
    }
}

TEST_F(FileInfoDialogTest, AWmaFileShowsItsFormatAndTakesTheEdit) {
    song_ = music_ / "song.wma";
    app::ConversionJob job(engine_, "::SLNC500", song_.string(), 16);
    ASSERT_EQ(job.open(), 0u);
    ASSERT_EQ(job.run({}).state, app::ConversionJob::State::Finished);
    mdb::MusicItem* item = fileSong();
    ASSERT_NE(item, nullptr);
    info::CFileInfoDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->information().toPlainText().contains(
        QString::fromUtf8("フォーマット\tWindows Media Audio\n")))
        << dialog->information().toPlainText().toStdString();

    dialog->titleEdit().setText(QString::fromUtf8("夜の歌"));
    dialog->yearEdit().setText("2001");
    ASSERT_TRUE(pressOk(*dialog));
    const auto tag = readBack();
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->title, "夜の歌");
    EXPECT_EQ(tag->year, 2001u);
    EXPECT_EQ(item->getTitle(), "夜の歌");
    EXPECT_EQ(filesIn(music_.path()), 2u);  // beside the fixture's MP3, no temporary
}

TEST_F(FileInfoDialogTest, APlaylistEntryOpensTheDialogOfItsItem) {
    mdb::MusicItem* item = fileSong();
    ASSERT_NE(item, nullptr);
    db().playlists().create("P").insert(0, std::vector<mdb::MusicItem*>{item});
    panel_->selectPlaylist("P");
    panel_->playlistItems().setCurrentIndex(panel_->playlistModel()->index(0, 0));
    info::CFileInfoDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->commentEdit().setText("kept");
    ASSERT_TRUE(pressOk(*dialog));
    EXPECT_EQ(readBack()->comment, "kept");
    EXPECT_EQ(item->getComment(), "kept");
}

TEST_F(FileInfoDialogTest, AFileThatCannotBeReadSaysSo) {
    mdb::MusicItem* item = fileSong();
    ASSERT_NE(item, nullptr);
    std::ofstream(song_, std::ios::trunc) << "no music at all";
    info::CFileInfoDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->information().toPlainText(),
              QString::fromUtf8(info::texts::kUnreadable.data()));
    // Nothing edited: OK closes without a question.
    ASSERT_TRUE(pressOk(*dialog));
    EXPECT_TRUE(dialogs_->told.empty());
}

// Root writes into any folder, so the write runs as an ordinary user then.
TEST_F(FileInfoDialogTest, AWriteIntoAReadOnlyFolderFailsAndLeavesTheFileAsItWas) {
    const fs::path locked = music_ / "locked";
    fs::create_directory(locked);
    const fs::path song = locked / "song.mp3";
    writeTagged(song, "Old", "Amy", "First");
    const std::string before = bytesOf(song);
    fs::permissions(music_.path(), fs::perms::others_exec, fs::perm_options::add);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(song.c_str(), 65534, 65534), 0);
    }
    fs::permissions(locked, fs::perms(0555));
    mdb::TagEdit edit;
    edit.title = "New";
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(2);
        }
        app::StreamTagAccess tags(engine_.catalog());
        ::_exit(app::writeTagToFile(tags, song.string(), edit) == app::TagFileWrite::Failed ? 0
                                                                                            : 3);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    fs::permissions(locked, fs::perms(0755));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(bytesOf(song), before);
    EXPECT_EQ(filesIn(locked), 1u);
    EXPECT_EQ(app::questionFor(app::TagFileWrite::Failed), app::texts::kTagFileFailed);
}

}  // namespace
}  // namespace ui::library
