#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/PlayerPanels.h"
#include "app/StreamTagAccess.h"
#include "ui/info/CFileInfoDialog.h"
#include "ui/library/CSearchDialog.h"
#include "ui/library/CdrHandOff.h"
#include "ui/library/FileAdder.h"
#include "ui/library/GroupListModel.h"
#include "ui/library/ItemListModel.h"
#include "ui/library/LibrarySync.h"
#include "ui/library/PanelDialogs.h"
#include "ui/library/PanelSkin.h"

class QListView;
class QMenu;
class QProgressDialog;
class QSplitter;
class QStackedWidget;
class QTableView;
class QToolButton;

namespace app {
class CPlayController;
class PlayerSettings;
}  // namespace app

namespace ui::library {

class SkinnedButton;

// The list/edit panel ("List/Edit"): the library side (group view and item
// list) and the playlist side (playlists and the items of the selected
// one) behind two tabs, in a normal decorated window. Its tabs, buttons and
// bars are drawn from the current skin's panel pieces. The player plays its
// selected list; it keeps its view and layout in the settings when it goes.
class CListPanel : public QWidget, public app::PlayerListPanel {
  public:
    // The view kind of the playlist side; the library side's kind is its
    // show mode (0 all, 1 artist, 2 album, 3 genre).
    static constexpr int32_t kPlaylistKind = 4;

    // `tags` reads the files being added on the worker thread; `dialogs`
    // answers for the user (Qt dialogs when null).
    CListPanel(app::PlayerSettings& settings, app::CPlayController& player,
               std::shared_ptr<app::StreamTagAccess> tags, std::vector<std::string> extensions,
               std::unique_ptr<PanelDialogs> dialogs = nullptr);
    ~CListPanel() override;

    // The library once it has loaded; until then the panel is empty.
    void attach(mdb::MusicDatabase& db);
    bool attached() const { return db_ != nullptr; }
    // Show mode 0..3, the group of that mode and the playlist by name.
    void restoreView(int showMode, const std::string& libraryName, const std::string& playlistName);
    // Shows the playlist side with that playlist selected.
    void selectPlaylist(const std::string& name);
    // Shown without being activated: where it was, else beside `player`,
    // always on a screen.
    void showBeside(const QRect& player);
    // The skin the tabs and buttons are drawn from; read when next shown,
    // or at once while shown.
    void setSkinFolder(const std::filesystem::path& folder);
    PanelSkin& skin() { return skin_; }
    // The tab or button drawn from `piece`; null for the captions and bars.
    SkinnedButton* skinnedButton(PanelPiece piece) const { return buttons_[size_t(piece)]; }

    int showMode() const { return showMode_; }
    void setShowMode(int mode);
    bool showsPlaylists() const;
    void showPlaylistSide(bool playlists);

    // Files and folders into the library on the worker; with a playlist
    // name the added items go there at `row` (-1: the end).
    void addPaths(std::vector<std::string> paths, const std::string& playlist = {}, int row = -1);
    const FileAdder* adder() const { return adder_.get(); }
    // Asks, then brings the library's records in step with the files on
    // the worker.
    void synchronizeLibrary();
    const LibrarySync* sync() const { return sync_.get(); }
    QProgressDialog* progress() const { return progress_.get(); }

    // The commands of the buttons, keys and menus.
    void addFiles();
    void addFolder();
    // The focused side's selection: playlists, playlist entries or
    // library items.
    void deleteSelection();
    void deletePlaylists();
    void addSelectionToPlaylist();
    void newPlaylist();
    void renamePlaylist();
    void importPlaylist();
    void exportPlaylist();
    void moveSelection(int step);
    // The selected items of the side shown onto the clipboard, as drag
    // gives them; pasting inserts them into the playlist shown before its
    // current item, or files from a file manager into the library.
    void copySelection();
    void paste();
    // The conversion command hands the files of the selected items to
    // `target` (the recording panel); without one the command is disabled.
    using ConversionTarget = std::function<void(const std::vector<std::string>& paths)>;
    void setConversionTarget(ConversionTarget target) { convert_ = std::move(target); }
    void convertSelection();
    // "CD-Rライティング" (Alt+5): the selected playlist to the CD writing
    // program; it does nothing before the hooks are set.
    void setCdrHooks(CdrHandOff::Hooks hooks);
    void writeCdr();
    const CdrHandOff* cdrHandOff() const { return cdr_.get(); }
    void playRow(int row);
    // The file information dialog for the current item of the side shown.
    void editProperties();
    // The library search dialog, one at a time beside the panel.
    void searchLibrary();
    ui::info::CFileInfoDialog* infoDialog() const { return infoDialog_; }
    CSearchDialog* searchDialog() const { return searchDialog_; }
    // Selects row `row` of `list` (null: the library, shown for it).
    void showHit(const mdb::Group* list, size_t row);
    // Asks for a playlist and adds the items to it.
    void choosePlaylistFor(const std::vector<mdb::MusicItem*>& items);
    std::unique_ptr<QMenu> itemMenu();
    std::unique_ptr<QMenu> playlistMenu();
    std::unique_ptr<QMenu> groupMenu();
    std::unique_ptr<QMenu> editMenu();

