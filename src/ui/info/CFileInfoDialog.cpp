#include "ui/info/CFileInfoDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>

#include "app/GenreChoices.h"
#include "ui/info/InfoTexts.h"

namespace ui::info {

namespace {

QString qt(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

std::string utf8(const QString& text) {
    return text.toStdString();
}

constexpr int kLargestTrack = 999;
constexpr int kLargestYear = 9999;

}  // namespace

CFileInfoDialog::CFileInfoDialog(mdb::MusicDatabase& db, mdb::MusicItem& item,
                                 std::shared_ptr<app::StreamTagAccess> tags,
                                 library::PanelDialogs& dialogs, QWidget* parent)
    : QDialog(parent),
      db_(db),
      item_(item),
      tags_(std::move(tags)),
      dialogs_(dialogs),
      original_(item.getInfo()) {
    setWindowTitle(qt(texts::kTitle));
    setModal(true);
    buildFields();
    readFacts();
}

void CFileInfoDialog::buildFields() {
    auto* form = new QFormLayout(this);
    const auto line = [&](std::string_view label, const std::string& value) {
        auto* edit = new QLineEdit(QString::fromStdString(value), this);
        form->addRow(qt(label), edit);
        return edit;
    };
    path_ = line(texts::kFileName, original_.path);
    path_->setReadOnly(true);
    information_ = new QPlainTextEdit(this);
    information_->setReadOnly(true);
    information_->setTabStopDistance(
        information_->fontMetrics().horizontalAdvance(QString(10, 'x')));
    form->addRow(qt(texts::kInformation), information_);
    title_ = line(texts::kTrackTitle, original_.title);
    artist_ = line(texts::kArtist, original_.artist);
    album_ = line(texts::kAlbum, original_.album);
    year_ = line(texts::kYear, original_.year ? std::to_string(original_.year) : std::string());
    year_->setValidator(new QIntValidator(0, kLargestYear, year_));
    track_ = new QSpinBox(this);
    track_->setRange(0, kLargestTrack);
    track_->setValue(int(std::min<uint32_t>(original_.track, kLargestTrack)));
    form->addRow(qt(texts::kTrack), track_);
    genre_ = new QComboBox(this);
    fillGenres();
    form->addRow(qt(texts::kGenre), genre_);
    comment_ = line(texts::kComment, original_.comment);
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons_, &QDialogButtonBox::accepted, this, &CFileInfoDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &CFileInfoDialog::reject);
    form->addRow(buttons_);
}

// "Unknown" (no genre) first, then the table's names in order; a number
// the table has no name for stays choosable as the item has it.
void CFileInfoDialog::fillGenres() {
    const mdb::GenreTable& table = db_.genres();
    genre_->addItem(QString::fromStdString(table.name(mdb::MusicInfo::kNoGenre)),
                    mdb::MusicInfo::kNoGenre);
    for (const auto& [name, number] : app::genreChoices(table)) {
        genre_->addItem(QString::fromStdString(name), number);
    }
    int row = genre_->findData(original_.genre);
    if (row < 0) {
        genre_->addItem(QString::fromStdString(table.name(original_.genre)), original_.genre);
        row = genre_->count() - 1;
    }
    genre_->setCurrentIndex(row);
}

void CFileInfoDialog::readFacts() {
    information_->setPlainText(qt(texts::kReading));
    auto facts = std::make_shared<std::optional<app::StreamTagAccess::Facts>>();
    work_.run([tags = tags_, path = original_.path, facts] { *facts = tags->facts(path); },
              [this, facts] { showFacts(*facts); });
}

void CFileInfoDialog::showFacts(const std::optional<app::StreamTagAccess::Facts>& facts) {
    if (!facts) {
        information_->setPlainText(qt(texts::kUnreadable));
        return;
    }
    // The text's lines end in CR LF; the edit box wants LF alone.
    information_->setPlainText(qt(facts->text).remove(QLatin1Char('\r')));
}

mdb::MusicInfo CFileInfoDialog::edited() const {
    mdb::MusicInfo record = original_;
    record.title = utf8(title_->text());
    record.artist = utf8(artist_->text());
    record.album = utf8(album_->text());
    record.year = year_->text().toUInt();
    record.track = uint32_t(track_->value());
    record.genre = genre_->currentData().toUInt();
    record.comment = utf8(comment_->text());
    return record;
}

void CFileInfoDialog::accept() {
    if (busy_) {
        return;
    }
    const mdb::MusicInfo record = edited();
    const mdb::TagEdit edit = app::tagEditBetween(original_, record);
    if (edit.empty()) {
        QDialog::accept();
        return;
    }
    setBusy(true);
    auto outcome = std::make_shared<app::TagFileWrite>(app::TagFileWrite::Failed);
    work_.run([tags = tags_, path = original_.path, edit,
               outcome] { *outcome = app::writeTagToFile(*tags, path, edit); },
              [this, outcome, record] { written(*outcome, record); });
}

void CFileInfoDialog::written(app::TagFileWrite outcome, const mdb::MusicInfo& record) {
    setBusy(false);
    const std::string_view question = app::questionFor(outcome);
    if (!question.empty() && !dialogs_.askOkCancel(question)) {
        return;  // back to the dialog, nothing changed
    }
    app::storeEdit(db_, item_, record, outcome);
    QDialog::accept();
}

// A write under way finishes first: its outcome decides what happens.
void CFileInfoDialog::reject() {
    if (!busy_) {
        QDialog::reject();
    }
}

void CFileInfoDialog::setBusy(bool busy) {
    busy_ = busy;
    buttons_->setEnabled(!busy);
}

}  // namespace ui::info
