#pragma once

#include <QAbstractTableModel>
#include <string>
#include <vector>

#include "app/RecordingEntry.h"

namespace ui::record {

// The recording list as the panel's table shows it: ten columns (model
// column n - 1 is data column n); the selection mark is a check box.
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
    void append(app::RecordingEntry entry);
    // The entry's row changed.
    void showRow(size_t row);
    void showAll();
    void setPlayingRow(int row);
    int playingRow() const { return playingRow_; }
    void setFormatText(std::string text) { formatText_ = std::move(text); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  private:
    QString text(const app::RecordingEntry& entry, int row, int column) const;

    std::vector<app::RecordingEntry> entries_;
    std::string formatText_;
    int playingRow_ = -1;
};

}  // namespace ui::record
