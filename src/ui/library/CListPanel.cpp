#include "ui/library/CListPanel.h"

#include <QHeaderView>
#include <QListView>
#include <QMenu>
#include <QProgressDialog>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/CPlayController.h"
#include "app/PanelPoints.h"
#include "app/PlayerSettings.h"
#include "app/Settings.h"
#include "app/WindowPlacement.h"
#include "ui/PanelPlacement.h"
#include "ui/library/ColumnLayout.h"
#include "ui/library/LibraryTexts.h"
#include "ui/library/QtPanelDialogs.h"
#include "ui/library/SkinnedButton.h"
#include "ui/library/SkinnedTile.h"

namespace ui::library {
namespace {

QString qt(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

constexpr QSize kDefaultSize(640, 420);
constexpr int kRowHeight = 18;
constexpr int kBarHeight = 24;

// The tooltip's words before the key name the button.
QString nameOf(std::string_view tip) {
    return qt(tip).section(QLatin1String(" ("), 0, 0);
}

// A bar of the panel's background with its own row of buttons.
SkinnedTile* makeBar(PanelSkin& skin, QHBoxLayout*& row) {
    auto* bar = new SkinnedTile(skin, PanelPiece::Background);
    bar->setFixedHeight(kBarHeight);
    row = new QHBoxLayout(bar);
    row->setContentsMargins(2, 0, 2, 0);
    row->setSpacing(1);
    return bar;
}

// The layout points: the library side's and the playlist side's splitter
// sizes, the side shown (x: 1 for playlists) and the window's size.
enum Point { kLibrarySplit = 0, kPlaylistSplit = 1, kSideShown = 2, kSize = 3 };

void restoreSplit(QSplitter& split, const app::PanelPoints::Point& point) {
    if (point.x > 0 && point.y > 0) {
        split.setSizes({point.x, point.y});
    }
}

app::PanelPoints::Point splitPoint(const QSplitter& split) {
    const QList<int> sizes = split.sizes();
    return sizes.size() == 2 ? app::PanelPoints::Point{sizes[0], sizes[1]}
                             : app::PanelPoints::Point{};
}

}  // namespace

CListPanel::CListPanel(app::PlayerSettings& settings, app::CPlayController& player,
                       std::shared_ptr<app::StreamTagAccess> tags,
                       std::vector<std::string> extensions, std::unique_ptr<PanelDialogs> dialogs)
    : QWidget(nullptr, Qt::Window),
      settings_(settings),
      player_(player),
      tags_(std::move(tags)),
      extensions_(std::move(extensions)),
      dialogs_(dialogs ? std::move(dialogs) : std::make_unique<QtPanelDialogs>(this)) {
    setWindowTitle(qt(texts::kPanelTitle));
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Closing the main window ends the program, the panel open or not.
    setAttribute(Qt::WA_QuitOnClose, false);
    content_ = new QWidget(this);
    content_->setAutoFillBackground(true);
    sides_ = new QStackedWidget;
    sides_->addWidget(buildLibrarySide());
    sides_->addWidget(buildPlaylistSide());
    auto* inside = new QVBoxLayout(content_);
    inside->setContentsMargins(0, 0, 0, 0);
    inside->setSpacing(0);
    inside->addWidget(buildTabBar());
    inside->addWidget(sides_);
    showPlaylistSide(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content_);
    resize(kDefaultSize);
    addShortcuts();
    restoreLayout();
    connect(sides_, &QStackedWidget::currentChanged, this,
            [this] { player_.FollowListPanel(false); });
}

CListPanel::~CListPanel() {
    saveSettings();
}

SkinnedButton* CListPanel::addSkinned(QLayout& layout, PanelPiece piece, std::string_view tip,
                                      const QString& text) {
    auto* button = new SkinnedButton(skin_, piece, text, qt(tip));
    layout.addWidget(button);
    buttons_[size_t(piece)] = button;
    return button;
}

// The two tabs choose the side; file information and the edit menu act
// on the side shown.
QWidget* CListPanel::buildTabBar() {
    QHBoxLayout* row = nullptr;
    SkinnedTile* bar = makeBar(skin_, row);
    for (const auto& [piece, text, side] :
         {std::tuple{PanelPiece::TabLibrary, texts::kLibraryTab, 0},
          std::tuple{PanelPiece::TabPlay, texts::kPlaylistTab, 1}}) {
        SkinnedButton* tab = addSkinned(*row, piece, {}, qt(text));
        tab->setCheckable(true);
        tab->setAutoExclusive(true);
        const bool playlists = side == 1;
        connect(tab, &SkinnedButton::clicked, this,
                [this, playlists] { showPlaylistSide(playlists); });
    }
    row->addStretch();
    SkinnedButton* info =
        addSkinned(*row, PanelPiece::Edit, texts::kFileInfoTip, nameOf(texts::kFileInfoTip));
    connect(info, &SkinnedButton::clicked, this, [this] { editProperties(); });
    SkinnedButton* edit =
        addSkinned(*row, PanelPiece::Select, texts::kEditMenuTip, QStringLiteral("≡"));
    connect(edit, &SkinnedButton::clicked, this,
            [this, edit] { editMenu()->exec(edit->mapToGlobal(edit->rect().bottomLeft())); });
    return bar;
}

void CListPanel::setSkinFolder(const std::filesystem::path& folder) {
    skin_.setFolder(folder);
    skinApplied_ = false;
    if (isVisible()) {
        applySkin();
    }
}

// Only now are the pieces read: a panel never shown costs no file reads.
void CListPanel::showEvent(QShowEvent* event) {
    if (!skinApplied_) {
        applySkin();
    }
    QWidget::showEvent(event);
}

void CListPanel::applySkin() {
    skinApplied_ = true;
    content_->setPalette(skin_.palette(palette()));
    for (QWidget* child : content_->findChildren<QWidget*>()) {
        if (dynamic_cast<SkinnedButton*>(child) || dynamic_cast<SkinnedTile*>(child)) {
            child->updateGeometry();
            child->update();
        }
    }
}

QTableView* CListPanel::buildItemTable() {
    auto* table = new QTableView;
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setDragDropMode(QAbstractItemView::DragDrop);
    table->setDefaultDropAction(Qt::CopyAction);
    table->setDropIndicatorShown(true);
    table->setShowGrid(false);
    table->setWordWrap(false);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setContextMenuPolicy(Qt::CustomContextMenu);
    // Fixed rows: the view never measures 100 000 of them.
    table->verticalHeader()->hide();
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(kRowHeight);
    table->horizontalHeader()->setSectionsMovable(true);
    table->horizontalHeader()->setSectionsClickable(true);
    table->horizontalHeader()->setHighlightSections(false);
    table->horizontalHeader()->setStretchLastSection(true);
    connect(table, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { playRow(index.row()); });
    connect(table, &QWidget::customContextMenuRequested, this, [this, table](const QPoint& at) {
        itemMenu()->exec(table->viewport()->mapToGlobal(at));
    });
    connect(table->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this, table](int section) { sortBy(*table, section); });
    return table;
}

QWidget* CListPanel::buildLibrarySide() {
    auto* side = new QWidget;
    QHBoxLayout* buttons = nullptr;
    SkinnedTile* bar = makeBar(skin_, buttons);
    const std::array<std::string_view, 4> tips = {texts::kShowAllTip, texts::kByArtistTip,
                                                  texts::kByAlbumTip, texts::kByGenreTip};
    for (int mode = 0; mode < int(tips.size()); ++mode) {
        auto* button = new QToolButton(bar);
        button->setAutoRaise(true);
        // The tooltip's first word names the mode.
        button->setText(qt(tips[size_t(mode)]).section(QLatin1Char(' '), 0, 0));
        button->setToolTip(qt(tips[size_t(mode)]));
        button->setCheckable(true);
        button->setAutoExclusive(true);
        connect(button, &QToolButton::clicked, this, [this, mode] { setShowMode(mode); });
        buttons->addWidget(button);
        modeButtons_.push_back(button);
    }
    modeButtons_.front()->setChecked(true);
    buttons->addStretch();
    groupView_ = new QListView;
    groupView_->setDragDropMode(QAbstractItemView::DragOnly);
    groupView_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(groupView_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        groupMenu()->exec(groupView_->viewport()->mapToGlobal(at));
    });
    libraryItems_ = buildItemTable();
    librarySplit_ = new QSplitter(Qt::Horizontal);
    librarySplit_->addWidget(groupView_);
    librarySplit_->addWidget(libraryItems_);
    librarySplit_->setSizes({160, 480});
    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(librarySplit_);
    return side;
}

