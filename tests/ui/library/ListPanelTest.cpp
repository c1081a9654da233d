#include <QClipboard>
#include "PanelFixture.h"

namespace ui::library {
namespace {

TEST_F(ListPanelTest, ShowModesFollowTheLibraryAndThePlayerFollowsTheSelection) {
    ASSERT_TRUE(started_);
    view_.showListPanel();
    ASSERT_TRUE(panel().isVisible());
    ASSERT_TRUE(addAndWait(panel(), {songFolder()}));
    EXPECT_EQ(db().library().count(), 3u);  // the text file is left out

    panel().setShowMode(0);
    EXPECT_EQ(names(panel().groupView()), QStringList{QString::fromUtf8(texts::kAllItems.data())});
    EXPECT_EQ(panel().libraryItems().model()->rowCount(), 3);
    panel().setShowMode(1);
    EXPECT_EQ(names(panel().groupView()), (QStringList{"Amy", "Bob"}));
    panel().groupView().setCurrentIndex(panel().groupView().model()->index(1, 0));
    EXPECT_EQ(panel().libraryItems().model()->rowCount(), 2);
    EXPECT_EQ(panel().ViewKind(), 1);
    // The player rests, so it takes the selected list at once.
    EXPECT_EQ(player().SourceKind(), 1);
    EXPECT_EQ(player().Count(), 2);
    panel().setShowMode(2);
    EXPECT_EQ(names(panel().groupView()), (QStringList{"First", "Second"}));

    // A double-click plays that row, and the row shows it plays.
    panel().groupView().setCurrentIndex(panel().groupView().model()->index(1, 0));
    QTableView& items = panel().libraryItems();
    const QModelIndex second = items.model()->index(1, 1);
    const std::string path = panel().libraryModel()->itemAt(1)->getInfo().path;
    // The first click of the two, as a user's double-click is.
    QTest::mouseClick(items.viewport(), Qt::LeftButton, {}, items.visualRect(second).center());
    QTest::mouseDClick(items.viewport(), Qt::LeftButton, {}, items.visualRect(second).center());
    EXPECT_EQ(player().CurrentPath(), path);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return items.model()->index(1, 0).data(ItemListModel::kPlayingRole).toBool(); }));
    EXPECT_FALSE(items.model()->index(0, 0).data(ItemListModel::kPlayingRole).toBool());

    // The playlist side: its own view kind.
    panel().selectPlaylist(std::string(app::texts::kNewPlaylist));
    EXPECT_TRUE(panel().showsPlaylists());
    EXPECT_EQ(panel().ViewKind(), CListPanel::kPlaylistKind);
}

TEST_F(ListPanelTest, AddingIsCancelledAndWhatCannotBeAddedIsSaid) {
    ASSERT_TRUE(started_);
    ScriptedDialogs* dialogs = nullptr;
    const auto own = scriptedPanel(dialogs);
    std::filesystem::create_directories(music_ / "many");
    for (int i = 0; i < 1500; ++i) {
        writeTagged(music_ / "many" / ("song" + std::to_string(i) + ".mp3"), "Song", "Amy", "A");
    }
    own->addPaths({(music_ / "many").string()});
    ASSERT_NE(own->progress(), nullptr);
    emit own->progress()->canceled();  // as its button does
    ASSERT_TRUE(QTest::qWaitFor([&] { return !own->adder()->running(); }, 10000));
    EXPECT_LT(db().library().count(), 1500u);
    EXPECT_EQ(own->progress(), nullptr);
    EXPECT_TRUE(dialogs->told.empty());

    // A file of another kind and a file that is gone are not added.
    std::ofstream(music_ / "notes.txt") << "x";
    const size_t before = db().library().count();
    ASSERT_TRUE(addAndWait(*own, {(music_ / "notes.txt").string(), (music_ / "gone.mp3").string(),
                                  (music_ / "many/song1499.mp3").string()}));
    EXPECT_EQ(db().library().count(), before + 1);
    EXPECT_EQ(dialogs->told, std::vector<std::string>{std::string(texts::kSomeFilesNotAdded)});
}

