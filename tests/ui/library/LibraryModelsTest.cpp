#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QMimeData>
#include <QUrl>
#include <memory>

#include "mdb/TestSupport.h"
#include "ui/library/DragPayload.h"
#include "ui/library/GroupListModel.h"
#include "ui/library/ItemColumns.h"
#include "ui/library/ItemListModel.h"
#include "ui/library/LibraryMime.h"
#include "ui/library/LibraryTexts.h"

namespace ui::library {
namespace {

using Tester = QAbstractItemModelTester;

class LibraryModelsTest : public ::testing::Test {
  protected:
    LibraryModelsTest()
        : db_(std::make_shared<mdbtest::FakeTags>(), std::make_shared<mdb::GenreTable>()) {
        db_.library().addExtension("mp3");
    }

    mdb::MusicItem* add(const std::string& title, const std::string& artist, uint32_t genre,
                        uint32_t track, uint32_t playTime) {
        mdb::MusicInfo info;
        info.path = "/music/" + title + ".mp3";
        info.title = title;
        info.artist = artist;
        info.album = artist + " best";
        info.genre = genre;
        info.track = track;
        info.playTime = playTime;
        info.size = track * 1000;
        const size_t index = db_.library().add(info, false);
        // The group lists tell their news on the database's flush.
        db_.flushAll();
        return db_.library().itemAt(index);
    }

    void addFour() {
        add("delta", "Zed", 0, 3, 200000);    // Blues
        add("Alpha", "amy", 17, 1, 95000);    // Rock
        add("charlie", "Bob", 1, 12, 61000);  // Classic Rock
        add("bravo", "amy", 2, 0, 300000);    // Country
    }

    static std::vector<std::string> column(const QAbstractItemModel& model, int col) {
        std::vector<std::string> out;
        for (int row = 0; row < model.rowCount(); ++row) {
            out.push_back(model.index(row, col).data().toString().toStdString());
        }
        return out;
    }

    mdb::MusicDatabase db_;
};

TEST_F(LibraryModelsTest, ColumnTextsAndHeaders) {
    addFour();
    ItemListModel model(db_);
    model.showLibrary();
    Tester tester(&model, Tester::FailureReportingMode::Fatal);
    ASSERT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "タイトル");
    EXPECT_EQ(column(model, 1)[0], "delta");
    EXPECT_EQ(column(model, 2)[2], "Bob");
    EXPECT_EQ(column(model, 4)[0], "Blues");
    EXPECT_EQ(column(model, 5), (std::vector<std::string>{"3", "1", "12", ""}));
    EXPECT_EQ(column(model, 6), (std::vector<std::string>{"3:20", "1:35", "1:01", "5:00"}));
    EXPECT_EQ(column(model, 8)[1], "/music/Alpha.mp3");
    EXPECT_EQ(sizeText(1025), "2 KB");
    EXPECT_EQ(sizeText(0), "0 KB");

