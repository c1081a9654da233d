#pragma once

#include <QAbstractListModel>
#include <functional>
#include <string>
#include <vector>

#include "mdb/MusicDatabase.h"
#include "ui/library/ItemListModel.h"

namespace ui::library {

// The group view of the library side (all items, by artist, album or
// genre) or the playlist list of the playlist side. Only the names are
// held (there are few groups beside the items); they follow the group
// list's notifications row by row, so a selection survives new groups.
class GroupListModel : public QAbstractListModel, private mdb::ChangeListener {
  public:
    enum class Mode { All = 0, Artist = 1, Album = 2, Genre = 3, Playlists = 4 };
    // Tells why a rename was refused; the panel shows it with a stop icon.
    using RefusalHandler = std::function<void(std::string_view message)>;

    GroupListModel(mdb::MusicDatabase& db, Mode mode, QObject* parent = nullptr);
    ~GroupListModel() override;

    void setMode(Mode mode);
    Mode mode() const { return mode_; }
    std::string nameAt(int row) const;
    // The row of a name, or -1.
    int rowOf(const std::string& name) const;
    // The container the item list shows for a row: the library, a group or
    // a playlist; nothing for a row that is gone.
    void showRowIn(int row, ItemListModel& items) const;

    void setRefusalHandler(RefusalHandler handler) { onRefusal_ = std::move(handler); }
    void setFilesDropHandler(FilesDropHandler handler) { onFilesDrop_ = std::move(handler); }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Renames a playlist: trailing blanks are dropped, an empty or taken
    // name is refused with a message.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDropActions() const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

  private:
    void onChange(const mdb::ChangeEvent& event) override;
    mdb::ChangeNotifier* source() const;
    std::vector<std::string> currentNames() const;
    // Brings names_ to the database's names with row removals and inserts.
    void follow();
    void refuse(std::string_view message);
    mdb::MutableGroup* playlistAt(int row) const;

    mdb::MusicDatabase& db_;
    Mode mode_;
    std::vector<std::string> names_;
    RefusalHandler onRefusal_;
    FilesDropHandler onFilesDrop_;
};

// The text without trailing blanks (spaces, tabs, ideographic spaces).
std::string withoutTrailingBlanks(std::string_view text);

}  // namespace ui::library