TEST_F(ListPanelTest, DragAndDropBetweenTheViewsAndOntoEmptySpace) {
    ASSERT_TRUE(started_);
    ASSERT_TRUE(addAndWait(panel(), {songFolder()}));
    panel().setShowMode(0);
    QAbstractItemModel& library = *panel().libraryItems().model();
    QAbstractItemModel& playlists = *panel().playlistView().model();
    const QModelIndexList rows{library.index(0, 1), library.index(2, 1)};

    // Items dropped below the playlists make a new one.
    std::unique_ptr<QMimeData> items(library.mimeData(rows));
    ASSERT_TRUE(playlists.dropMimeData(items.get(), Qt::CopyAction, -1, 0, {}));
    EXPECT_EQ(names(panel().playlistView()), (QStringList{"New Playlist", "New Playlist(1)"}));
    mdb::MutableGroup& made = db().playlists().get("New Playlist(1)");
    EXPECT_EQ(made.count(), 2u);

    // Onto a playlist: added at its end.
    ASSERT_TRUE(playlists.dropMimeData(items.get(), Qt::CopyAction, -1, 0, playlists.index(0, 0)));
    mdb::MutableGroup& first = db().playlists().get("New Playlist");
    EXPECT_EQ(first.count(), 2u);

    // A playlist's entries moved inside it, then copied into the other.
    panel().selectPlaylist("New Playlist(1)");
    QAbstractItemModel& entries = *panel().playlistItems().model();
    const mdb::MusicItem* last = made.itemAt(1);
    std::unique_ptr<QMimeData> moved(entries.mimeData({entries.index(1, 1)}));
    entries.dropMimeData(moved.get(), Qt::MoveAction, 0, 0, {});
    EXPECT_EQ(made.itemAt(0), last);
    ASSERT_TRUE(playlists.dropMimeData(moved.get(), Qt::CopyAction, -1, 0, playlists.index(0, 0)));
    EXPECT_EQ(first.count(), 3u);
    EXPECT_EQ(made.count(), 2u);

    // Files from a file manager go through the library into the playlist.
    QMimeData files;
    writeTagged(music_ / "four.mp3", "Four", "Cy", "Third");
    files.setUrls({QUrl::fromLocalFile(QString::fromStdString((music_ / "four.mp3").string()))});
    ASSERT_TRUE(entries.dropMimeData(&files, Qt::CopyAction, 0, 0, {}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panel().adder()->running(); }, 10000));
    EXPECT_EQ(db().library().count(), 4u);
    ASSERT_EQ(made.count(), 3u);
    EXPECT_EQ(made.itemAt(0)->getInfo().title, "Four");
}

TEST_F(ListPanelTest, RenameDeleteAndNewPlaylistAskAndRefuseAsTheyShould) {
    ASSERT_TRUE(started_);
    ScriptedDialogs* dialogs = nullptr;
    const auto own = scriptedPanel(dialogs);
    ASSERT_TRUE(addAndWait(*own, {songFolder()}));
    own->newPlaylist();
    own->newPlaylist();
    EXPECT_EQ(names(own->playlistView()),
              (QStringList{"New Playlist", "New Playlist(1)", "New Playlist(2)"}));
    EXPECT_TRUE(own->showsPlaylists());
    EXPECT_EQ(own->playlistView().currentIndex().data().toString(), "New Playlist(2)");

    QAbstractItemModel& playlists = *own->playlistView().model();
    EXPECT_FALSE(playlists.setData(playlists.index(2, 0), QStringLiteral("  \t"), Qt::EditRole));
    EXPECT_EQ(dialogs->told, std::vector<std::string>{std::string(texts::kEnterPlaylistName)});
    EXPECT_TRUE(playlists.setData(playlists.index(2, 0), QStringLiteral("Mine  "), Qt::EditRole));
    EXPECT_NO_THROW(db().playlists().get("Mine"));

    // Adding by name to a name that exists asks first.
    dialogs->told.clear();
    own->showPlaylistSide(false);
    own->libraryItems().selectAll();
    dialogs->playlist = PanelDialogs::PlaylistChoice{"Mine", true};
    dialogs->answers = {false};
    own->addSelectionToPlaylist();
    EXPECT_EQ(db().playlists().get("Mine").count(), 0u);
    dialogs->answers = {true};
    own->addSelectionToPlaylist();
    EXPECT_EQ(db().playlists().get("Mine").count(), 3u);
    EXPECT_EQ(dialogs->told, std::vector<std::string>(2, std::string(texts::kAddToExisting)));

    // Deleting library items asks; Cancel keeps them.
    own->libraryItems().selectRow(0);
    dialogs->answers = {false, true};
    own->deleteSelection();
    EXPECT_EQ(db().library().count(), 3u);
    own->deleteSelection();
    EXPECT_EQ(db().library().count(), 2u);
    EXPECT_EQ(db().playlists().get("Mine").count(), 2u);

    // Playlists too; entries of a playlist go without a question.
    own->selectPlaylist("Mine");
    own->playlistItems().selectRow(0);
    dialogs->told.clear();
    own->deleteSelection();
    EXPECT_EQ(db().playlists().get("Mine").count(), 1u);
    EXPECT_TRUE(dialogs->told.empty());
    own->playlistView().selectionModel()->select(playlists.index(2, 0),
                                                 QItemSelectionModel::ClearAndSelect);
    dialogs->answers = {false, true};
    own->deletePlaylists();
    EXPECT_NO_THROW(db().playlists().get("New Playlist(1)"));
    own->deletePlaylists();
    EXPECT_EQ(names(own->playlistView()), (QStringList{"Mine", "New Playlist"}));
}

