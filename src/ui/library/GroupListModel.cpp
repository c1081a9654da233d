#include "ui/library/GroupListModel.h"

#include <memory>
#include <unordered_set>

#include "app/AppTexts.h"
#include "mdb/Exceptions.h"
#include "ui/library/LibraryMime.h"
#include "ui/library/LibraryTexts.h"
#include "ui/library/PlaylistNames.h"

namespace ui::library {

namespace {

// The name a playlist made by a drop starts from, as a new one does.
constexpr std::string_view kNewPlaylistName = app::texts::kNewPlaylist;

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

}  // namespace

std::string withoutTrailingBlanks(std::string_view text) {
    static constexpr std::string_view kIdeographicSpace = "\u3000";
    while (!text.empty()) {
        if (text.back() == ' ' || text.back() == '\t') {
            text.remove_suffix(1);
        } else if (text.ends_with(kIdeographicSpace)) {
            text.remove_suffix(kIdeographicSpace.size());
        } else {
            break;
        }
    }
    return std::string(text);
}

GroupListModel::GroupListModel(mdb::MusicDatabase& db, Mode mode, QObject* parent)
    : QAbstractListModel(parent), db_(db), mode_(mode) {
    auto guard = db_.lock();
    source()->addListener(this);
    names_ = currentNames();
}

GroupListModel::~GroupListModel() {
    source()->removeListener(this);
}

mdb::ChangeNotifier* GroupListModel::source() const {
    switch (mode_) {
        case Mode::All:
            return &db_.library();
        case Mode::Artist:
            return &db_.artistGroups();
        case Mode::Album:
            return &db_.albumGroups();
        case Mode::Genre:
            return &db_.genreGroups();
        case Mode::Playlists:
            return &db_.playlists();
    }
    return &db_.library();
}

std::vector<std::string> GroupListModel::currentNames() const {
    switch (mode_) {
        case Mode::All:
            return {std::string(texts::kAllItems)};
        case Mode::Artist:
        case Mode::Album:
        case Mode::Genre:
            return static_cast<mdb::GroupList*>(source())->getNames();
        case Mode::Playlists:
            return db_.playlists().getNames();
    }
    return {};
}

void GroupListModel::setMode(Mode mode) {
    auto guard = db_.lock();
    beginResetModel();
    source()->removeListener(this);
    mode_ = mode;
    source()->addListener(this);
    names_ = currentNames();
    endResetModel();
}

std::string GroupListModel::nameAt(int row) const {
    return row >= 0 && size_t(row) < names_.size() ? names_[size_t(row)] : std::string();
}

int GroupListModel::rowOf(const std::string& name) const {
    for (size_t i = 0; i < names_.size(); ++i) {
        if (names_[i] == name) {
            return int(i);
        }
    }
    return -1;
}

void GroupListModel::showRowIn(int row, ItemListModel& items) const {
    auto guard = db_.lock();
    if (row < 0 || size_t(row) >= names_.size()) {
        items.showNothing();
        return;
    }
    try {
        switch (mode_) {
            case Mode::All:
                items.showLibrary();
                return;
            case Mode::Playlists:
                items.showPlaylist(db_.playlists().get(names_[size_t(row)]));
                return;
            default:
                items.showGroup(static_cast<mdb::GroupList*>(source())->get(names_[size_t(row)]));
                return;
        }
    } catch (const mdb::NotFoundException&) {
        items.showNothing();
    }
}

mdb::MutableGroup* GroupListModel::playlistAt(int row) const {
    if (mode_ != Mode::Playlists || row < 0 || size_t(row) >= names_.size()) {
        return nullptr;
    }
    try {
        return &db_.playlists().get(names_[size_t(row)]);
    } catch (const mdb::NotFoundException&) {
        return nullptr;
    }
}

int GroupListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(names_.size());
}

QVariant GroupListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || size_t(index.row()) >= names_.size() ||
        (role != Qt::DisplayRole && role != Qt::EditRole)) {
        return {};
    }
    return fromUtf8(names_[size_t(index.row())]);
}

Qt::ItemFlags GroupListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return mode_ == Mode::Playlists ? Qt::ItemIsDropEnabled : Qt::NoItemFlags;
    }
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
    if (mode_ == Mode::Playlists) {
        flags |= Qt::ItemIsEditable | Qt::ItemIsDropEnabled;
    }
    return flags;
}

void GroupListModel::refuse(std::string_view message) {
    if (onRefusal_) {
        onRefusal_(message);
    }
}

bool GroupListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || mode_ != Mode::Playlists || !index.isValid() ||
        size_t(index.row()) >= names_.size()) {
        return false;
    }
    const std::string name = withoutTrailingBlanks(value.toString().toStdString());
    if (name.empty()) {
        refuse(texts::kEnterPlaylistName);
        return false;
    }
    const std::string old = names_[size_t(index.row())];
    if (name == old) {
        return true;
    }
    auto guard = db_.lock();
    try {
        db_.playlists().rename(old, name);
    } catch (const mdb::AlreadyExistsException&) {
        refuse(texts::kPlaylistNameTaken);
        return false;
    } catch (const mdb::NotFoundException&) {
        follow();
        return false;
    } catch (const std::invalid_argument&) {
        refuse(texts::kPlaylistNameUnusable);
        return false;
    }
    // A rename tells the set's listeners nothing: follow it here.
    follow();
    return true;
}

