#pragma once

#include <QWidget>
#include <string>

#include "ui/options/OptionRecord.h"

namespace ui::options {

// One page of the options dialog. A page shows the record it was built
// from and puts its controls back into a record when the dialog is
// confirmed, if it was shown at all.
class OptionPage : public QWidget {
  public:
    using QWidget::QWidget;

    virtual void store(OptionRecord& record) const = 0;
    // Why the page may not be left as it stands; empty when it may.
    virtual std::string refusal() const { return {}; }
};

}  // namespace ui::options
