#include "ui/library/CSearchDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "app/GenreChoices.h"
#include "app/Settings.h"
#include "ui/library/CListPanel.h"
#include "ui/library/GroupListModel.h"
#include "ui/library/LibraryTexts.h"

namespace ui::library {

namespace {

QString qt(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// The check boxes in dialog order with the field each one stands for.
constexpr std::array<std::pair<std::string_view, mdb::MusicInfo::Type>, 5> kFieldBoxes = {{
    {texts::kFieldTitle, mdb::MusicInfo::Title},
    {texts::kFieldArtist, mdb::MusicInfo::Artist},
    {texts::kFieldAlbum, mdb::MusicInfo::Album},
    {texts::kFieldComment, mdb::MusicInfo::Comment},
    {texts::kFieldFileName, mdb::MusicInfo::Path},
}};

}  // namespace

CSearchDialog::CSearchDialog(mdb::MusicDatabase& db, CListPanel& panel,
                             app::PlayerSettings& settings, PanelDialogs& dialogs)
    : QDialog(&panel),
      db_(db),
      panel_(panel),
      settings_(settings),
      dialogs_(dialogs),
      state_(uint32_t(settings.read(app::settings::kSearchMask))) {
    setWindowTitle(qt(texts::kSearchTitle));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildFields());
    layout->addWidget(buildScope());
    toPlaylist_ = new QCheckBox(qt(texts::kHitsToPlaylist), this);
    layout->addWidget(toPlaylist_);
    auto* buttons = new QDialogButtonBox(this);
    search_ = buttons->addButton(qt(texts::kSearchButton), QDialogButtonBox::ActionRole);
    search_->setDefault(true);
    search_->setEnabled(false);
    buttons->addButton(qt(texts::kCloseButton), QDialogButtonBox::RejectRole);
    connect(search_, &QPushButton::clicked, this, &CSearchDialog::search);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

CSearchDialog::~CSearchDialog() {
    state_.setFields(checkedFields());
    settings_.write(app::settings::kSearchMask, int32_t(state_.searchMask()));
}

QWidget* CSearchDialog::buildFields() {
    auto* box = new QWidget(this);
    auto* form = new QFormLayout(box);
    form->setContentsMargins(0, 0, 0, 0);
    text_ = new QLineEdit(box);
    form->addRow(qt(texts::kSearchText), text_);
    connect(text_, &QLineEdit::textChanged, this, [this](const QString& text) {
        search_->setEnabled(!text.isEmpty());
        state_.restart();
    });
    genre_ = new QComboBox(box);
    fillGenres();
    form->addRow(qt(texts::kSearchGenre), genre_);
    auto* fields = new QGroupBox(qt(texts::kSearchFields), box);
    auto* row = new QHBoxLayout(fields);
    for (size_t i = 0; i < kFieldBoxes.size(); ++i) {
        auto* check = new QCheckBox(qt(kFieldBoxes[i].first), fields);
        check->setChecked((state_.fields() & kFieldBoxes[i].second) != 0);
        connect(check, &QCheckBox::clicked, this, [this, check] { fieldClicked(check); });
        row->addWidget(check);
        fieldBoxes_[i] = check;
    }
    form->addRow(fields);
    return box;
}

QWidget* CSearchDialog::buildScope() {
    auto* scope = new QGroupBox(qt(texts::kSearchScope), this);
    auto* row = new QHBoxLayout(scope);
    current_ = new QRadioButton(qt(texts::kScopeCurrent), scope);
    library_ = new QRadioButton(qt(texts::kScopeLibrary), scope);
    current_->setChecked(true);
    row->addWidget(current_);
    row->addWidget(library_);
    return scope;
}

// Every named genre but "Unknown", sorted, after the entry for any genre.
void CSearchDialog::fillGenres() {
    genre_->addItem(qt(texts::kAllGenres), app::LibrarySearch::kAnyGenre);
    for (const auto& [name, number] : app::genreChoices(db_.genres())) {
        genre_->addItem(QString::fromStdString(name), int(number));
    }
    genre_->setCurrentIndex(0);
}

void CSearchDialog::fieldClicked(QCheckBox* box) {
    if (checkedFields() != 0) {
        return;
    }
    dialogs_.tell(texts::kChooseOneField);
    box->setChecked(true);
    box->setFocus();
}

uint32_t CSearchDialog::checkedFields() const {
    uint32_t fields = 0;
    for (size_t i = 0; i < kFieldBoxes.size(); ++i) {
        if (fieldBoxes_[i]->isChecked()) {
            fields |= kFieldBoxes[i].second;
        }
    }
    return fields;
}

app::LibrarySearch::Query CSearchDialog::query() const {
    app::LibrarySearch::Query query;
    query.text = withoutTrailingBlanks(text_->text().toStdString());
    query.fields = checkedFields();
    query.genre = genre_->currentData().toInt();
    query.list = current_->isChecked() ? panel_.CurrentList() : nullptr;
    return query;
}

void CSearchDialog::search() {
    const app::LibrarySearch::Query wanted = query();
    if (wanted.text.empty()) {
        return;
    }
    if (toPlaylist_->isChecked()) {
        addHits(wanted);
    } else {
        findNext(wanted);
    }
}

void CSearchDialog::findNext(const app::LibrarySearch::Query& query) {
    std::optional<size_t> hit;
    {
        auto guard = db_.lock();
        hit = state_.findNext(db_, query);
    }
    if (!hit) {
        notFound();
        return;
    }
    panel_.showHit(query.list, *hit);
}

void CSearchDialog::addHits(const app::LibrarySearch::Query& query) {
    std::vector<mdb::MusicItem*> hits;
    {
        auto guard = db_.lock();
        hits = app::LibrarySearch::findAll(db_, query);
    }
    if (hits.empty()) {
        notFound();
        return;
    }
    panel_.choosePlaylistFor(hits);
}

void CSearchDialog::notFound() {
    dialogs_.tell(texts::kNotFound);
    text_->setFocus();
}

}  // namespace ui::library
