#pragma once

#include <QWidget>

class CNxSSMp3OptionPage;
class QComboBox;

namespace ui::options {

// The MP3 writer's page: CBR with its format list or VBR with its quality
// list, the encoder's speed and the copyright bit, all kept in the page.
class Mp3PageWidget : public QWidget {
  public:
    Mp3PageWidget(CNxSSMp3OptionPage& page, QWidget* parent);

  private:
    QWidget* modeBox();
    QWidget* speedBox();
    void enableLists();

    CNxSSMp3OptionPage& page_;
    QComboBox* formats_;
    QComboBox* qualities_;
};

}  // namespace ui::options
