#include "ui/record/CRecordPanel.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QShortcut>
#include <QTableView>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "app/CPlayController.h"
#include "app/ListColumns.h"
#include "app/PlayerSettings.h"
#include "app/Settings.h"
#include "app/WindowPlacement.h"
#include "mdb/MusicDatabase.h"
#include "stream/ErrorText.h"
#include "stream/ResultCodes.h"
#include "ui/PanelPlacement.h"
#include "ui/library/ColumnLayout.h"
#include "ui/record/QtRecordDialogs.h"
#include "ui/record/RecordTexts.h"

namespace ui::record {
namespace {

QString qt(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

constexpr QSize kDefaultSize(760, 360);

}  // namespace

CRecordPanel::CRecordPanel(const app::Engine& engine, app::PlayerSettings& settings,
                           app::CPlayController& player, Library library,
                           std::unique_ptr<RecordDialogs> dialogs)
    : QWidget(nullptr, Qt::Window),
      engine_(engine),
      settings_(settings),
      player_(player),
      library_(std::move(library)),
      dialogs_(dialogs ? std::move(dialogs) : std::make_unique<QtRecordDialogs>(engine, this)),
      lookup_([this](int kind, uint32_t result,
                     const cdinfo::CDiscID& disc) { requestDone(kind, result, disc); },
              [this] { lookupTick(); }),
      mediaWatch_([this] { return settings_.read(app::settings::kCdDrive); },
                  [this] { return mayWatchMedia(); }, [this] { readDisc(); }),
      probe_(engine, [this](const ProbedFile& file) { fileProbed(file); }) {
    setWindowTitle(qt(texts::kPanelTitle));
    setAttribute(Qt::WA_QuitOnClose, false);  // the main window is the program
    setAcceptDrops(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildButtons());
    layout->addWidget(buildDiscFields());
    layout->addWidget(buildTable(), 1);
    layout->addWidget(buildProgress());
    resize(kDefaultSize);
    progressTimer_.setInterval(100);
    QObject::connect(&progressTimer_, &QTimer::timeout, [this] { showProgress(); });
    run_ = std::make_unique<app::RecordingRun>(
        engine_, model_.entries(),
        [this](const app::RecordingEntry& entry) { return sourceName(entry); }, runHooks());
    refreshInfo();
    mediaWatch_.start();
}

// A running recording stops first: its partial file goes.
CRecordPanel::~CRecordPanel() {
    run_->stop();
    storeDiscEdits();
    // The fields finish editing as they lose the focus while the base
    // class destroys them: by then there is no panel to take the text.
    for (QLineEdit* field : {discTitle_, discArtist_, discExtra_}) {
        QObject::disconnect(field, &QLineEdit::editingFinished, nullptr, nullptr);
    }
}

QWidget* CRecordPanel::buildButtons() {
    auto* bar = new QWidget;
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    addButton(texts::kLookUp, QKeySequence(Qt::ALT | Qt::Key_D), [this] { lookUpDisc(); });
    addButton(texts::kStart, QKeySequence(Qt::ALT | Qt::Key_R), [this] { StartRecording(); });
    addButton(texts::kStop, QKeySequence(Qt::ALT | Qt::Key_Q), [this] { StopRecording(); });
    addButton(texts::kEject, QKeySequence(Qt::ALT | Qt::Key_O), [this] { eject(); });
    addButton(texts::kSelectAll, QKeySequence(Qt::ALT | Qt::Key_N), [this] { selectAll(true); });
    addButton(texts::kSelectNone, QKeySequence(Qt::ALT | Qt::Key_M), [this] { selectAll(false); });
    addButton(texts::kAddFiles, QKeySequence(Qt::ALT | Qt::Key_I), [this] { addFiles(); });
    addButton(texts::kOptions, QKeySequence(Qt::CTRL | Qt::Key_9), [this] {
        if (openOptions_) {
            openOptions_();
        }
    });
    addButton(texts::kPost, QKeySequence(Qt::ALT | Qt::Key_P), [this] { post(); });
    for (QToolButton* button : findChildren<QToolButton*>()) {
        row->addWidget(button);
    }
    row->addStretch(1);
    busy_ = new QProgressBar;
    busy_->setRange(0, 0);
    busy_->setMaximumWidth(80);
    busy_->hide();
    row->addWidget(busy_);
    return bar;
}

// The button's text is its tooltip up to the accelerator.
QToolButton* CRecordPanel::addButton(std::string_view tooltip, const QKeySequence& keys,
                                     std::function<void()> run) {
    auto* button = new QToolButton(this);
    const QString tip = qt(tooltip);
    button->setToolTip(tip);
    button->setText(tip.section(QLatin1Char(' '), 0, 0));
    QObject::connect(button, &QToolButton::clicked, run);
    auto* shortcut = new QShortcut(keys, this);
    QObject::connect(shortcut, &QShortcut::activated, run);
    return button;
}

QWidget* CRecordPanel::buildDiscFields() {
    auto* fields = new QWidget;
    auto* row = new QHBoxLayout(fields);
    row->setContentsMargins(0, 0, 0, 0);
    discTitle_ = new QLineEdit;
    discArtist_ = new QLineEdit;
    discExtra_ = new QLineEdit;
    row->addWidget(new QLabel(qt(texts::kDiscTitle)));
    row->addWidget(discTitle_, 2);
    row->addWidget(new QLabel(qt(texts::kDiscArtist)));
    row->addWidget(discArtist_, 1);
    row->addWidget(new QLabel(qt(texts::kDiscExtra)));
    row->addWidget(discExtra_, 1);
    QObject::connect(discTitle_, &QLineEdit::editingFinished, [this] { editDiscTitle(); });
    QObject::connect(discArtist_, &QLineEdit::editingFinished, [this] { editDiscArtist(); });
    QObject::connect(discExtra_, &QLineEdit::editingFinished, [this] { editDiscExtra(); });
    return fields;
}

QTableView* CRecordPanel::buildTable() {
    table_ = new QTableView;
    table_->setModel(&model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setShowGrid(false);
    table_->setWordWrap(false);
    // A double-click plays: titles are edited with F2 or a second click.
    table_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    model_.lockWhile([this] { return IsRecording(); });
    model_.onTitleEdited([this](size_t row) { titleEdited(row); });
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setSectionsMovable(true);
    const std::string fallback(app::settings::kRecordItemPosition.defaultValue);
    library::applyColumns(*table_->horizontalHeader(),
                          app::ListColumns::forRecording(
                              settings_.read(app::settings::kRecordItemPosition), fallback));
    QObject::connect(table_, &QTableView::doubleClicked,
                     [this](const QModelIndex& index) { playRow(index.row()); });
    addEntryCommands();
    return table_;
}

// The list's context menu holds the commands on the selected entry.
void CRecordPanel::addEntryCommands() {
    auto* format = new QAction(qt(texts::kEntryFormat), table_);
    format->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F));
    format->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(format, &QAction::triggered, [this] { chooseEntryFormat(); });
    table_->addAction(format);
    table_->setContextMenuPolicy(Qt::ActionsContextMenu);
}

QWidget* CRecordPanel::buildProgress() {
    auto* area = new QWidget;
    auto* column = new QVBoxLayout(area);
    column->setContentsMargins(0, 0, 0, 0);
    entryProgress_ = new QProgressBar;
    runProgress_ = new QProgressBar;
    for (QProgressBar* bar : {entryProgress_, runProgress_}) {
        bar->setRange(0, 1000);
        bar->setValue(0);
        bar->setTextVisible(false);
        column->addWidget(bar);
    }
    status_ = new QLabel;
    info_ = new QLabel;
    column->addWidget(status_);
    column->addWidget(info_);
    return area;
}

void CRecordPanel::showBeside(const QRect& player) {
    ShowPanelAt(*this, settings_.read(app::settings::kRecordPosition),
                QRect(player.bottomLeft() + QPoint(0, 1), size()));
}

// The drive is left alone while it is being read or played.
bool CRecordPanel::mayWatchMedia() const {
    const bool playing =
        player_.SourceKind() == app::CPlayController::kRecordingKind && player_.GetStatus() != 0;
    return !lookingUp() && !IsRecording() && !playing;
}

void CRecordPanel::closeEvent(QCloseEvent* event) {
    storeDiscEdits();
    saveSettings();
    QWidget::closeEvent(event);
}

void CRecordPanel::saveSettings() {
    app::WindowPlacement placement;
    const QRect frame = geometry();
    placement.showCommand = app::WindowPlacement::kHidden;
    placement.left = frame.left();
    placement.top = frame.top();
    placement.right = frame.right() + 1;
    placement.bottom = frame.bottom() + 1;
    settings_.write(app::settings::kRecordPosition, placement.format());
    settings_.write(app::settings::kRecordItemPosition,
                    library::columnsOf(*table_->horizontalHeader()).format());
}

void CRecordPanel::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls() && !IsRecording()) {
        event->acceptProposedAction();
    }
}

