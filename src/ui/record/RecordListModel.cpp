#include "ui/record/RecordListModel.h"

#include <QRegularExpression>

#include "app/RecordingSizes.h"
#include "ui/record/RecordTexts.h"

namespace ui::record {
namespace {

QString qt(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

const char* const kPlayingMark = "▶";

}  // namespace

void RecordListModel::setEntries(std::vector<app::RecordingEntry> entries) {
    beginResetModel();
    entries_ = std::move(entries);
    playingRow_ = -1;
    endResetModel();
}

void RecordListModel::append(std::vector<app::RecordingEntry> entries) {
    if (entries.empty()) {
        return;
    }
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(entries.size()) - 1);
    for (app::RecordingEntry& entry : entries) {
        entries_.push_back(std::move(entry));
    }
    endInsertRows();
}

void RecordListModel::remove(size_t row) {
    const int at = static_cast<int>(row);
    beginRemoveRows({}, at, at);
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(row));
    if (playingRow_ == at) {
        playingRow_ = -1;
    } else if (playingRow_ > at) {
        --playingRow_;
    }
    endRemoveRows();
}

void RecordListModel::showRow(size_t row) {
    const int at = static_cast<int>(row);
    emit dataChanged(index(at, 0), index(at, kColumnCount - 1));
}

void RecordListModel::showAll() {
    if (!entries_.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1));
    }
}

void RecordListModel::setPlayingRow(int row) {
    const int before = playingRow_;
    playingRow_ = row;
    for (const int changed : {before, row}) {
        if (changed >= 0 && changed < rowCount()) {
            emit dataChanged(index(changed, kPlayingColumn), index(changed, kPlayingColumn));
        }
    }
}

int RecordListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

int RecordListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant RecordListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const app::RecordingEntry& entry = entries_[static_cast<size_t>(index.row())];
    if (role == Qt::CheckStateRole && index.column() == kSelectionColumn) {
        return entry.selection != app::RecordingEntry::kNotSelected ? Qt::Checked : Qt::Unchecked;
    }
    if (role == Qt::ToolTipRole && index.column() == kStatusColumn && !entry.error.empty()) {
        return QString::fromStdString(entry.error);
    }
    if (role == Qt::EditRole && index.column() == kTitleColumn) {
        return QString::fromStdString(entry.title);
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    return text(entry, index.row(), index.column());
}

QString RecordListModel::text(const app::RecordingEntry& entry, int row, int column) const {
    switch (column) {
        case kPlayingColumn:
            return row == playingRow_ ? QString::fromUtf8(kPlayingMark) : QString();
        case kNumberColumn:
            return QString::asprintf("%02d", row + 1);
        case kTitleColumn:
            return QString::fromStdString(entry.title);
        case kStatusColumn:
            return qt(texts::kStatus.at(static_cast<size_t>(entry.status)));
        case kLengthColumn:
            return QString::fromStdString(app::recordingLengthText(entry.lengthSeconds));
        case kSizeColumn:
            return QString::fromStdString(app::recordingSizeText(entry.size));
        case kOutputColumn:
            return QString::fromStdString(entry.outputPath);
        case kFormatColumn:
            return entry.status == app::RecordingEntry::kSettingError ? QString()
                   : entry.format ? QString::fromStdString(entry.format->Describe())
                                  : QString::fromStdString(formatText_);
        case kSourceColumn:
            return entry.cdTrack ? QString::asprintf("Track%02d", entry.trackNumber)
                                 : QString::fromStdString(entry.sourcePath);
        default:
            return {};
    }
}

QVariant RecordListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= kColumnCount) {
        return {};
    }
    return qt(texts::kColumns.at(static_cast<size_t>(section)));
}

Qt::ItemFlags RecordListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == kSelectionColumn) {
        flags |= Qt::ItemIsUserCheckable;
    }
    if (index.isValid() && index.column() == kTitleColumn && !locked()) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

bool RecordListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= rowCount()) {
        return false;
    }
    if (role == Qt::CheckStateRole && index.column() == kSelectionColumn) {
        return setSelection(index, value);
    }
    if (role == Qt::EditRole && index.column() == kTitleColumn) {
        return setTitle(index, value);
    }
    return false;
}

// A setting error keeps its entry out of the run.
bool RecordListModel::setSelection(const QModelIndex& index, const QVariant& value) {
    app::RecordingEntry& entry = entries_[static_cast<size_t>(index.row())];
    const bool checked = value.toInt() == Qt::Checked;
    if (checked && entry.status == app::RecordingEntry::kSettingError) {
        return false;
    }
    entry.selection = checked ? app::RecordingEntry::kSelected : app::RecordingEntry::kNotSelected;
    emit dataChanged(index, index);
    return true;
}

// Leading blanks go, as they do from the disc's titles; a title may not be
// left empty.
bool RecordListModel::setTitle(const QModelIndex& index, const QVariant& value) {
    const QString title = value.toString().remove(QRegularExpression(QStringLiteral("^ +")));
    if (locked() || title.isEmpty()) {
        return false;
    }
    const auto row = static_cast<size_t>(index.row());
    entries_[row].title = title.toStdString();
    emit dataChanged(index, index);
    if (titleEdited_) {
        titleEdited_(row);
    }
    return true;
}

}  // namespace ui::record