QWidget* CListPanel::buildPlaylistSide() {
    auto* side = new QWidget;
    QHBoxLayout* buttons = nullptr;
    SkinnedTile* bar = makeBar(skin_, buttons);
    buttons->addWidget(new SkinnedTile(skin_, PanelPiece::DirectionText));
    connect(addSkinned(*buttons, PanelPiece::Up, texts::kUpTip, QStringLiteral("▲")),
            &SkinnedButton::clicked, this, [this] { moveSelection(-1); });
    connect(addSkinned(*buttons, PanelPiece::Down, texts::kDownTip, QStringLiteral("▼")),
            &SkinnedButton::clicked, this, [this] { moveSelection(1); });
    buttons->addSpacing(8);
    buttons->addWidget(new SkinnedTile(skin_, PanelPiece::WritingText));
    connect(addSkinned(*buttons, PanelPiece::Write, texts::kCdrTip, QStringLiteral("CD-R")),
            &SkinnedButton::clicked, this, [this] { writeCdr(); });
    buttons->addStretch();
    playlistView_ = new QListView;
    playlistView_->setDragDropMode(QAbstractItemView::DragDrop);
    playlistView_->setDefaultDropAction(Qt::CopyAction);
    playlistView_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    playlistView_->setEditTriggers(QAbstractItemView::EditKeyPressed |
                                   QAbstractItemView::SelectedClicked);
    playlistView_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(playlistView_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        playlistMenu()->exec(playlistView_->viewport()->mapToGlobal(at));
    });
    playlistItems_ = buildItemTable();
    playlistItems_->setDefaultDropAction(Qt::MoveAction);
    playlistSplit_ = new QSplitter(Qt::Horizontal);
    playlistSplit_->addWidget(playlistView_);
    playlistSplit_->addWidget(playlistItems_);
    playlistSplit_->setSizes({160, 480});
    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(playlistSplit_);
    return side;
}

