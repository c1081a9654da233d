#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ui::library {

// The questions and file dialogs of the list/edit panel, so that tests
// answer them in place of a user.
class PanelDialogs {
  public:
    // Files chosen in a file dialog and the filter index (from 0) in use.
    struct FileChoice {
        std::vector<std::string> paths;
        int filter = 0;
    };
    // A playlist named in "プレイリストの選択": an existing one or a new name.
    struct PlaylistChoice {
        std::string name;
        bool isNew = false;
    };

    virtual ~PanelDialogs() = default;
    // Exclamation icon, OK.
    virtual void tell(std::string_view text) = 0;
    // Stop icon, OK.
    virtual void tellStop(std::string_view text) = 0;
    // Question icon, OK and Cancel (the default): true for OK.
    virtual bool askOkCancel(std::string_view text) = 0;
    // Question icon, Yes and No: true for Yes.
    virtual bool askYesNo(std::string_view text) = 0;
    // Existing music files, starting in `folder` with `filter`.
    virtual std::optional<FileChoice> chooseMusicFiles(const std::string& folder, int filter) = 0;
    virtual std::optional<std::string> chooseFolder(const std::string& folder) = 0;
    virtual std::optional<FileChoice> chooseImportFile(const std::string& folder, int filter) = 0;
    virtual std::optional<FileChoice> chooseExportFile(const std::string& folder,
                                                       const std::string& name, int filter) = 0;
    virtual std::optional<PlaylistChoice> choosePlaylist(const std::vector<std::string>& names) = 0;
};

}  // namespace ui::library