void GroupListModel::onChange(const mdb::ChangeEvent& event) {
    if (event.source != source() || mode_ == Mode::All) {
        return;
    }
    if (event.kind == mdb::ChangeKind::Added || event.kind == mdb::ChangeKind::Removed ||
        event.kind == mdb::ChangeKind::Destroyed) {
        follow();
    }
}

void GroupListModel::follow() {
    const std::vector<std::string> now = currentNames();
    const std::unordered_set<std::string> kept(now.begin(), now.end());
    for (size_t i = names_.size(); i-- > 0;) {
        if (kept.count(names_[i]) == 0) {
            beginRemoveRows({}, int(i), int(i));
            names_.erase(names_.begin() + qsizetype(i));
            endRemoveRows();
        }
    }
    // Both lists are in the same order, so what is left is a subsequence.
    for (size_t i = 0; i < now.size(); ++i) {
        if (i >= names_.size() || names_[i] != now[i]) {
            beginInsertRows({}, int(i), int(i));
            names_.insert(names_.begin() + qsizetype(i), now[i]);
            endInsertRows();
        }
    }
}

QStringList GroupListModel::mimeTypes() const {
    return {QString::fromLatin1(mime::kItemList), QString::fromLatin1(mime::kPlaylistEntries),
            QString::fromLatin1(mime::kGroupList), QString::fromLatin1(mime::kPlaylistList),
            QString::fromLatin1(mime::kUriList)};
}

QMimeData* GroupListModel::mimeData(const QModelIndexList& indexes) const {
    std::vector<std::string> names;
    for (const QModelIndex& index : indexes) {
        if (index.isValid() && size_t(index.row()) < names_.size()) {
            names.push_back(names_[size_t(index.row())]);
        }
    }
    if (names.empty()) {
        return nullptr;
    }
    auto data = std::make_unique<QMimeData>();
    if (mode_ == Mode::Playlists) {
        mime::put(*data, PlaylistListPayload{names});
    } else {
        mime::put(*data, GroupListPayload{uint32_t(mode_),
                                          mode_ == Mode::All ? std::vector<std::string>{} : names});
    }
    // File managers get the files of the dragged groups.
    auto guard = db_.lock();
    const std::vector<mdb::MusicItem*> items = mime::resolveItems(db_, *data);
    mime::putItems(*data, std::vector<const mdb::MusicItem*>(items.begin(), items.end()));
    // The item list would shadow the group format on a drop.
    data->removeFormat(QString::fromLatin1(mime::kItemList));
    return data.release();
}

Qt::DropActions GroupListModel::supportedDropActions() const {
    return Qt::CopyAction | Qt::MoveAction;
}

bool GroupListModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int,
                                     const QModelIndex& parent) const {
    // Onto a playlist, or onto the empty space below the list for a new
    // one: between rows there is no list to add to.
    if (data == nullptr || mode_ != Mode::Playlists || (row >= 0 && !parent.isValid()) ||
        (action != Qt::CopyAction && action != Qt::MoveAction)) {
        return false;
    }
    if (const auto playlists = mime::playlistList(*data); playlists && parent.isValid()) {
        // A playlist dropped on itself adds nothing sensible.
        const std::string target = nameAt(parent.row());
        return std::find(playlists->names.begin(), playlists->names.end(), target) ==
               playlists->names.end();
    }
    return mime::hasDatabaseFormat(*data) || !mime::localPaths(*data).empty();
}

bool GroupListModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                                  const QModelIndex& parent) {
    if (!canDropMimeData(data, action, row, column, parent)) {
        return false;
    }
    auto guard = db_.lock();
    if (mime::hasDatabaseFormat(*data) && mime::resolveItems(db_, *data).empty()) {
        return false;
    }
    mdb::MutableGroup* playlist =
        parent.isValid()
            ? playlistAt(parent.row())
            : &db_.playlists().create(freePlaylistName(db_.playlists(), kNewPlaylistName));
    if (playlist == nullptr) {
        return false;
    }
    if (!mime::hasDatabaseFormat(*data)) {
        if (onFilesDrop_) {
            onFilesDrop_(FilesDrop{mime::localPaths(*data), playlist, -1});
        }
        return true;
    }
    const std::vector<mdb::MusicItem*> items = mime::resolveItems(db_, *data);
    if (items.empty()) {
        return false;
    }
    playlist->insert(playlist->count(), items);
    // Entries dragged from another playlist are copied, never taken away.
    return action == Qt::CopyAction;
}

}  // namespace ui::library
