#pragma once

#include <QDialog>

#include "stream/CNxSSWriterSettings.h"
#include "stream/NxRef.h"

namespace app {
class Engine;
}

namespace ui::options {
class RecordingPage;
}

namespace ui::record {

// The recording-format sheet for one entry of the recording list: the
// writers of the options' "録音" page, starting from `start`. What is
// chosen stays with the entry; the writers' saved settings are left alone.
class EntryFormatDialog : public QDialog {
  public:
    EntryFormatDialog(const app::Engine& engine, const NxRef<CNxSSWriterSettings>& start,
                      QWidget* parent);

    // A copy of the chosen settings once accepted; null before.
    NxRef<CNxSSWriterSettings> chosen() const { return chosen_; }

  private:
    void accept() override;

    options::RecordingPage* page_;
    NxRef<CNxSSWriterSettings> chosen_;
};

}  // namespace ui::record