    QListView& groupView() const { return *groupView_; }
    QTableView& libraryItems() const { return *libraryItems_; }
    QListView& playlistView() const { return *playlistView_; }
    QTableView& playlistItems() const { return *playlistItems_; }
    ItemListModel* libraryModel() const { return libraryModel_.get(); }
    ItemListModel* playlistModel() const { return playlistModel_.get(); }

    // app::PlayerListPanel
    int32_t ViewKind() const override;
    mdb::Group* CurrentList() const override;
    int32_t SelectedIndex() const override;
    void ShowPlaying(mdb::Group* list, int32_t index) override;
    void ShowOpenPath(const std::string& path) override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QWidget* buildTabBar();
    SkinnedButton* addSkinned(QLayout& layout, PanelPiece piece, std::string_view tip,
                              const QString& text);
    void applySkin();
    QWidget* buildLibrarySide();
    QWidget* buildPlaylistSide();
    QTableView* buildItemTable();
    void addShortcuts();
    void connectViews();
    void restoreLayout();
    void saveSettings();
    void showGroupRow(int row);
    void showPlaylistRow(int row);
    void markPlaying();
    void sortBy(QTableView& table, int column);
    QTableView& activeItems() const;
    std::vector<int> selectedRows(const QTableView& table) const;
    std::vector<std::string> selectedPlaylistNames() const;
    mdb::MutableGroup* selectedPlaylist() const;
    void deleteItems(QTableView& table);
    void addItemsTo(const std::vector<mdb::MusicItem*>& items, const std::string& name, int row);
    bool busy() const;
    void showProgress(std::string_view label, std::function<void()> cancel);
    void filesAdded(const FileAdder::Result& result, const std::string& playlist, int row);
    void selectRow(QListView& view, int row);
    std::vector<mdb::MusicItem*> itemsOf(const QTableView& table) const;
    bool canCopy() const;
    bool canPaste() const;

    app::PlayerSettings& settings_;
    app::CPlayController& player_;
    std::shared_ptr<app::StreamTagAccess> tags_;
    std::vector<std::string> extensions_;
    std::unique_ptr<PanelDialogs> dialogs_;
    mdb::MusicDatabase* db_ = nullptr;
    int showMode_ = 0;
    mdb::Group* playingList_ = nullptr;
    const mdb::MusicItem* playingItem_ = nullptr;

    PanelSkin skin_;
    bool skinApplied_ = false;  // the colours of the skin set
    std::array<SkinnedButton*, size_t(PanelPiece::Count)> buttons_{};
    QStackedWidget* sides_ = nullptr;
    QWidget* content_ = nullptr;  // in the skin's colours
    QSplitter* librarySplit_ = nullptr;
    QSplitter* playlistSplit_ = nullptr;
    QListView* groupView_ = nullptr;
    QTableView* libraryItems_ = nullptr;
    QListView* playlistView_ = nullptr;
    QTableView* playlistItems_ = nullptr;
    std::vector<QToolButton*> modeButtons_;
    std::unique_ptr<GroupListModel> groupModel_;
    std::unique_ptr<ItemListModel> libraryModel_;
    std::unique_ptr<GroupListModel> playlistListModel_;
    std::unique_ptr<ItemListModel> playlistModel_;
    std::unique_ptr<QProgressDialog> progress_;
    QPointer<ui::info::CFileInfoDialog> infoDialog_;
    QPointer<CSearchDialog> searchDialog_;
    ConversionTarget convert_;
    std::unique_ptr<CdrHandOff> cdr_;
    std::unique_ptr<LibrarySync> sync_;  // after the models it fills: goes first
    std::unique_ptr<FileAdder> adder_;   // likewise
};

}  // namespace ui::library