void CRecordPanel::dropEvent(QDropEvent* event) {
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths.push_back(url.toLocalFile().toStdString());
        }
    }
    event->acceptProposedAction();
    AddFilesForConversion(paths);
}

QString CRecordPanel::statusText() const {
    return status_->text();
}

QString CRecordPanel::infoText() const {
    return info_->text();
}

// --- The player's view of the list

int32_t CRecordPanel::Count() const {
    return static_cast<int32_t>(model_.entries().size());
}

app::PlayerRecordingPanel::Entry CRecordPanel::EntryAt(int32_t index) const {
    const app::RecordingEntry& entry = model_.entries().at(static_cast<size_t>(index));
    Entry out;
    out.track = entry.cdTrack ? entry.trackNumber : 0;
    out.path = entry.cdTrack ? std::string() : entry.sourcePath;
    out.title = entry.title;
    out.artist = entry.cdTrack ? std::string() : entry.artist;
    out.lengthSeconds = entry.lengthSeconds;
    return out;
}

std::string CRecordPanel::DriveText() const {
    return drive_;
}

bool CRecordPanel::IsRecording() const {
    return run_ && run_->running();
}

int32_t CRecordPanel::SelectedTrack() const {
    const QModelIndex current = table_->currentIndex();
    return current.isValid() ? current.row() : 0;
}

int32_t CRecordPanel::RecordingTrack() const {
    return std::max(run_->current(), 0);
}

void CRecordPanel::PlaybackChanged() {
    const bool playing =
        player_.SourceKind() == app::CPlayController::kRecordingKind && player_.GetStatus() != 0;
    model_.setPlayingRow(playing ? player_.CurrentIndex() : -1);
}

void CRecordPanel::playRow(int row) {
    if (row < 0 || row >= Count()) {
        return;
    }
    table_->selectRow(row);
    settings_.write(app::settings::kControlActive, 1);
    player_.FollowRecordingPanel(true);
    if (const uint32_t rc = player_.Play(); nxss::failed(rc)) {
        dialogs_->tell(GetErrorText(rc));
    }
}

// Only a list the player plays is its business.
void CRecordPanel::tellPlayer(int32_t event) {
    if (player_.SourceKind() == app::CPlayController::kRecordingKind) {
        player_.OnListEvent(event);
    }
}

}  // namespace ui::record
