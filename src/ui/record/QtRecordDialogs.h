#pragma once

#include "ui/record/RecordDialogs.h"

class QWidget;

namespace app {
class Engine;
}

namespace ui::record {

// The recording panel's dialogs as Qt message boxes and file dialogs.
class QtRecordDialogs : public RecordDialogs {
  public:
    QtRecordDialogs(const app::Engine& engine, QWidget* parent)
        : engine_(engine), parent_(parent) {}

    void tell(std::string_view text) override;
    bool askYesNo(std::string_view text) override;
    app::RecordingRun::Question askRecordedAgain(const std::string& title) override;
    std::optional<FileChoice> chooseFiles(const std::string& folder, int filter) override;
    NxRef<CNxSSWriterSettings> chooseFormat(const NxRef<CNxSSWriterSettings>& start) override;

  private:
    const app::Engine& engine_;
    QWidget* parent_;
};

}  // namespace ui::record
