#pragma once

#include <QDialog>
#include <array>

#include "ui/options/OptionRecord.h"
#include "ui/options/OptionSources.h"

class QTabWidget;

namespace ui::options {

class AssociationPage;
class CddbPage;
class DrivePage;
class OptionPage;
class OutputPage;
class PlaybackPage;
class RecordingPage;

// The options sheet of one opening: six pages over one option record.
// Confirming writes what the shown pages hold; cancelling writes nothing.
// Either way the page then active is handed to `lastPage`.
class COptionSheet : public QDialog {
  public:
    enum Page { kRecording, kOutput, kDrive, kCddb, kAssociations, kPlayback, kPageCount };

    COptionSheet(OptionSources& sources, int page, int& lastPage, QWidget* parent = nullptr);
    ~COptionSheet() override;

    QTabWidget* tabs() const { return tabs_; }
    RecordingPage* recordingPage() const;
    OutputPage* outputPage() const;
    DrivePage* drivePage() const;
    CddbPage* cddbPage() const;
    AssociationPage* associationPage() const;
    PlaybackPage* playbackPage() const;

    // Confirming checks the pages and refuses (staying open) when one may
    // not be left as it stands.
    void done(int result) override;

  private:
    void addPages();
    void pageChanged(int page);
    bool commit();
    void warn(const std::string& text);

    OptionSources& sources_;
    int& lastPage_;
    const OptionRecord loaded_;
    QTabWidget* tabs_;
    std::array<OptionPage*, kPageCount> pages_{};
    std::array<bool, kPageCount> shown_{};
    int current_ = -1;
};

}  // namespace ui::options
