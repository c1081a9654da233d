#pragma once

#include "app/ListColumns.h"

class QHeaderView;

namespace ui::library {

// The order and widths of an item list's columns as the
// "...ItemPosition" settings keep them: data column n is model column
// n - 1; a column the setting leaves out is hidden.
void applyColumns(QHeaderView& header, const app::ListColumns& columns);
app::ListColumns columnsOf(const QHeaderView& header);

}  // namespace ui::library
