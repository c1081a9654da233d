#pragma once

#include <QCursor>
#include <functional>
#include <memory>
#include <string>

#include "cdinfo/CCdda.h"
#include "ui/options/CddbServerList.h"
#include "ui/options/OptionPage.h"
#include "ui/options/ServerListReload.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace ui::options {

// "CDDB": whether to look discs up, the server (chosen from the servers
// last fetched, or typed) and the e-mail address sent with requests.
class CddbPage : public OptionPage {
  public:
    using Warn = std::function<void(const std::string& text)>;

    CddbPage(const OptionRecord& record, cdinfo::CCdda::ConfigSource config, Warn warn,
             QWidget* parent);
    ~CddbPage() override;

    void store(OptionRecord& record) const override;
    // Asks the server in the list's text for its servers, on a worker; a
    // press while one runs is ignored.
    void reload();
    bool reloading() const { return reload_.running(); }
    QComboBox* servers() const { return servers_; }
    QLineEdit* mail() const { return mail_; }

  private:
    void fill();
    void reloaded(cdinfo::CddbStatus status, const std::vector<cdinfo::CddbSite>& sites);
    void endWait();

    cdinfo::CCdda::ConfigSource config_;
    Warn warn_;
    CddbServerList list_;
    QCheckBox* enable_;
    QComboBox* servers_;
    QPushButton* reloadButton_;
    QLineEdit* mail_;
    bool waitCursor_ = false;
    ServerListReload reload_;  // last: abandoned before the controls go
};

}  // namespace ui::options
