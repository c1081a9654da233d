// The list/edit panel's commands: menus, adding, deleting, playlists.
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QListView>
#include <QMenu>
#include <QProgressDialog>
#include <QTableView>
#include <array>
#include <filesystem>

#include "app/AppTexts.h"
#include "app/CPlayController.h"
#include "app/MusicFiles.h"
#include "app/PlayerSettings.h"
#include "app/Settings.h"
#include "mdb/Exceptions.h"
#include "mdb/MutableGroup.h"
#include "ui/library/CListPanel.h"
#include "ui/library/LibraryMime.h"
#include "ui/library/LibraryTexts.h"
#include "ui/library/PlaylistNames.h"

namespace ui::library {
namespace {

QString qt(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QAction* addEntry(QMenu& menu, std::string_view text, const QKeySequence& key,
                  std::function<void()> run) {
    QAction* action = menu.addAction(qt(text));
    action->setShortcut(key);
    QObject::connect(action, &QAction::triggered, std::move(run));
    return action;
}

std::string folderOf(const std::string& path) {
    return std::filesystem::path(path).parent_path().string();
}

// The playlist format a chosen file asks for; a name without a known
// extension takes the filter's (0 M3U, 1 PLS) and gets its extension.
int playlistFormat(std::string& path, int filter) {
    try {
        const int format = app::fileFormatFor(path);
        if (format == 1 || format == 2) {
            return format;
        }
    } catch (const std::invalid_argument&) {
    }
    path += filter == 1 ? ".pls" : ".m3u";
    return filter == 1 ? 2 : 1;
}

}  // namespace

std::unique_ptr<QMenu> CListPanel::itemMenu() {
    auto menu = std::make_unique<QMenu>(this);
    addEntry(*menu, texts::kAddFiles, QKeySequence(Qt::CTRL | Qt::Key_O), [this] { addFiles(); });
    addEntry(*menu, texts::kAddFolder, {}, [this] { addFolder(); });
    addEntry(*menu, texts::kDelete, QKeySequence(Qt::Key_Delete), [this] { deleteSelection(); });
    addEntry(*menu, texts::kAddToPlaylist, {}, [this] { addSelectionToPlaylist(); });
    addEntry(*menu, texts::kConvert, {}, [this] {
        convertSelection();
    })->setEnabled(convert_ && canCopy());
    addEntry(*menu, texts::kCopy, QKeySequence(Qt::CTRL | Qt::Key_C), [this] {
        copySelection();
    })->setEnabled(canCopy());
    addEntry(*menu, texts::kPaste, QKeySequence(Qt::CTRL | Qt::Key_V), [this] {
        paste();
    })->setEnabled(canPaste());
    addEntry(*menu, texts::kSync, {}, [this] { synchronizeLibrary(); });
    addEntry(*menu, texts::kProperties, QKeySequence(Qt::ALT | Qt::Key_Return),
             [this] { editProperties(); });
    return menu;
}

std::unique_ptr<QMenu> CListPanel::playlistMenu() {
    auto menu = std::make_unique<QMenu>(this);
    addEntry(*menu, texts::kNewPlaylist, {}, [this] { newPlaylist(); });
    addEntry(*menu, texts::kRename, {}, [this] { renamePlaylist(); });
    addEntry(*menu, texts::kDelete, QKeySequence(Qt::Key_Delete), [this] { deletePlaylists(); });
    addEntry(*menu, texts::kImport, {}, [this] { importPlaylist(); });
    addEntry(*menu, texts::kExport, {}, [this] { exportPlaylist(); });
    addEntry(*menu, texts::kProperties, QKeySequence(Qt::ALT | Qt::Key_Return),
             [this] { editProperties(); });
    return menu;
}

std::unique_ptr<QMenu> CListPanel::groupMenu() {
    auto menu = std::make_unique<QMenu>(this);
    addEntry(*menu, texts::kSearch, QKeySequence(Qt::CTRL | Qt::Key_F),
             [this] { searchLibrary(); });
    addEntry(*menu, texts::kProperties, QKeySequence(Qt::ALT | Qt::Key_Return),
             [this] { editProperties(); });
    return menu;
}

std::unique_ptr<QMenu> CListPanel::editMenu() {
    std::unique_ptr<QMenu> menu = itemMenu();
    const std::array<std::unique_ptr<QMenu>, 2> parts{playlistMenu(), groupMenu()};
    for (const std::unique_ptr<QMenu>& part : parts) {
        menu->addSeparator();
        for (QAction* action : part->actions()) {
            action->setParent(menu.get());
            menu->addAction(action);
        }
    }
    return menu;
}

void CListPanel::copySelection() {
    if (!db_) {
        return;
    }
    QTableView& table = activeItems();
    const std::unique_ptr<QMimeData> dragged(
        table.model()->mimeData(table.selectionModel()->selectedRows()));
    if (!dragged) {
        return;
    }
    // Items by path and as files only: a playlist's entry numbers would
    // name other items once the playlist changes before the paste.
    auto copied = std::make_unique<QMimeData>();
    for (const char* type : {mime::kItemList, mime::kUriList}) {
        const QString format = QString::fromLatin1(type);
        copied->setData(format, dragged->data(format));
    }
    QGuiApplication::clipboard()->setMimeData(copied.release());  // the clipboard owns it
}

void CListPanel::paste() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!db_ || data == nullptr) {
        return;
    }
    if (showsPlaylists()) {
        const QModelIndex current = playlistItems_->currentIndex();
        playlistModel_->dropMimeData(data, Qt::CopyAction, current.isValid() ? current.row() : -1,
                                     0, {});
    } else if (!mime::hasDatabaseFormat(*data)) {
        addPaths(mime::localPaths(*data));  // the library's own items are in it already
    }
}