void CListPanel::addShortcuts() {
    const auto key = [this](QKeySequence sequence, auto run) {
        auto* shortcut = new QShortcut(sequence, this);
        connect(shortcut, &QShortcut::activated, this, run);
    };
    for (int mode = 0; mode < 4; ++mode) {
        key(QKeySequence(Qt::ALT | Qt::Key(Qt::Key_1 + mode)), [this, mode] {
            showPlaylistSide(false);
            setShowMode(mode);
        });
    }
    // The other side, as a tab widget's keys turn its tabs.
    for (const QKeyCombination turn :
         {Qt::CTRL | Qt::Key_Tab, Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab,
          Qt::CTRL | Qt::Key_PageDown, Qt::CTRL | Qt::Key_PageUp}) {
        key(QKeySequence(turn), [this] { showPlaylistSide(!showsPlaylists()); });
    }
    key(QKeySequence(Qt::ALT | Qt::Key_5), [this] { writeCdr(); });
    key(QKeySequence(Qt::ALT | Qt::Key_S), [this] { editMenu()->exec(mapToGlobal(QPoint(0, 0))); });
    key(QKeySequence(Qt::ALT | Qt::Key_E), [this] { editProperties(); });
    key(QKeySequence(Qt::ALT | Qt::Key_Up), [this] { moveSelection(-1); });
    key(QKeySequence(Qt::ALT | Qt::Key_Down), [this] { moveSelection(1); });
    key(QKeySequence(Qt::CTRL | Qt::Key_O), [this] { addFiles(); });
    key(QKeySequence(Qt::Key_Delete), [this] { deleteSelection(); });
    key(QKeySequence(Qt::CTRL | Qt::Key_C), [this] { copySelection(); });
    key(QKeySequence(Qt::CTRL | Qt::Key_V), [this] { paste(); });
    key(QKeySequence(Qt::CTRL | Qt::Key_F), [this] { searchLibrary(); });
    key(QKeySequence(Qt::ALT | Qt::Key_Return), [this] { editProperties(); });
}

