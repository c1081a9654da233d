#include "ui/record/QtRecordDialogs.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "app/AppTexts.h"
#include "ui/library/QtPanelDialogs.h"
#include "ui/record/EntryFormatDialog.h"
#include "ui/record/RecordTexts.h"

namespace ui::record {
namespace {

QString qt(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

}  // namespace

void QtRecordDialogs::tell(std::string_view text) {
    QMessageBox::warning(parent_, qt(app::texts::kAppTitle), qt(text));
}

bool QtRecordDialogs::askYesNo(std::string_view text) {
    return QMessageBox::question(parent_, qt(app::texts::kAppTitle), qt(text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

app::RecordingRun::Question QtRecordDialogs::askRecordedAgain(const std::string& title) {
    using Answer = app::RecordingRun::Answer;
    QMessageBox box(QMessageBox::Question, qt(texts::kPanelTitle),
                    qt(texts::kRecordedAgain).arg(QString::fromStdString(title)),
                    QMessageBox::NoButton, parent_);
    QPushButton* yes = box.addButton(qt(texts::kYes), QMessageBox::YesRole);
    QPushButton* no = box.addButton(qt(texts::kNo), QMessageBox::NoRole);
    box.addButton(qt(texts::kCancel), QMessageBox::RejectRole);
    auto* all = new QCheckBox(qt(texts::kAll), &box);
    box.setCheckBox(all);
    box.exec();
    const Answer answer = box.clickedButton() == yes  ? Answer::Yes
                          : box.clickedButton() == no ? Answer::No
                                                      : Answer::Cancel;
    return {answer, all->isChecked()};
}

std::optional<RecordDialogs::FileChoice> QtRecordDialogs::chooseFiles(const std::string& folder,
                                                                      int filter) {
    QFileDialog dialog(parent_, qt(texts::kAddFiles), QString::fromStdString(folder));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    const QStringList filters = library::qtFilters(texts::kAddFilter);
    dialog.setNameFilters(filters);
    if (filter >= 0 && filter < filters.size()) {
        dialog.selectNameFilter(filters[filter]);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    FileChoice choice;
    for (const QString& file : dialog.selectedFiles()) {
        choice.paths.push_back(file.toStdString());
    }
    choice.filter = int(filters.indexOf(dialog.selectedNameFilter()));
    return choice;
}

NxRef<CNxSSWriterSettings> QtRecordDialogs::chooseFormat(const NxRef<CNxSSWriterSettings>& start) {
    EntryFormatDialog dialog(engine_, start, parent_);
    return dialog.exec() == QDialog::Accepted ? dialog.chosen() : NxRef<CNxSSWriterSettings>();
}

}  // namespace ui::record
