#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "stream/CNxSSWriterSettings.h"
#include "ui/options/OptionPage.h"
#include "ui/options/RecordingWriters.h"

class QComboBox;
class QStackedWidget;

namespace ui::options {

// "録音": the writers to record with, each showing its own settings page
// below the list.
class RecordingPage : public OptionPage {
  public:
    RecordingPage(const OptionRecord& record, std::vector<RecordingWriter> writers,
                  QWidget* parent);

    void store(OptionRecord& record) const override;
    // Puts every writer page that was shown into its settings and saves
    // every writer's settings. On a refusal the refusing writer is chosen
    // and its reason given; nothing is saved then.
    std::string commit();
    // As commit(), without saving: the settings stay with the page.
    std::string apply();
    // A copy of the chosen writer's settings, or null.
    NxRef<CNxSSWriterSettings> chosenSettings() const;

  private:
    void showWriter(int entry);

    std::vector<RecordingWriter> writers_;
    std::vector<bool> shown_;
    QComboBox* list_;
    QStackedWidget* pages_;
};

}  // namespace ui::options