void CListPanel::attach(mdb::MusicDatabase& db) {
    if (db_ != nullptr) {
        return;
    }
    db_ = &db;
    const auto refuse = [this](std::string_view message) { dialogs_->tellStop(message); };
    const auto dropped = [this](const FilesDrop& drop) {
        auto guard = db_->lock();
        addPaths(drop.paths, drop.playlist ? drop.playlist->name() : std::string(), drop.row);
    };
    groupModel_ = std::make_unique<GroupListModel>(db, GroupListModel::Mode(showMode_));
    libraryModel_ = std::make_unique<ItemListModel>(db);
    playlistListModel_ = std::make_unique<GroupListModel>(db, GroupListModel::Mode::Playlists);
    playlistModel_ = std::make_unique<ItemListModel>(db);
    for (ItemListModel* model : {libraryModel_.get(), playlistModel_.get()}) {
        model->setFilesDropHandler(dropped);
    }
    playlistListModel_->setFilesDropHandler(dropped);
    playlistListModel_->setRefusalHandler(refuse);
    groupView_->setModel(groupModel_.get());
    libraryItems_->setModel(libraryModel_.get());
    playlistView_->setModel(playlistListModel_.get());
    playlistItems_->setModel(playlistModel_.get());
    applyColumns(*libraryItems_->horizontalHeader(),
                 app::ListColumns::forLibrary(settings_.read(app::settings::kLibraryItemPosition),
                                              app::settings::kLibraryItemPosition.defaultValue));
    applyColumns(*playlistItems_->horizontalHeader(),
                 app::ListColumns::forLibrary(settings_.read(app::settings::kPlaylistItemPosition),
                                              app::settings::kPlaylistItemPosition.defaultValue));
    connectViews();
}

void CListPanel::connectViews() {
    connect(groupView_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& now) { showGroupRow(now.row()); });
    connect(playlistView_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& now) { showPlaylistRow(now.row()); });
    // A list that loses its last row shows nothing rather than a stale one.
    connect(playlistListModel_.get(), &QAbstractItemModel::rowsRemoved, this, [this] {
        if (!playlistView_->currentIndex().isValid()) {
            playlistModel_->showNothing();
        }
    });
}

void CListPanel::showGroupRow(int row) {
    groupModel_->showRowIn(row, *libraryModel_);
    markPlaying();
    player_.FollowListPanel(false);
}

void CListPanel::showPlaylistRow(int row) {
    playlistListModel_->showRowIn(row, *playlistModel_);
    markPlaying();
    player_.FollowListPanel(false);
}