// Copying (and converting) needs a selected item of the side shown.
bool CListPanel::canCopy() const {
    const QItemSelectionModel* selection = activeItems().selectionModel();
    return db_ != nullptr && selection != nullptr && selection->hasSelection();
}

// The side shown takes what paste() would give it: a playlist any items,
// the library files from outside only.
bool CListPanel::canPaste() const {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!db_ || data == nullptr) {
        return false;
    }
    if (showsPlaylists()) {
        return playlistModel_->canDropMimeData(data, Qt::CopyAction, -1, 0, {});
    }
    return !mime::hasDatabaseFormat(*data) && !mime::localPaths(*data).empty();
}

void CListPanel::convertSelection() {
    if (!db_ || !convert_) {
        return;
    }
    std::vector<std::string> paths;
    {
        const std::vector<mdb::MusicItem*> items = itemsOf(activeItems());
        auto guard = db_->lock();
        for (const mdb::MusicItem* item : items) {
            paths.push_back(item->pathRef());
        }
    }
    if (!paths.empty()) {
        convert_(paths);
    }
}

void CListPanel::setCdrHooks(CdrHandOff::Hooks hooks) {
    cdr_ = std::make_unique<CdrHandOff>(settings_, *dialogs_, std::move(hooks));
}

// Only with a playlist selected in a list that has some.
void CListPanel::writeCdr() {
    const mdb::MutableGroup* playlist = selectedPlaylist();
    if (!cdr_ || playlist == nullptr || playlistListModel_->rowCount() == 0 ||
        !playlistView_->currentIndex().isValid()) {
        return;
    }
    std::vector<std::string> files;
    {
        auto guard = db_->lock();
        for (size_t i = 0; i < playlist->count(); ++i) {
            files.push_back(playlist->itemAt(i)->pathRef());
        }
    }
    cdr_->start(*playlist, files);
}

void CListPanel::playRow(int row) {
    if (row < 0) {
        return;
    }
    QTableView& table = activeItems();
    table.setCurrentIndex(table.model()->index(row, 0));
    player_.FollowListPanel(true);
    player_.Play();
}

