#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <string>
#include <vector>

#include "mdb/MusicDatabase.h"

namespace ui::library {

// Files dropped from a file manager: the panel adds them to the library
// (off the UI thread) and, when `playlist` is set, inserts them there at
// `row` (-1: at the end).
struct FilesDrop {
    std::vector<std::string> paths;
    mdb::MutableGroup* playlist = nullptr;
    int row = -1;
};
using FilesDropHandler = std::function<void(const FilesDrop&)>;

// The item list of the library, of one automatic group or of one playlist,
// read straight from the database container: rows are its positions and
// texts are fetched when the view asks. Database notifications become
// model signals; the model's own edits announce their exact rows.
class ItemListModel : public QAbstractTableModel, private mdb::ChangeListener {
  public:
    // True for the item being played.
    static constexpr int kPlayingRole = Qt::UserRole + 1;

    explicit ItemListModel(mdb::MusicDatabase& db, QObject* parent = nullptr);
    ~ItemListModel() override;

    void showLibrary();
    void showGroup(mdb::Group& group);
    void showPlaylist(mdb::MutableGroup& playlist);
    void showNothing();
    mdb::MutableGroup* playlist() const { return playlist_; }
    // The group or playlist shown; null for the library or nothing.
    mdb::Group* group() const { return group_; }
    bool showsLibrary() const { return library_ != nullptr; }

    void setPlayingItem(const mdb::MusicItem* item);
    mdb::MusicItem* itemAt(int row) const;
    void setFilesDropHandler(FilesDropHandler handler) { onFilesDrop_ = std::move(handler); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Reorders the container itself by the column's field (the database's
    // sort, which marks the list modified).
    void sort(int column, Qt::SortOrder order) override;

    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDropActions() const override;
    Qt::DropActions supportedDragActions() const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

  private:
    void onChange(const mdb::ChangeEvent& event) override;
    void attach(mdb::ChangeNotifier* source);
    void detach();
    size_t sourceCount() const;
    std::vector<size_t> rowsOf(const QModelIndexList& indexes) const;
    bool dropIntoPlaylist(const QMimeData& data, Qt::DropAction action, int row);
    void insertIntoPlaylist(const std::vector<mdb::MusicItem*>& items, int row);
    void movePlaylistEntries(const std::vector<size_t>& rows, int row);

    mdb::MusicDatabase& db_;
    mdb::ChangeNotifier* source_ = nullptr;
    mdb::MusicItemList* library_ = nullptr;
    mdb::Group* group_ = nullptr;
    mdb::MutableGroup* playlist_ = nullptr;
    // The row count the view was last told, so that signals name the rows
    // before and after a change the database already made.
    int rows_ = 0;
    // Set while the model edits the database itself and signals the rows.
    bool editing_ = false;
    const mdb::MusicItem* playing_ = nullptr;
    FilesDropHandler onFilesDrop_;
};

}  // namespace ui::library
