#include "ui/library/ItemListModel.h"

#include <algorithm>
#include <memory>
#include <unordered_map>

#include "ui/library/ItemColumns.h"
#include "ui/library/LibraryMime.h"

namespace ui::library {

namespace {

bool isNumberColumn(ItemColumn column) {
    return column == ItemColumn::Track || column == ItemColumn::Time || column == ItemColumn::Size;
}

// Marks the model's own edit so that the notifications it causes are not
// taken for outside changes.
class OwnEdit {
  public:
    explicit OwnEdit(bool& flag) : flag_(flag) { flag_ = true; }
    ~OwnEdit() { flag_ = false; }
    OwnEdit(const OwnEdit&) = delete;
    OwnEdit& operator=(const OwnEdit&) = delete;

  private:
    bool& flag_;
};

}  // namespace

ItemListModel::ItemListModel(mdb::MusicDatabase& db, QObject* parent)
    : QAbstractTableModel(parent), db_(db) {}

ItemListModel::~ItemListModel() {
    detach();
}

void ItemListModel::attach(mdb::ChangeNotifier* source) {
    source_ = source;
    source_->addListener(this);
    rows_ = static_cast<int>(sourceCount());
}

void ItemListModel::detach() {
    if (source_ != nullptr) {
        source_->removeListener(this);
    }
    source_ = nullptr;
    library_ = nullptr;
    group_ = nullptr;
    playlist_ = nullptr;
    rows_ = 0;
}

void ItemListModel::showLibrary() {
    auto guard = db_.lock();
    beginResetModel();
    detach();
    library_ = &db_.library();
    attach(library_);
    endResetModel();
}

void ItemListModel::showGroup(mdb::Group& group) {
    auto guard = db_.lock();
    beginResetModel();
    detach();
    group_ = &group;
    playlist_ = dynamic_cast<mdb::MutableGroup*>(&group);
    attach(group_);
    endResetModel();
}

void ItemListModel::showPlaylist(mdb::MutableGroup& playlist) {
    showGroup(playlist);
}

void ItemListModel::showNothing() {
    beginResetModel();
    detach();
    endResetModel();
}

size_t ItemListModel::sourceCount() const {
    if (library_ != nullptr) {
        return library_->count();
    }
    return group_ != nullptr ? group_->count() : 0;
}

mdb::MusicItem* ItemListModel::itemAt(int row) const {
    if (row < 0 || row >= rows_ || static_cast<size_t>(row) >= sourceCount()) {
        return nullptr;
    }
    return library_ != nullptr ? library_->itemAt(size_t(row)) : group_->itemAt(size_t(row));
}

void ItemListModel::setPlayingItem(const mdb::MusicItem* item) {
    if (item == playing_) {
        return;
    }
    playing_ = item;
    if (rows_ > 0) {
        emit dataChanged(index(0, 0), index(rows_ - 1, 0));
    }
}

int ItemListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int ItemListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kItemColumns;
}

QVariant ItemListModel::data(const QModelIndex& index, int role) const {
    const auto column = itemColumnAt(index.column());
    auto guard = db_.lock();
    const mdb::MusicItem* item = index.isValid() ? itemAt(index.row()) : nullptr;
    if (item == nullptr || !column) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            if (*column == ItemColumn::Playing) {
                return item == playing_
                           ? QString::fromUtf8(kPlayingMark.data(), qsizetype(kPlayingMark.size()))
                           : QString();
            }
            return QString::fromStdString(columnText(*item, *column));
        case Qt::TextAlignmentRole:
            return isNumberColumn(*column) ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                           : QVariant();
        case kPlayingRole:
            return item == playing_;
        default:
            return {};
    }
}

QVariant ItemListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    const auto column = itemColumnAt(section);
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || !column) {
        return {};
    }
    const std::string_view text = columnHeader(*column);
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

Qt::ItemFlags ItemListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return source_ != nullptr ? Qt::ItemIsDropEnabled : Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

void ItemListModel::sort(int column, Qt::SortOrder order) {
    const auto shown = itemColumnAt(column);
    const auto field = shown ? sortField(*shown) : std::nullopt;
    if (!field || source_ == nullptr) {
        return;
    }
    auto guard = db_.lock();
    OwnEdit edit(editing_);
    emit layoutAboutToBeChanged();
    // Persistent indices follow their items through the reordering.
    const QModelIndexList before = persistentIndexList();
    std::vector<const mdb::MusicItem*> held;
    held.reserve(size_t(before.size()));
    for (const QModelIndex& old : before) {
        held.push_back(itemAt(old.row()));
    }
    const bool ascending = order == Qt::AscendingOrder;
    if (library_ != nullptr) {
        library_->sort(*field, ascending);
    } else {
        group_->sort(*field, ascending);
    }
    if (!before.isEmpty()) {
        // One pass over the rows, looking up only the few items held: a
        // table of all 100 000 rows would cost more than the sort.
        std::unordered_map<const mdb::MusicItem*, int> rowOf;
        for (const mdb::MusicItem* item : held) {
            rowOf.emplace(item, -1);
        }
        size_t missing = rowOf.size();
        for (int row = 0; row < rows_ && missing > 0; ++row) {
            const auto found = rowOf.find(itemAt(row));
            if (found != rowOf.end() && found->second < 0) {
                found->second = row;
                --missing;
            }
        }
        QModelIndexList after;
        for (qsizetype i = 0; i < before.size(); ++i) {
            const int row = rowOf.at(held[size_t(i)]);
            after.push_back(row < 0 ? QModelIndex() : index(row, before[i].column()));
        }
        changePersistentIndexList(before, after);
    }
    emit layoutChanged();
}