void CListPanel::editProperties() {
    if (!db_ || infoDialog_) {
        return;
    }
    QTableView& table = activeItems();
    const QModelIndex current = table.currentIndex();
    const std::vector<int> rows = selectedRows(table);
    const int row = current.isValid() ? current.row() : rows.empty() ? -1 : rows.front();
    mdb::MusicItem* item = nullptr;
    {
        auto guard = db_->lock();
        item = static_cast<ItemListModel*>(table.model())->itemAt(row);
    }
    if (item == nullptr) {
        return;
    }
    infoDialog_ = new ui::info::CFileInfoDialog(*db_, *item, tags_, *dialogs_, this);
    infoDialog_->setAttribute(Qt::WA_DeleteOnClose);
    infoDialog_->open();
}

void CListPanel::searchLibrary() {
    if (!db_) {
        return;
    }
    if (!searchDialog_) {
        searchDialog_ = new CSearchDialog(*db_, *this, settings_, *dialogs_);
        searchDialog_->setAttribute(Qt::WA_DeleteOnClose);
    }
    searchDialog_->show();
    searchDialog_->raise();
    searchDialog_->activateWindow();
}

void CListPanel::showHit(const mdb::Group* list, size_t row) {
    const bool libraryShown = !showsPlaylists() && libraryModel_->showsLibrary();
    if (list == nullptr && !libraryShown) {
        showPlaylistSide(false);
        setShowMode(0);
    }
    QTableView& table = activeItems();
    const QModelIndex index = table.model()->index(int(row), 0);
    if (!index.isValid()) {
        return;
    }
    table.selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    table.scrollTo(index);
}

