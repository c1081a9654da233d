#pragma once

#include <QWidget>

class CNxSSFormatChoice;

namespace ui::options {

// A writer page that is a list of formats: the list, driving the choice.
class FormatChoiceWidget : public QWidget {
  public:
    FormatChoiceWidget(CNxSSFormatChoice& choice, QWidget* parent);
};

}  // namespace ui::options
