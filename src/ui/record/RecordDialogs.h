#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/RecordingRun.h"
#include "stream/CNxSSWriterSettings.h"
#include "stream/NxRef.h"

namespace ui::record {

// The recording panel's messages, questions and file dialog, so that tests
// answer them in place of a user.
class RecordDialogs {
  public:
    struct FileChoice {
        std::vector<std::string> paths;
        int filter = 0;  // from 0
    };

    virtual ~RecordDialogs() = default;
    // Exclamation icon, OK.
    virtual void tell(std::string_view text) = 0;
    // Question icon, Yes and No: true for Yes.
    virtual bool askYesNo(std::string_view text) = 0;
    // "'%s'はすでに録音済みです。" with Yes, No, Cancel and "全て(&A)".
    virtual app::RecordingRun::Question askRecordedAgain(const std::string& title) = 0;
    virtual std::optional<FileChoice> chooseFiles(const std::string& folder, int filter) = 0;
    // The recording-format sheet of one entry, starting from `start`: the
    // chosen settings, null when cancelled.
    virtual NxRef<CNxSSWriterSettings> chooseFormat(const NxRef<CNxSSWriterSettings>& start) = 0;
};

}  // namespace ui::record