void CListPanel::selectRow(QListView& view, int row) {
    if (view.model() == nullptr || row < 0 || row >= view.model()->rowCount()) {
        return;
    }
    const QModelIndex index = view.model()->index(row, 0);
    view.selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

void CListPanel::setShowMode(int mode) {
    mode = std::clamp(mode, 0, 3);
    modeButtons_[size_t(mode)]->setChecked(true);
    if (mode == showMode_ && groupModel_ && groupView_->currentIndex().isValid()) {
        return;
    }
    showMode_ = mode;
    if (!groupModel_) {
        return;
    }
    groupModel_->setMode(GroupListModel::Mode(mode));
    if (groupModel_->rowCount() > 0) {
        selectRow(*groupView_, 0);
    } else {
        showGroupRow(-1);
    }
}

bool CListPanel::showsPlaylists() const {
    return sides_->currentIndex() == 1;
}

void CListPanel::showPlaylistSide(bool playlists) {
    sides_->setCurrentIndex(playlists ? 1 : 0);
    buttons_[size_t(playlists ? PanelPiece::TabPlay : PanelPiece::TabLibrary)]->setChecked(true);
}

void CListPanel::restoreView(int showMode, const std::string& libraryName,
                             const std::string& playlistName) {
    if (!groupModel_) {
        return;
    }
    showMode_ = -1;  // the model is set up afresh
    setShowMode(showMode);
    if (!libraryName.empty() && groupModel_->rowOf(libraryName) >= 0) {
        selectRow(*groupView_, groupModel_->rowOf(libraryName));
    }
    if (!playlistName.empty()) {
        selectRow(*playlistView_, playlistListModel_->rowOf(playlistName));
    }
}

void CListPanel::selectPlaylist(const std::string& name) {
    if (!playlistListModel_) {
        return;
    }
    showPlaylistSide(true);
    const int row = playlistListModel_->rowOf(name);
    if (row == playlistView_->currentIndex().row()) {
        showPlaylistRow(row);  // the same list, maybe refilled
    } else {
        selectRow(*playlistView_, row);
    }
}

void CListPanel::showBeside(const QRect& player) {
    ShowPanelAt(*this, settings_.read(app::settings::kPlaylistPosition),
                QRect(player.topRight() + QPoint(1, 0), size()));
}

void CListPanel::restoreLayout() {
    const auto points = app::PanelPoints::parse(settings_.read(app::settings::kLibraryPoints));
    if (!points) {
        return;
    }
    restoreSplit(*librarySplit_, points->points[kLibrarySplit]);
    restoreSplit(*playlistSplit_, points->points[kPlaylistSplit]);
    showPlaylistSide(points->points[kSideShown].x == 1);
    const auto& shown = points->points[kSize];
    if (shown.x > 0 && shown.y > 0) {
        resize(shown.x, shown.y);
    }
}

void CListPanel::saveSettings() {
    app::WindowPlacement placement;
    const QRect frame = geometry();
    placement.showCommand =
        isVisible() ? app::WindowPlacement::kShown : app::WindowPlacement::kHidden;
    placement.left = frame.left();
    placement.top = frame.top();
    placement.right = frame.right() + 1;
    placement.bottom = frame.bottom() + 1;
    settings_.write(app::settings::kPlaylistPosition, placement.format());
    app::PanelPoints points;
    points.points[kLibrarySplit] = splitPoint(*librarySplit_);
    points.points[kPlaylistSplit] = splitPoint(*playlistSplit_);
    points.points[kSideShown] = {showsPlaylists() ? 1 : 0, 0};
    points.points[kSize] = {frame.width(), frame.height()};
    settings_.write(app::settings::kLibraryPoints, points.format());
    // Without the library the view was never set up: what is stored stays.
    if (!db_) {
        return;
    }
    settings_.write(app::settings::kLibraryShowMode, showMode_);
    settings_.write(app::settings::kCurrentLibraryName,
                    groupModel_->nameAt(groupView_->currentIndex().row()));
    settings_.write(app::settings::kCurrentPlaylistName,
                    playlistListModel_->nameAt(playlistView_->currentIndex().row()));
    settings_.write(app::settings::kLibraryItemPosition,
                    columnsOf(*libraryItems_->horizontalHeader()).format());
    settings_.write(app::settings::kPlaylistItemPosition,
                    columnsOf(*playlistItems_->horizontalHeader()).format());
}

QTableView& CListPanel::activeItems() const {
    return showsPlaylists() ? *playlistItems_ : *libraryItems_;
}

int32_t CListPanel::ViewKind() const {
    return showsPlaylists() ? kPlaylistKind : showMode_;
}

mdb::Group* CListPanel::CurrentList() const {
    if (!db_) {
        return nullptr;
    }
    return showsPlaylists() ? playlistModel_->group() : libraryModel_->group();
}

int32_t CListPanel::SelectedIndex() const {
    const QModelIndex current = activeItems().currentIndex();
    return current.isValid() ? current.row() : 0;
}

void CListPanel::ShowPlaying(mdb::Group* list, int32_t index) {
    playingList_ = list;
    playingItem_ = nullptr;
    if (list != nullptr && db_ != nullptr && index >= 0) {
        auto guard = db_->lock();
        if (size_t(index) < list->count()) {
            playingItem_ = list->itemAt(size_t(index));
        }
    }
    markPlaying();
}

// The player names the item it opens through ShowPlaying already.
void CListPanel::ShowOpenPath(const std::string&) {}

void CListPanel::markPlaying() {
    for (ItemListModel* model : {libraryModel_.get(), playlistModel_.get()}) {
        if (model != nullptr) {
            const bool shown = playingList_ != nullptr && model->group() == playingList_;
            model->setPlayingItem(shown ? playingItem_ : nullptr);
        }
    }
}

void CListPanel::sortBy(QTableView& table, int column) {
    QHeaderView& header = *table.horizontalHeader();
    const bool again = header.isSortIndicatorShown() && header.sortIndicatorSection() == column;
    const Qt::SortOrder order = again && header.sortIndicatorOrder() == Qt::AscendingOrder
                                    ? Qt::DescendingOrder
                                    : Qt::AscendingOrder;
    header.setSortIndicatorShown(true);
    header.setSortIndicator(column, order);
    table.model()->sort(column, order);
}

}  // namespace ui::library
