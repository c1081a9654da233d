#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <string>
#include <vector>

#include "app/RecordingEntry.h"

namespace ui::record {

// The recording list as the panel's table shows it: ten columns (model
// column n - 1 is data column n); the selection mark is a check box and
// the title can be edited in place.
class RecordListModel : public QAbstractTableModel {
  public:
    enum Column : int {
        kSelectionColumn = 0,
        kPlayingColumn,
        kNumberColumn,
        kTitleColumn,
        kStatusColumn,
        kLengthColumn,
        kSizeColumn,
        kOutputColumn,
        kFormatColumn,
        kSourceColumn,
        kColumnCount
    };

    explicit RecordListModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    std::vector<app::RecordingEntry>& entries() { return entries_; }
    const std::vector<app::RecordingEntry>& entries() const { return entries_; }
    void setEntries(std::vector<app::RecordingEntry> entries);
    void append(std::vector<app::RecordingEntry> entries);
    void remove(size_t row);
    // The entry's row changed.
    void showRow(size_t row);
    void showAll();
    void setPlayingRow(int row);
    int playingRow() const { return playingRow_; }
    // The format column of entries without their own format.
    void setFormatText(std::string text) { formatText_ = std::move(text); }
    // Told the row whose title the user edited.
    void onTitleEdited(std::function<void(size_t)> edited) { titleEdited_ = std::move(edited); }
    // No title is edited while `locked` says so (a run goes on).
    void lockWhile(std::function<bool()> locked) { locked_ = std::move(locked); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  private:
    QString text(const app::RecordingEntry& entry, int row, int column) const;
    bool setSelection(const QModelIndex& index, const QVariant& value);
    bool setTitle(const QModelIndex& index, const QVariant& value);

    std::vector<app::RecordingEntry> entries_;
    std::string formatText_;
    int playingRow_ = -1;
    bool locked() const { return locked_ && locked_(); }

    std::function<bool()> locked_;
    std::function<void(size_t)> titleEdited_;
};

}  // namespace ui::record
