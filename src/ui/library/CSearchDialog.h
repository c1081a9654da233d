#pragma once

#include <QDialog>
#include <array>

#include "app/LibrarySearch.h"
#include "app/PlayerSettings.h"
#include "mdb/MusicDatabase.h"
#include "ui/library/PanelDialogs.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace ui::library {

class CListPanel;

// "ライブラリ検索": finds library items whose text fields contain a text,
// optionally of one genre, in the panel's list or the whole library. Each
// Search selects the next hit in the panel; in the add-to-playlist mode
// all hits go to a playlist the user picks. The unchecked fields are kept
// in "SearchMask".
class CSearchDialog : public QDialog {
  public:
    CSearchDialog(mdb::MusicDatabase& db, CListPanel& panel, app::PlayerSettings& settings,
                  PanelDialogs& dialogs);
    ~CSearchDialog() override;

    QLineEdit& textEdit() const { return *text_; }
    QComboBox& genreBox() const { return *genre_; }
    // Title, artist, album, comment, file name.
    QCheckBox& fieldBox(size_t which) const { return *fieldBoxes_[which]; }
    QRadioButton& currentGroupButton() const { return *current_; }
    QRadioButton& libraryButton() const { return *library_; }
    QCheckBox& toPlaylistBox() const { return *toPlaylist_; }
    QPushButton& searchButton() const { return *search_; }

    void search();

  private:
    QWidget* buildFields();
    QWidget* buildScope();
    void fillGenres();
    void fieldClicked(QCheckBox* box);
    uint32_t checkedFields() const;
    app::LibrarySearch::Query query() const;
    void findNext(const app::LibrarySearch::Query& query);
    void addHits(const app::LibrarySearch::Query& query);
    void notFound();

    mdb::MusicDatabase& db_;
    CListPanel& panel_;
    app::PlayerSettings& settings_;
    PanelDialogs& dialogs_;
    app::LibrarySearch state_;

    QLineEdit* text_ = nullptr;
    QComboBox* genre_ = nullptr;
    std::array<QCheckBox*, 5> fieldBoxes_{};
    QRadioButton* current_ = nullptr;
    QRadioButton* library_ = nullptr;
    QCheckBox* toPlaylist_ = nullptr;
    QPushButton* search_ = nullptr;
};

}  // namespace ui::library