TEST_F(ListPanelTest, ExportAndImportKeepTheListAndItsFolders) {
    ASSERT_TRUE(started_);
    ScriptedDialogs* dialogs = nullptr;
    const auto own = scriptedPanel(dialogs);
    ASSERT_TRUE(addAndWait(*own, {songFolder()}, "New Playlist"));
    own->selectPlaylist("New Playlist");
    ASSERT_EQ(db().playlists().get("New Playlist").count(), 3u);

    const std::string exported = (music_ / "lists/mix").string();
    std::filesystem::create_directories(music_ / "lists");
    dialogs->file = PanelDialogs::FileChoice{{exported}, 1};
    own->exportPlaylist();
    EXPECT_TRUE(std::filesystem::exists(exported + ".pls"));
    EXPECT_EQ(playerSettings_.read(app::settings::kExportFilePath), (music_ / "lists").string());
    EXPECT_EQ(playerSettings_.read(app::settings::kInportType), 1);

    dialogs->file = PanelDialogs::FileChoice{{(music_ / "nowhere/x.m3u").string()}, 0};
    own->exportPlaylist();
    EXPECT_EQ(dialogs->told, std::vector<std::string>{std::string(texts::kExportFailed)});

    dialogs->told.clear();
    dialogs->file = PanelDialogs::FileChoice{{exported + ".pls"}, 1};
    own->importPlaylist();
    EXPECT_TRUE(dialogs->told.empty());
    EXPECT_EQ(own->playlistView().currentIndex().data().toString(), "mix");
    EXPECT_EQ(db().playlists().get("mix").count(), 3u);
    EXPECT_EQ(playerSettings_.read(app::settings::kInputFilePath), (music_ / "lists").string());
}

TEST_F(ListPanelTest, OpensOnScreenBesideThePlayerAndRestoresItsView) {
    ASSERT_TRUE(started_);
    CMainWindow& window = *view_.window();
    QTest::keyClick(&window, Qt::Key_2, Qt::ControlModifier);
    ASSERT_TRUE(view_.isListPanelVisible());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(panel().geometry())) << panel().geometry().x();
    QTest::keyClick(&window, Qt::Key_2, Qt::ControlModifier);
    EXPECT_FALSE(view_.isListPanelVisible());

    // A place off every screen is pulled back onto one.
    app::WindowPlacement far;
    far.left = screen.right() + 2000;
    far.top = screen.bottom() + 500;
    // Above the panel's smallest size, which depends on the fonts.
    far.right = far.left + 640;
    far.bottom = far.top + 400;
    playerSettings_.write(app::settings::kPlaylistPosition, far.format());
    view_.showListPanel();
    EXPECT_TRUE(screen.contains(panel().geometry()));
    EXPECT_EQ(panel().size(), QSize(640, 400));

    // Ctrl+Tab hands the keyboard to the shown panel, Ctrl+1 takes it back.
    QTest::keyClick(&window, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &panel(); }));
    QTest::keyClick(&window, Qt::Key_1, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; }));

    // The view and the column layout outlive the panel.
    ASSERT_TRUE(addAndWait(panel(), {songFolder()}));
    {
        ScriptedDialogs* dialogs = nullptr;
        const auto first = scriptedPanel(dialogs);
        first->setShowMode(2);
        first->groupView().setCurrentIndex(first->groupView().model()->index(1, 0));
        first->selectPlaylist("New Playlist");
        first->libraryItems().horizontalHeader()->hideSection(3);
    }
    EXPECT_EQ(playerSettings_.read(app::settings::kLibraryShowMode), 2);
    EXPECT_EQ(playerSettings_.read(app::settings::kCurrentLibraryName), "Second");
    ScriptedDialogs* dialogs = nullptr;
    const auto again = scriptedPanel(dialogs);
    again->restoreView(playerSettings_.read(app::settings::kLibraryShowMode),
                       playerSettings_.read(app::settings::kCurrentLibraryName),
                       playerSettings_.read(app::settings::kCurrentPlaylistName));
    EXPECT_EQ(again->showMode(), 2);
    EXPECT_EQ(again->groupView().currentIndex().data().toString(), "Second");
    EXPECT_EQ(again->playlistView().currentIndex().data().toString(), "New Playlist");
    EXPECT_TRUE(again->showsPlaylists());
    EXPECT_TRUE(again->libraryItems().horizontalHeader()->isSectionHidden(3));
    EXPECT_FALSE(again->libraryItems().horizontalHeader()->isSectionHidden(2));
}

}  // namespace
TEST_F(ListPanelTest, SynchronisingFollowsChangedFilesAndDropsGoneOnes) {
    ASSERT_TRUE(started_);
    ScriptedDialogs* dialogs = nullptr;
    std::unique_ptr<CListPanel> own = scriptedPanel(dialogs);
    ASSERT_TRUE(addAndWait(*own, {songFolder()}));
    ASSERT_EQ(db().library().count(), 3u);
    mdb::MutableGroup& list = db().playlists().create("Kept");
    for (size_t i = 0; i < 3; ++i) {
        list.insert(i, db().library().itemAt(i));
    }

    // Another program retags one file and deletes another.
    const std::filesystem::path changed = music_ / "a/one.mp3";
    writeTagged(changed, "Uno", "Amy", "Primero", 40);
    std::filesystem::last_write_time(
        changed, std::filesystem::last_write_time(changed) + std::chrono::seconds(10));
    std::filesystem::remove(music_ / "a/b/two.mp3");

    // Cancel leaves the records alone.
    dialogs->answers = {false, true};
    own->synchronizeLibrary();
    EXPECT_EQ(own->sync(), nullptr);
    EXPECT_EQ(db().library().count(), 3u);

    own->synchronizeLibrary();
    ASSERT_NE(own->sync(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !own->sync()->running(); }, 10000));
    EXPECT_EQ(dialogs->told, (std::vector<std::string>(2, std::string(texts::kSyncQuestion))));
    EXPECT_EQ(own->progress(), nullptr);
    ASSERT_EQ(db().library().count(), 2u);
    const auto found = db().library().itemsWithPath(changed.string());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found.front()->getInfo().title, "Uno");
    EXPECT_EQ(found.front()->getInfo().album, "Primero");
    EXPECT_TRUE(db().library().itemsWithPath((music_ / "a/b/two.mp3").string()).empty());
    // The gone file's item left the playlist with the library.
    EXPECT_EQ(list.count(), 2u);
}

