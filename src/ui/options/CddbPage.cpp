#include "ui/options/CddbPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include "ui/options/OptionTexts.h"
#include "ui/options/QtText.h"

namespace ui::options {

CddbPage::CddbPage(const OptionRecord& record, cdinfo::CCdda::ConfigSource config, Warn warn,
                   QWidget* parent)
    : OptionPage(parent),
      config_(std::move(config)),
      warn_(std::move(warn)),
      list_(record.cddbServers, record.cddbServer),
      enable_(new QCheckBox(this)),
      servers_(new QComboBox(this)),
      reloadButton_(new QPushButton(qt(texts::kReload), this)),
      mail_(new QLineEdit(QString::fromStdString(record.mailAddress), this)) {
    enable_->setChecked(record.cddbEnable);
    servers_->setEditable(true);
    fill();
    connect(reloadButton_, &QPushButton::clicked, this, [this] { reload(); });
    auto* serverRow = new QHBoxLayout;
    serverRow->addWidget(servers_, 1);
    serverRow->addWidget(reloadButton_);
    auto* layout = new QFormLayout(this);
    layout->addRow(qt(texts::kCddbEnable), enable_);
    layout->addRow(qt(texts::kCddbServer), serverRow);
    layout->addRow(qt(texts::kMail), mail_);
}

CddbPage::~CddbPage() {
    endWait();
}

void CddbPage::fill() {
    servers_->clear();
    for (const std::string& entry : list_.entries()) {
        servers_->addItem(QString::fromStdString(entry));
    }
    servers_->setCurrentIndex(list_.selection());
}

void CddbPage::reload() {
    cdinfo::CddaConfig config = config_();
    cdinfo::CddbClientOptions options;
    options.serverUrl = cdinfo::cddbServerUrl(servers_->currentText().toStdString());
    options.mailAddress = mail_->text().toStdString();
    options.http = config.http;
    const bool started = reload_.start(
        std::move(options), [this](cdinfo::CddbStatus status, std::vector<cdinfo::CddbSite> sites) {
            reloaded(status, sites);
        });
    if (started) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        waitCursor_ = true;
    }
}

void CddbPage::reloaded(cdinfo::CddbStatus status, const std::vector<cdinfo::CddbSite>& sites) {
    endWait();
    if (status == cdinfo::CddbStatus::Ok) {
        list_.replace(sites, servers_->currentText().toStdString());
        fill();
    } else {
        warn_(std::string(status == cdinfo::CddbStatus::NetworkError ? texts::kNetworkError
                                                                     : texts::kServerRefused));
    }
}

void CddbPage::endWait() {
    if (std::exchange(waitCursor_, false)) {
        QApplication::restoreOverrideCursor();
    }
}

void CddbPage::store(OptionRecord& record) const {
    record.cddbEnable = enable_->isChecked();
    record.cddbServer = servers_->currentText().trimmed().toStdString();
    record.cddbServers = list_.stored();
    record.mailAddress = mail_->text().toStdString();
}

}  // namespace ui::options
