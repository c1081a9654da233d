#pragma once

#include <QPointer>
#include <QWidget>

#include "ui/library/PanelDialogs.h"

namespace ui::library {

// The panel's dialogs as Qt message boxes and file dialogs over `parent`.
class QtPanelDialogs : public PanelDialogs {
  public:
    explicit QtPanelDialogs(QWidget* parent) : parent_(parent) {}

    void tell(std::string_view text) override;
    void tellStop(std::string_view text) override;
    bool askOkCancel(std::string_view text) override;
    bool askYesNo(std::string_view text) override;
    std::optional<FileChoice> chooseMusicFiles(const std::string& folder, int filter) override;
    std::optional<std::string> chooseFolder(const std::string& folder) override;
    std::optional<FileChoice> chooseImportFile(const std::string& folder, int filter) override;
    std::optional<FileChoice> chooseExportFile(const std::string& folder, const std::string& name,
                                               int filter) override;
    std::optional<PlaylistChoice> choosePlaylist(const std::vector<std::string>& names) override;

  private:
    QPointer<QWidget> parent_;
};

// A filter of the form "text|patterns|text|patterns||" as Qt file dialog
// filters; the patterns, separated by ';', are repeated in brackets where
// Qt reads them.
QStringList qtFilters(std::string_view filter);

}  // namespace ui::library