TEST_F(ListPanelTest, CopyAndPasteCarryItemsIntoPlaylistsAndFilesIntoTheLibrary) {
    ASSERT_TRUE(started_);
    ASSERT_TRUE(addAndWait(panel(), {songFolder()}));
    panel().show();
    panel().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel()));
    panel().showPlaylistSide(false);
    panel().setShowMode(0);
    QTableView& library = panel().libraryItems();
    const QAbstractItemModel& rows = *library.model();
    library.selectionModel()->select(rows.index(0, 0),
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
    library.selectionModel()->select(rows.index(2, 0),
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
    library.setFocus();
    QTest::keyClick(&library, Qt::Key_C, Qt::ControlModifier);
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_TRUE(copied->hasFormat(QString::fromLatin1(mime::kItemList)));
    ASSERT_EQ(copied->urls().size(), 2);
    EXPECT_TRUE(std::filesystem::exists(copied->urls().front().toLocalFile().toStdString()));

    // Into a playlist: the copied items, in order, before the current one.
    mdb::MutableGroup& pasted = db().playlists().create("Pasted");
    panel().selectPlaylist("Pasted");
    QTableView& entries = panel().playlistItems();
    entries.setFocus();
    QTest::keyClick(&entries, Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(pasted.count(), 2u);
    EXPECT_EQ(pasted.itemAt(0), db().library().itemAt(0));
    EXPECT_EQ(pasted.itemAt(1), db().library().itemAt(2));
    // An entry copied, the playlist reordered, then pasted: the item goes,
    // not whatever now holds its place.
    entries.selectionModel()->setCurrentIndex(
        entries.model()->index(1, 0),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QTest::keyClick(&entries, Qt::Key_C, Qt::ControlModifier);
    pasted.move({1}, 0);
    entries.selectionModel()->setCurrentIndex(
        entries.model()->index(1, 0),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QTest::keyClick(&entries, Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(pasted.count(), 3u);
    EXPECT_EQ(pasted.itemAt(1), db().library().itemAt(2));

    // Files from a file manager go into the library.
    writeTagged(music_ / "four.mp3", "Four", "Cy", "Third");
    auto files = std::make_unique<QMimeData>();
    files->setUrls({QUrl::fromLocalFile(QString::fromStdString((music_ / "four.mp3").string()))});
    QGuiApplication::clipboard()->setMimeData(files.release());
    panel().showPlaylistSide(false);
    library.setFocus();
    QTest::keyClick(&library, Qt::Key_V, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panel().adder()->running(); }, 10000));
    EXPECT_EQ(db().library().count(), 4u);
    EXPECT_EQ(pasted.count(), 3u);
}

}  // namespace ui::library

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("MELODUX_AUDIO", "null");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
