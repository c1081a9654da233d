#pragma once

#include <QWidget>
#include <memory>

#include "ui/options/OptionSources.h"

namespace ui::options {

class COptionSheet;

// "オプション (Ctrl+9)": opens the options sheet and keeps, from one
// opening to the next, the page it was closed on.
class COptionDialog {
  public:
    explicit COptionDialog(OptionSources sources);
    ~COptionDialog();

    // Runs the sheet at `page` (-1: the page it was last closed on, at
    // first the first) and returns its result, 1 for OK.
    int Open(int page, QWidget* parent = nullptr);
    // The sheet Open runs, not yet shown.
    std::unique_ptr<COptionSheet> MakeSheet(int page, QWidget* parent = nullptr);

  private:
    OptionSources sources_;
    int lastPage_ = 0;
};

}  // namespace ui::options
