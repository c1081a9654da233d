#include "ui/library/ColumnLayout.h"

#include <QHeaderView>

namespace ui::library {

void applyColumns(QHeaderView& header, const app::ListColumns& columns) {
    for (int section = 0; section < header.count(); ++section) {
        header.setSectionHidden(section, true);
    }
    int visual = 0;
    for (const app::ColumnPosition& position : columns.columns) {
        const int section = position.column - 1;
        if (section < 0 || section >= header.count() || !header.isSectionHidden(section)) {
            continue;  // unknown or named twice
        }
        header.setSectionHidden(section, false);
        header.moveSection(header.visualIndex(section), visual++);
        header.resizeSection(section, std::max(position.width, header.minimumSectionSize()));
    }
}

app::ListColumns columnsOf(const QHeaderView& header) {
    app::ListColumns columns;
    for (int visual = 0; visual < header.count(); ++visual) {
        const int section = header.logicalIndex(visual);
        if (!header.isSectionHidden(section)) {
            columns.columns.push_back({section + 1, header.sectionSize(section)});
        }
    }
    return columns;
}

}  // namespace ui::library