void ItemListModel::onChange(const mdb::ChangeEvent& event) {
    if (editing_ || event.source != source_) {
        return;
    }
    switch (event.kind) {
        case mdb::ChangeKind::Destroyed:
            beginResetModel();
            source_->removeListener(this);
            source_ = nullptr;
            detach();
            endResetModel();
            return;
        case mdb::ChangeKind::ItemChanged:
            if (rows_ > 0) {
                emit dataChanged(index(0, 0), index(rows_ - 1, kItemColumns - 1));
            }
            return;
        case mdb::ChangeKind::Added: {
            // The library and the automatic groups append; playlists may
            // insert anywhere, which only a reset can tell.
            const int now = static_cast<int>(sourceCount());
            if (playlist_ == nullptr && now > rows_) {
                beginInsertRows({}, rows_, now - 1);
                rows_ = now;
                endInsertRows();
                return;
            }
            break;
        }
        default:
            break;
    }
    beginResetModel();
    rows_ = static_cast<int>(sourceCount());
    endResetModel();
}

QStringList ItemListModel::mimeTypes() const {
    QStringList types{QString::fromLatin1(mime::kItemList), QString::fromLatin1(mime::kUriList)};
    if (playlist_ != nullptr) {
        types.push_front(QString::fromLatin1(mime::kPlaylistEntries));
        types << QString::fromLatin1(mime::kGroupList) << QString::fromLatin1(mime::kPlaylistList);
    }
    return types;
}

std::vector<size_t> ItemListModel::rowsOf(const QModelIndexList& indexes) const {
    std::vector<size_t> rows;
    for (const QModelIndex& index : indexes) {
        if (index.isValid() && index.row() < rows_) {
            rows.push_back(size_t(index.row()));
        }
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

QMimeData* ItemListModel::mimeData(const QModelIndexList& indexes) const {
    auto guard = db_.lock();
    const std::vector<size_t> rows = rowsOf(indexes);
    if (rows.empty()) {
        return nullptr;
    }
    auto data = std::make_unique<QMimeData>();
    std::vector<const mdb::MusicItem*> items;
    items.reserve(rows.size());
    for (size_t row : rows) {
        items.push_back(itemAt(int(row)));
    }
    mime::putItems(*data, items);
    if (playlist_ != nullptr) {
        PlaylistEntriesPayload entries{playlist_->name(), {}};
        entries.indices.assign(rows.begin(), rows.end());
        mime::put(*data, entries);
    }
    return data.release();
}

Qt::DropActions ItemListModel::supportedDropActions() const {
    return Qt::CopyAction | Qt::MoveAction;
}

Qt::DropActions ItemListModel::supportedDragActions() const {
    return playlist_ != nullptr ? Qt::CopyAction | Qt::MoveAction : Qt::CopyAction;
}

bool ItemListModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int, int,
                                    const QModelIndex&) const {
    if (data == nullptr || source_ == nullptr || (group_ != nullptr && playlist_ == nullptr) ||
        (action != Qt::CopyAction && action != Qt::MoveAction)) {
        return false;
    }
    // The library takes files only; its items are already in it.
    if (mime::hasDatabaseFormat(*data)) {
        return playlist_ != nullptr;
    }
    return !mime::localPaths(*data).empty();
}

bool ItemListModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                                 const QModelIndex& parent) {
    if (!canDropMimeData(data, action, row, column, parent)) {
        return false;
    }
    // Dropped on an item: before it.
    if (row < 0 && parent.isValid()) {
        row = parent.row();
    }
    if (playlist_ != nullptr && mime::hasDatabaseFormat(*data)) {
        return dropIntoPlaylist(*data, action, row);
    }
    if (onFilesDrop_) {
        onFilesDrop_(FilesDrop{mime::localPaths(*data), playlist_, row});
    }
    return true;
}

bool ItemListModel::dropIntoPlaylist(const QMimeData& data, Qt::DropAction action, int row) {
    auto guard = db_.lock();
    const auto entries = mime::playlistEntries(data);
    if (entries && action == Qt::MoveAction && entries->playlist == playlist_->name()) {
        std::vector<size_t> rows(entries->indices.begin(), entries->indices.end());
        if (std::any_of(rows.begin(), rows.end(), [&](size_t r) { return r >= size_t(rows_); })) {
            return false;
        }
        movePlaylistEntries(rows, row);
        // The entries are where they belong: the view must not remove them.
        return false;
    }
    const std::vector<mdb::MusicItem*> items = mime::resolveItems(db_, data);
    if (items.empty()) {
        return false;
    }
    insertIntoPlaylist(items, row);
    return true;
}

void ItemListModel::insertIntoPlaylist(const std::vector<mdb::MusicItem*>& items, int row) {
    const int at = row < 0 || row > rows_ ? rows_ : row;
    OwnEdit edit(editing_);
    beginInsertRows({}, at, at + int(items.size()) - 1);
    playlist_->insert(size_t(at), items);
    rows_ = static_cast<int>(playlist_->count());
    endInsertRows();
}

void ItemListModel::movePlaylistEntries(const std::vector<size_t>& rows, int row) {
    const size_t target = row < 0 || row > rows_ ? size_t(rows_) : size_t(row);
    OwnEdit edit(editing_);
    beginResetModel();
    playlist_->move(rows, target);
    endResetModel();
}

}  // namespace ui::library