    model.setPlayingItem(db_.library().itemAt(2));
    EXPECT_EQ(column(model, 0), (std::vector<std::string>{"", "", std::string(kPlayingMark), ""}));
    EXPECT_TRUE(model.index(2, 3).data(ItemListModel::kPlayingRole).toBool());
}

TEST_F(LibraryModelsTest, SortsEveryColumnByItsField) {
    addFour();
    ItemListModel model(db_);
    model.showLibrary();
    Tester tester(&model, Tester::FailureReportingMode::Fatal);
    const auto titles = [&] { return column(model, 1); };

    model.sort(1, Qt::AscendingOrder);  // title, ignoring case
    EXPECT_EQ(titles(), (std::vector<std::string>{"Alpha", "bravo", "charlie", "delta"}));
    model.sort(1, Qt::DescendingOrder);
    EXPECT_EQ(titles(), (std::vector<std::string>{"delta", "charlie", "bravo", "Alpha"}));
    model.sort(2, Qt::AscendingOrder);  // artist, stable for equal names
    EXPECT_EQ(column(model, 2), (std::vector<std::string>{"amy", "amy", "Bob", "Zed"}));
    model.sort(4, Qt::AscendingOrder);  // genre by name, not by number
    EXPECT_EQ(column(model, 4),
              (std::vector<std::string>{"Blues", "Classic Rock", "Country", "Rock"}));
    model.sort(5, Qt::AscendingOrder);  // track as a number
    EXPECT_EQ(column(model, 5), (std::vector<std::string>{"", "1", "3", "12"}));
    model.sort(6, Qt::DescendingOrder);  // play time
    EXPECT_EQ(column(model, 6), (std::vector<std::string>{"5:00", "3:20", "1:35", "1:01"}));
    model.sort(7, Qt::AscendingOrder);  // size
    EXPECT_EQ(titles(), (std::vector<std::string>{"bravo", "Alpha", "delta", "charlie"}));
    model.sort(8, Qt::AscendingOrder);  // path, ignoring case
    EXPECT_EQ(titles(), (std::vector<std::string>{"Alpha", "bravo", "charlie", "delta"}));

    // The playing mark sorts nothing; a selection follows its item.
    const QPersistentModelIndex held = model.index(3, 1);
    model.sort(0, Qt::AscendingOrder);
    EXPECT_EQ(titles()[0], "Alpha");
    model.sort(5, Qt::DescendingOrder);
    EXPECT_EQ(held.data().toString(), "delta");
    EXPECT_TRUE(db_.isModified());
}

TEST_F(LibraryModelsTest, FollowsDatabaseChanges) {
    addFour();
    ItemListModel library(db_);
    library.showLibrary();
    GroupListModel artists(db_, GroupListModel::Mode::Artist);
    ItemListModel amy(db_);
    artists.showRowIn(artists.rowOf("amy"), amy);
    Tester t1(&library, Tester::FailureReportingMode::Fatal);
    Tester t2(&artists, Tester::FailureReportingMode::Fatal);
    Tester t3(&amy, Tester::FailureReportingMode::Fatal);
    EXPECT_EQ(column(artists, 0), (std::vector<std::string>{"amy", "Bob", "Zed"}));
    EXPECT_EQ(amy.rowCount(), 2);

    const QPersistentModelIndex bob = artists.index(1, 0);
    add("echo", "Carl", 3, 4, 1000);
    EXPECT_EQ(library.rowCount(), 5);
    EXPECT_EQ(column(artists, 0), (std::vector<std::string>{"amy", "Bob", "Carl", "Zed"}));
    EXPECT_EQ(bob.row(), 1);

    db_.library().itemAt(0)->setTitle("DELTA");
    EXPECT_EQ(column(library, 1)[0], "DELTA");

    // The group shown goes away with its last items.
    db_.library().itemAt(1)->setArtist("Zed");
    EXPECT_EQ(amy.rowCount(), 1);
    db_.library().itemAt(3)->setArtist("Bob");
    EXPECT_EQ(amy.rowCount(), 0);
    EXPECT_EQ(artists.rowOf("amy"), -1);
    EXPECT_EQ(bob.data().toString(), "Bob");

    db_.library().removeAt(0);
    db_.flushAll();
    EXPECT_EQ(library.rowCount(), 4);
    db_.library().clear();
    EXPECT_EQ(library.rowCount(), 0);
    EXPECT_EQ(artists.rowCount(), 0);
}

TEST_F(LibraryModelsTest, FollowsPlaylistEditsFromElsewhere) {
    addFour();
    mdb::MutableGroup& list = db_.playlists().create("Mix");
    GroupListModel lists(db_, GroupListModel::Mode::Playlists);
    ItemListModel mix(db_);
    lists.showRowIn(lists.rowOf("Mix"), mix);
    Tester t1(&lists, Tester::FailureReportingMode::Fatal);
    Tester t2(&mix, Tester::FailureReportingMode::Fatal);
    ASSERT_EQ(mix.playlist(), &list);

    list.insert(0, {db_.library().itemAt(0), db_.library().itemAt(1)});
    list.insert(1, db_.library().itemAt(2));
    EXPECT_EQ(column(mix, 1), (std::vector<std::string>{"delta", "charlie", "Alpha"}));
    list.move({2}, 0);
    list.removeAt({1});
    EXPECT_EQ(column(mix, 1), (std::vector<std::string>{"Alpha", "charlie"}));
    // Removing a library item takes it out of the playlist too.
    db_.library().remove(db_.library().itemAt(2));
    db_.flushAll();
    EXPECT_EQ(column(mix, 1), (std::vector<std::string>{"Alpha"}));

    db_.playlists().create("Another");
    EXPECT_EQ(column(lists, 0), (std::vector<std::string>{"Another", "Mix"}));
    db_.playlists().remove(std::vector<std::string>{"Mix"});
    EXPECT_EQ(column(lists, 0), (std::vector<std::string>{"Another"}));
    EXPECT_EQ(mix.playlist(), nullptr);
    EXPECT_EQ(mix.rowCount(), 0);
}

TEST_F(LibraryModelsTest, RenamesPlaylistsInPlace) {
    db_.playlists().create("Drive");
    db_.playlists().create("Work");
    db_.playlists().clearModified();
    GroupListModel lists(db_, GroupListModel::Mode::Playlists);
    Tester tester(&lists, Tester::FailureReportingMode::Fatal);
    std::vector<std::string> said;
    lists.setRefusalHandler([&](std::string_view message) { said.emplace_back(message); });
    EXPECT_TRUE(lists.flags(lists.index(0, 0)) & Qt::ItemIsEditable);

    EXPECT_FALSE(lists.setData(lists.index(0, 0), " \t ", Qt::EditRole));
    EXPECT_FALSE(lists.setData(lists.index(0, 0), "Work", Qt::EditRole));
    EXPECT_EQ(said, (std::vector<std::string>{std::string(texts::kEnterPlaylistName),
                                              std::string(texts::kPlaylistNameTaken)}));
    EXPECT_FALSE(db_.isModified());

    EXPECT_TRUE(lists.setData(lists.index(0, 0), "Zoo  ", Qt::EditRole));
    EXPECT_EQ(column(lists, 0), (std::vector<std::string>{"Work", "Zoo"}));
    EXPECT_NO_THROW(db_.playlists().get("Zoo"));
    EXPECT_TRUE(db_.isModified());
    EXPECT_EQ(withoutTrailingBlanks("名前\u3000 "), "名前");

    GroupListModel artists(db_, GroupListModel::Mode::Artist);
    EXPECT_FALSE(artists.flags(artists.index(0, 0)) & Qt::ItemIsEditable);
}

TEST_F(LibraryModelsTest, DragsItemsIntoPlaylistsAndMovesEntries) {
    addFour();
    mdb::MutableGroup& list = db_.playlists().create("Mix");
    ItemListModel library(db_);
    library.showLibrary();
    ItemListModel mix(db_);
    mix.showPlaylist(list);
    Tester t1(&mix, Tester::FailureReportingMode::Fatal);

    std::unique_ptr<QMimeData> drag(library.mimeData({library.index(1, 0), library.index(3, 2)}));
    ASSERT_TRUE(drag);
    EXPECT_EQ(drag->urls(),
              (QList<QUrl>{QUrl("file:///music/Alpha.mp3"), QUrl("file:///music/bravo.mp3")}));
    // The library takes no items; a playlist does.
    EXPECT_FALSE(library.canDropMimeData(drag.get(), Qt::CopyAction, 0, 0, {}));
    ASSERT_TRUE(mix.dropMimeData(drag.get(), Qt::CopyAction, -1, -1, {}));
    ASSERT_TRUE(mix.dropMimeData(drag.get(), Qt::CopyAction, 1, 0, {}));
    EXPECT_EQ(column(mix, 1), (std::vector<std::string>{"Alpha", "Alpha", "bravo", "bravo"}));

    // Entries moved within the playlist stay (the view must not remove them).
    std::unique_ptr<QMimeData> entries(mix.mimeData({mix.index(3, 0)}));
    EXPECT_FALSE(mix.dropMimeData(entries.get(), Qt::MoveAction, 0, 0, {}));
    EXPECT_EQ(column(mix, 1), (std::vector<std::string>{"bravo", "Alpha", "Alpha", "bravo"}));

    // Onto a playlist of the playlist list: appended.
    GroupListModel lists(db_, GroupListModel::Mode::Playlists);
    db_.playlists().create("Other");
    Tester t2(&lists, Tester::FailureReportingMode::Fatal);
    const QModelIndex other = lists.index(lists.rowOf("Other"), 0);
    EXPECT_FALSE(lists.canDropMimeData(entries.get(), Qt::CopyAction, 0, 0, {}));
    EXPECT_TRUE(lists.dropMimeData(entries.get(), Qt::CopyAction, -1, -1, other));
    std::unique_ptr<QMimeData> whole(lists.mimeData({lists.index(lists.rowOf("Mix"), 0)}));
    EXPECT_TRUE(lists.dropMimeData(whole.get(), Qt::CopyAction, -1, -1, other));
    EXPECT_FALSE(lists.canDropMimeData(whole.get(), Qt::CopyAction, -1, -1,
                                       lists.index(lists.rowOf("Mix"), 0)));
    EXPECT_EQ(mdbtest::titlesOf(db_.playlists().get("Other")),
              (std::vector<std::string>{"bravo", "bravo", "Alpha", "Alpha", "bravo"}));

    // A group of the group view carries its items.
    GroupListModel genres(db_, GroupListModel::Mode::Genre);
    std::unique_ptr<QMimeData> rock(genres.mimeData({genres.index(genres.rowOf("Rock"), 0)}));
    EXPECT_EQ(mime::groupList(*rock), (GroupListPayload{3, {"Rock"}}));
    EXPECT_EQ(rock->urls(), (QList<QUrl>{QUrl("file:///music/Alpha.mp3")}));
    EXPECT_TRUE(mix.dropMimeData(rock.get(), Qt::CopyAction, 0, 0, {}));
    EXPECT_EQ(column(mix, 1)[0], "Alpha");
}

TEST_F(LibraryModelsTest, FilesFromFileManagersGoToTheHandler) {
    mdb::MutableGroup& list = db_.playlists().create("Mix");
    ItemListModel library(db_);
    library.showLibrary();
    ItemListModel mix(db_);
    mix.showPlaylist(list);
    std::vector<FilesDrop> drops;
    const auto keep = [&](const FilesDrop& drop) { drops.push_back(drop); };
    library.setFilesDropHandler(keep);
    mix.setFilesDropHandler(keep);

    QMimeData files;
    files.setUrls({QUrl("file:///home/u/Music/a%20b.mp3"), QUrl("https://example.com/x.mp3"),
                   QUrl::fromLocalFile("/home/u/Music/日本")});
    EXPECT_EQ(mime::localPaths(files),
              (std::vector<std::string>{"/home/u/Music/a b.mp3", "/home/u/Music/日本"}));
    EXPECT_TRUE(library.dropMimeData(&files, Qt::CopyAction, -1, -1, {}));
    EXPECT_TRUE(mix.dropMimeData(&files, Qt::CopyAction, 0, 0, {}));
    ASSERT_EQ(drops.size(), 2u);
    EXPECT_EQ(drops[0].playlist, nullptr);
    EXPECT_EQ(drops[1].playlist, &list);
    EXPECT_EQ(drops[1].row, 0);

    QMimeData web;
    web.setUrls({QUrl("https://example.com/x.mp3")});
    EXPECT_FALSE(library.canDropMimeData(&web, Qt::CopyAction, -1, -1, {}));
}

TEST(DragPayloadTest, RoundTripsAndRefusesDamagedBytes) {
    const GroupListPayload groups{2, {"Album", "", "夜"}};
    const PlaylistEntriesPayload entries{"Mix", {3, 0, 70000}};
    EXPECT_EQ(decodeGroupList(encode(groups)), groups);
    EXPECT_EQ(decodePlaylistList(encode(PlaylistListPayload{{"a", "b"}}))->names.size(), 2u);
    EXPECT_EQ(decodeItemList(encode(ItemListPayload{{"/x.mp3"}}))->paths[0], "/x.mp3");
    EXPECT_EQ(decodePlaylistEntries(encode(entries)), entries);

    const std::string bytes = encode(entries);
    EXPECT_EQ(bytes.substr(0, 7), std::string("\x03\0\0\0Mix", 7));
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        EXPECT_FALSE(decodePlaylistEntries(bytes.substr(0, cut))) << cut;
    }
    EXPECT_FALSE(decodePlaylistEntries(bytes + "x"));
    // A list length far beyond the data is refused without allocating it.
    EXPECT_FALSE(decodeItemList(std::string("\xff\xff\xff\x7f", 4)));

    QMimeData data;
    mime::put(data, groups);
    EXPECT_EQ(mime::groupList(data), groups);
    EXPECT_FALSE(mime::playlistList(data));
    EXPECT_TRUE(mime::hasDatabaseFormat(data));
}

}  // namespace
}  // namespace ui::library

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
