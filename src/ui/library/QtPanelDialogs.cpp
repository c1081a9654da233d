#include "ui/library/QtPanelDialogs.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>

#include "app/AppTexts.h"
#include "ui/library/LibraryTexts.h"

namespace ui::library {
namespace {

QString qt(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

std::vector<std::string> toPaths(const QStringList& files) {
    std::vector<std::string> paths;
    for (const QString& file : files) {
        paths.push_back(file.toStdString());
    }
    return paths;
}

// Runs a file dialog set up by the caller; nothing when it was cancelled.
std::optional<PanelDialogs::FileChoice> run(QFileDialog& dialog, const QStringList& filters,
                                            int filter) {
    dialog.setNameFilters(filters);
    if (filter >= 0 && filter < filters.size()) {
        dialog.selectNameFilter(filters[filter]);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return PanelDialogs::FileChoice{toPaths(dialog.selectedFiles()),
                                    int(filters.indexOf(dialog.selectedNameFilter()))};
}

}  // namespace

QStringList qtFilters(std::string_view filter) {
    const QStringList parts = qt(filter).split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = parts[i + 1].split(QLatin1Char(';')).join(QLatin1Char(' '));
        filters << parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters;
}

void QtPanelDialogs::tell(std::string_view text) {
    QMessageBox::warning(parent_, qt(app::texts::kAppTitle), qt(text));
}

void QtPanelDialogs::tellStop(std::string_view text) {
    QMessageBox::critical(parent_, qt(app::texts::kAppTitle), qt(text));
}

bool QtPanelDialogs::askOkCancel(std::string_view text) {
    return QMessageBox::question(parent_, qt(app::texts::kAppTitle), qt(text),
                                 QMessageBox::Ok | QMessageBox::Cancel,
                                 QMessageBox::Cancel) == QMessageBox::Ok;
}

bool QtPanelDialogs::askYesNo(std::string_view text) {
    return QMessageBox::question(parent_, qt(app::texts::kAppTitle), qt(text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::optional<PanelDialogs::FileChoice> QtPanelDialogs::chooseMusicFiles(const std::string& folder,
                                                                         int filter) {
    QFileDialog dialog(parent_, {}, QString::fromStdString(folder));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    return run(dialog, qtFilters(texts::kMusicFilter), filter);
}

std::optional<std::string> QtPanelDialogs::chooseFolder(const std::string& folder) {
    const QString chosen =
        QFileDialog::getExistingDirectory(parent_, {}, QString::fromStdString(folder));
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return chosen.toStdString();
}

std::optional<PanelDialogs::FileChoice> QtPanelDialogs::chooseImportFile(const std::string& folder,
                                                                         int filter) {
    QFileDialog dialog(parent_, qt(texts::kImportTitle), QString::fromStdString(folder));
    dialog.setFileMode(QFileDialog::ExistingFile);
    return run(dialog, qtFilters(texts::kPlaylistFilter), filter);
}

std::optional<PanelDialogs::FileChoice> QtPanelDialogs::chooseExportFile(const std::string& folder,
                                                                         const std::string& name,
                                                                         int filter) {
    QFileDialog dialog(parent_, qt(texts::kExportTitle), QString::fromStdString(folder));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.selectFile(QString::fromStdString(name));
    return run(dialog, qtFilters(texts::kPlaylistFilter), filter);
}

std::optional<PanelDialogs::PlaylistChoice> QtPanelDialogs::choosePlaylist(
    const std::vector<std::string>& names) {
    QDialog dialog(parent_);
    dialog.setWindowTitle(qt(texts::kChoosePlaylistTitle));
    auto* layout = new QGridLayout(&dialog);
    auto* existing = new QRadioButton(qt(texts::kChooseExisting), &dialog);
    auto* fresh = new QRadioButton(qt(texts::kChooseNew), &dialog);
    auto* list = new QComboBox(&dialog);
    auto* name = new QLineEdit(&dialog);
    for (const std::string& each : names) {
        list->addItem(QString::fromStdString(each));
    }
    (names.empty() ? fresh : existing)->setChecked(true);
    existing->setEnabled(!names.empty());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(existing, 0, 0);
    layout->addWidget(list, 0, 1);
    layout->addWidget(fresh, 1, 0);
    layout->addWidget(name, 1, 1);
    layout->addWidget(buttons, 2, 0, 1, 2);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    if (fresh->isChecked()) {
        return PlaylistChoice{name->text().toStdString(), true};
    }
    return PlaylistChoice{list->currentText().toStdString(), false};
}

}  // namespace ui::library