std::vector<int> CListPanel::selectedRows(const QTableView& table) const {
    std::vector<int> rows;
    if (table.selectionModel() == nullptr) {
        return rows;
    }
    for (const QModelIndex& index : table.selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::vector<mdb::MusicItem*> CListPanel::itemsOf(const QTableView& table) const {
    auto* model = static_cast<ItemListModel*>(table.model());
    std::vector<mdb::MusicItem*> items;
    auto guard = db_->lock();
    for (int row : selectedRows(table)) {
        if (mdb::MusicItem* item = model->itemAt(row)) {
            items.push_back(item);
        }
    }
    return items;
}

std::vector<std::string> CListPanel::selectedPlaylistNames() const {
    std::vector<std::string> names;
    if (playlistView_->selectionModel() == nullptr) {
        return names;
    }
    for (const QModelIndex& index : playlistView_->selectionModel()->selectedIndexes()) {
        names.push_back(playlistListModel_->nameAt(index.row()));
    }
    return names;
}

mdb::MutableGroup* CListPanel::selectedPlaylist() const {
    return db_ != nullptr ? playlistModel_->playlist() : nullptr;
}

void CListPanel::deleteSelection() {
    if (!db_) {
        return;
    }
    if (showsPlaylists() && playlistView_->hasFocus()) {
        deletePlaylists();
    } else {
        deleteItems(activeItems());
    }
}

// Playlist entries go without a question: only references are dropped.
void CListPanel::deleteItems(QTableView& table) {
    const std::vector<int> rows = selectedRows(table);
    auto* model = static_cast<ItemListModel*>(table.model());
    if (rows.empty()) {
        return;
    }
    if (mdb::MutableGroup* playlist = model->playlist()) {
        playlist->removeAt(std::vector<size_t>(rows.begin(), rows.end()));
        return;
    }
    if (!dialogs_->askOkCancel(texts::kDeleteItemsQuestion)) {
        return;
    }
    const std::vector<mdb::MusicItem*> items = itemsOf(table);
    auto guard = db_->lock();
    for (mdb::MusicItem* item : items) {
        db_->library().remove(item);
    }
    db_->flushAll();
}

void CListPanel::deletePlaylists() {
    const std::vector<std::string> names = selectedPlaylistNames();
    if (names.empty() || !dialogs_->askOkCancel(texts::kDeletePlaylistsQuestion)) {
        return;
    }
    auto guard = db_->lock();
    db_->playlists().remove(names);
}

void CListPanel::newPlaylist() {
    if (!db_) {
        return;
    }
    std::string name;
    {
        auto guard = db_->lock();
        name = freePlaylistName(db_->playlists(), app::texts::kNewPlaylist);
        db_->playlists().create(name);
    }
    selectPlaylist(name);
}

void CListPanel::renamePlaylist() {
    showPlaylistSide(true);
    const QModelIndex current = playlistView_->currentIndex();
    if (current.isValid()) {
        playlistView_->edit(current);
    }
}

void CListPanel::addItemsTo(const std::vector<mdb::MusicItem*>& items, const std::string& name,
                            int row) {
    auto guard = db_->lock();
    try {
        mdb::MutableGroup& playlist = db_->playlists().get(name);
        const size_t at =
            row < 0 || size_t(row) > playlist.count() ? playlist.count() : size_t(row);
        playlist.insert(at, items);
    } catch (const mdb::NotFoundException&) {
        // Deleted while the files were read: they stay in the library.
    }
}

void CListPanel::addSelectionToPlaylist() {
    if (!db_) {
        return;
    }
    const std::vector<mdb::MusicItem*> items = itemsOf(activeItems());
    if (!items.empty()) {
        choosePlaylistFor(items);
    }
}

void CListPanel::choosePlaylistFor(const std::vector<mdb::MusicItem*>& items) {
    std::vector<std::string> names;
    {
        auto guard = db_->lock();
        names = db_->playlists().getNames();
    }
    const auto choice = dialogs_->choosePlaylist(names);
    if (!choice) {
        return;
    }
    const std::string name = withoutTrailingBlanks(choice->name);
    if (name.empty()) {
        dialogs_->tellStop(texts::kEnterPlaylistName);
        return;
    }
    const bool exists = std::find(names.begin(), names.end(), name) != names.end();
    if (choice->isNew && exists && !dialogs_->askOkCancel(texts::kAddToExisting)) {
        return;
    }
    if (!exists) {
        try {
            auto guard = db_->lock();
            db_->playlists().create(name);
        } catch (const std::invalid_argument&) {
            dialogs_->tellStop(texts::kPlaylistNameUnusable);
            return;
        }
    }
    addItemsTo(items, name, -1);
}

void CListPanel::moveSelection(int step) {
    mdb::MutableGroup* playlist = selectedPlaylist();
    const std::vector<int> rows = selectedRows(*playlistItems_);
    if (!showsPlaylists() || playlist == nullptr || rows.empty()) {
        return;
    }
    const int count = playlistModel_->rowCount();
    if ((step < 0 && rows.front() == 0) || (step > 0 && rows.back() == count - 1)) {
        return;
    }
    // The target counts before the move: the block lands in front of it.
    const int target = step < 0 ? rows.front() - 1 : std::min(rows.back() + 2, count);
    playlist->move(std::vector<size_t>(rows.begin(), rows.end()), size_t(target));
    QItemSelection moved;
    const int first = step < 0 ? target : target - int(rows.size());
    moved.select(playlistModel_->index(first, 0),
                 playlistModel_->index(first + int(rows.size()) - 1, 0));
    playlistItems_->selectionModel()->select(
        moved, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    playlistItems_->selectionModel()->setCurrentIndex(playlistModel_->index(first, 0),
                                                      QItemSelectionModel::NoUpdate);
}

void CListPanel::addFiles() {
    const auto choice = dialogs_->chooseMusicFiles(settings_.read(app::settings::kInputFilePath),
                                                   settings_.read(app::settings::kInputFileType));
    if (!choice || choice->paths.empty()) {
        return;
    }
    settings_.write(app::settings::kInputFilePath, folderOf(choice->paths.front()));
    settings_.write(app::settings::kInputFileType, choice->filter);
    addPaths(choice->paths);
}

void CListPanel::addFolder() {
    const auto folder = dialogs_->chooseFolder(settings_.read(app::settings::kInputFilePath));
    if (!folder) {
        return;
    }
    settings_.write(app::settings::kInputFilePath, *folder);
    addPaths({*folder});
}

void CListPanel::addPaths(std::vector<std::string> paths, const std::string& playlist, int row) {
    if (!db_ || paths.empty()) {
        return;
    }
    if (!adder_) {
        adder_ = std::make_unique<FileAdder>(*db_, tags_, extensions_);
    }
    if (busy()) {
        return;  // one run at a time: the dialog is up and says so
    }
    showProgress(texts::kAdding, [this] { adder_->cancel(); });
    adder_->start(
        std::move(paths),
        [this](size_t done, size_t total) {
            progress_->setMaximum(int(total));
            progress_->setValue(int(done));
        },
        [this, playlist, row](const FileAdder::Result& result) {
            filesAdded(result, playlist, row);
        });
}

void CListPanel::synchronizeLibrary() {
    if (!db_ || busy() || !dialogs_->askOkCancel(texts::kSyncQuestion)) {
        return;
    }
    if (!sync_) {
        sync_ = std::make_unique<LibrarySync>(*db_, tags_);
    }
    showProgress(texts::kSyncing, [this] { sync_->cancel(); });
    sync_->start(
        [this](size_t done, size_t total) {
            progress_->setMaximum(int(total));
            progress_->setValue(int(done));
        },
        [this](const LibrarySync::Result&) { progress_.reset(); });
}

// Adding and synchronising both change the library: one at a time.
bool CListPanel::busy() const {
    return (adder_ && adder_->running()) || (sync_ && sync_->running());
}

void CListPanel::showProgress(std::string_view label, std::function<void()> cancel) {
    progress_ = std::make_unique<QProgressDialog>(qt(label), qt(texts::kCancel), 0, 0, this);
    progress_->setWindowModality(Qt::NonModal);
    progress_->setMinimumDuration(300);
    connect(progress_.get(), &QProgressDialog::canceled, this, std::move(cancel));
}

void CListPanel::filesAdded(const FileAdder::Result& result, const std::string& playlist, int row) {
    progress_.reset();
    if (!playlist.empty() && !result.added.empty()) {
        addItemsTo(result.added, playlist, row);
    }
    if (result.failed > 0) {
        dialogs_->tell(texts::kSomeFilesNotAdded);
    }
}

void CListPanel::importPlaylist() {
    if (!db_) {
        return;
    }
    const auto choice = dialogs_->chooseImportFile(settings_.read(app::settings::kInputFilePath),
                                                   settings_.read(app::settings::kInportType));
    if (!choice || choice->paths.empty()) {
        return;
    }
    std::string path = choice->paths.front();
    settings_.write(app::settings::kInputFilePath, folderOf(path));
    settings_.write(app::settings::kInportType, choice->filter);
    const int format = playlistFormat(path, choice->filter);
    std::vector<std::string> notFiled;
    std::vector<std::string> failed;
    std::string name;
    try {
        auto guard = db_->lock();
        // The files come into the library first, so the playlist finds them.
        db_->library().importAppending(path, format, notFiled);
        name = freePlaylistName(
            db_->playlists(),
            QFileInfo(QString::fromStdString(path)).completeBaseName().toStdString());
        db_->playlists().create(name).importAppending(path, format, failed);
    } catch (const std::exception& failure) {
        dialogs_->tell(failure.what());
        return;
    }
    selectPlaylist(name);
    if (!notFiled.empty() || !failed.empty()) {
        dialogs_->tell(texts::kSomeFilesNotAdded);
    }
}

void CListPanel::exportPlaylist() {
    mdb::MutableGroup* playlist = selectedPlaylist();
    if (playlist == nullptr) {
        return;
    }
    const int filter = settings_.read(app::settings::kInportType);
    const auto choice =
        dialogs_->chooseExportFile(settings_.read(app::settings::kExportFilePath),
                                   playlist->getName() + (filter == 1 ? ".pls" : ".m3u"), filter);
    if (!choice || choice->paths.empty()) {
        return;
    }
    std::string path = choice->paths.front();
    settings_.write(app::settings::kExportFilePath, folderOf(path));
    settings_.write(app::settings::kInportType, choice->filter);
    const int format = playlistFormat(path, choice->filter);
    try {
        playlist->exportTo(path, format);
    } catch (const std::exception&) {
        dialogs_->tell(texts::kExportFailed);
    }
}

}  // namespace ui::library
