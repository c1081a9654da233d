#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "PanelFixture.h"
#include "ui/library/CSearchDialog.h"

namespace ui::library {
namespace {

enum Box { kTitle = 0, kArtist, kAlbum, kComment, kFileName };

mdb::MusicInfo record(std::string title, std::string artist, std::string album, std::string comment,
                      std::string path, uint32_t genre = 17) {
    mdb::MusicInfo info;
    info.title = std::move(title);
    info.artist = std::move(artist);
    info.album = std::move(album);
    info.comment = std::move(comment);
    info.path = std::move(path);
    info.genre = genre;
    return info;
}

// A library where "love" stands in each searchable field of one item.
class SearchDialogTest : public ListPanelTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(started_);
        for (const mdb::MusicInfo& info : {
                 record("Rain", "Amy", "First", "", "/m/rain.mp3"),
                 record("LOVE me", "Amy", "First", "", "/m/a.mp3"),
                 record("Night", "Bob", "Endless Love", "", "/m/b.mp3"),
                 record("Sun", "Lovers", "Third", "", "/m/c.mp3"),
                 record("Sea", "Bob", "Fourth", "with love", "/m/d.mp3"),
                 record("Sky", "Cy", "Fifth", "", "/m/beLoved.mp3", 20),
             }) {
            db().library().add(info, false);
        }
        db().flushAll();
        panel_ = scriptedPanel(dialogs_);
        panel_->searchLibrary();
        dialog_ = panel_->searchDialog();
        ASSERT_NE(dialog_, nullptr);
    }

    // Presses Search; the title of the row selected, or what was said.
    std::string press() {
        dialogs_->told.clear();
        dialog_->searchButton().click();
        if (!dialogs_->told.empty()) {
            return dialogs_->told.back();
        }
        const QModelIndex current = panel_->libraryItems().currentIndex();
        const mdb::MusicItem* item = panel_->libraryModel()->itemAt(current.row());
        return item ? item->getTitle() : std::string();
    }

    ScriptedDialogs* dialogs_ = nullptr;
    std::unique_ptr<CListPanel> panel_;
    CSearchDialog* dialog_ = nullptr;
};

TEST_F(SearchDialogTest, EachSearchFindsTheNextHitInListOrderThenStartsOver) {
    EXPECT_FALSE(dialog_->searchButton().isEnabled());
    dialog_->libraryButton().setChecked(true);
    dialog_->textEdit().setText("love  ");
    EXPECT_TRUE(dialog_->searchButton().isEnabled());
    std::vector<std::string> found;
    for (int i = 0; i < 7; ++i) {
        found.push_back(press());
    }
    const std::string none(texts::kNotFound);
    EXPECT_EQ(found,
              (std::vector<std::string>{"LOVE me", "Night", "Sun", "Sea", "Sky", none, "LOVE me"}));
    // A changed text starts again at the first item.
    EXPECT_EQ(press(), "Night");
    dialog_->textEdit().setText("lov");
    EXPECT_EQ(press(), "LOVE me");
    // So does a changed field choice.
    dialog_->fieldBox(kTitle).setChecked(false);
    EXPECT_EQ(press(), "Night");
    EXPECT_EQ(press(), "Sun");
}

TEST_F(SearchDialogTest, AChosenGenreLeavesOtherGenresOutAndTheGroupShownLimitsTheSearch) {
    dialog_->textEdit().setText("love");
    dialog_->libraryButton().setChecked(true);
    dialog_->genreBox().setCurrentIndex(dialog_->genreBox().findData(20));
    EXPECT_EQ(press(), "Sky");
    EXPECT_EQ(press(), texts::kNotFound);
    EXPECT_EQ(dialog_->genreBox().itemText(0), QString::fromUtf8(texts::kAllGenres.data()));

    // The artist Bob shown: its two items are searched, rows counted in it.
    dialog_->genreBox().setCurrentIndex(0);
    dialog_->currentGroupButton().setChecked(true);
    panel_->setShowMode(1);
    panel_->groupView().setCurrentIndex(panel_->groupView().model()->index(1, 0));
    ASSERT_EQ(panel_->libraryModel()->rowCount(), 2);
    EXPECT_EQ(press(), "Night");
    EXPECT_EQ(press(), "Sea");
    EXPECT_EQ(press(), texts::kNotFound);
    // The whole library from that view: the panel shows all items for it.
    dialog_->libraryButton().setChecked(true);
    EXPECT_EQ(press(), "LOVE me");
    EXPECT_EQ(panel_->showMode(), 0);
}

TEST_F(SearchDialogTest, TheFieldChoiceIsKeptInSearchMaskAndOneFieldAlwaysStays) {
    panel_.reset();
    playerSettings_.write(app::settings::kSearchMask, 34);
    panel_ = scriptedPanel(dialogs_);
    panel_->searchLibrary();
    CSearchDialog* dialog = panel_->searchDialog();
    EXPECT_FALSE(dialog->fieldBox(kTitle).isChecked());
    EXPECT_TRUE(dialog->fieldBox(kArtist).isChecked());
    EXPECT_TRUE(dialog->fieldBox(kAlbum).isChecked());
    EXPECT_FALSE(dialog->fieldBox(kComment).isChecked());
    EXPECT_TRUE(dialog->fieldBox(kFileName).isChecked());

    dialog->fieldBox(kArtist).click();
    dialog->fieldBox(kAlbum).click();
    dialog->fieldBox(kFileName).click();
    EXPECT_EQ(dialogs_->told, std::vector<std::string>{std::string(texts::kChooseOneField)});
    EXPECT_TRUE(dialog->fieldBox(kFileName).isChecked());
    dialog->close();  // deleted on close
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel_->searchDialog() == nullptr; }));
    EXPECT_EQ(playerSettings_.read(app::settings::kSearchMask), 2 + 4 + 8 + 32);
}

TEST_F(SearchDialogTest, TheHitsGoToTheChosenPlaylistInListOrder) {
    dialog_->libraryButton().setChecked(true);
    dialog_->toPlaylistBox().setChecked(true);
    dialog_->textEdit().setText("nothing like it");
    EXPECT_EQ(press(), texts::kNotFound);

    dialog_->textEdit().setText("LOVE");
    dialogs_->playlist = PanelDialogs::PlaylistChoice{"Loved", true};
    dialog_->searchButton().click();
    const mdb::MutableGroup& loved = db().playlists().get("Loved");
    std::vector<std::string> titles;
    for (size_t i = 0; i < loved.count(); ++i) {
        titles.push_back(loved.itemAt(i)->getTitle());
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"LOVE me", "Night", "Sun", "Sea", "Sky"}));
}

}  // namespace
}  // namespace ui::library
