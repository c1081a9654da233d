#include <QEnterEvent>
#include <QMenu>
#include <QTimer>

#include "PanelFixture.h"
#include "ui/SkinIni.h"
#include "ui/library/SkinnedButton.h"

namespace ui::library {
namespace {

namespace fs = std::filesystem;

QString qt(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// The panel shown with the program's skin, its pieces read from there.
class PanelSkinTest : public ListPanelTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(started_);
        view_.showListPanel();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel()));
        // A button with the keyboard shows its pointer-over cell.
        panel().libraryItems().setFocus();
    }

    SkinnedButton& button(PanelPiece piece) { return *panel().skinnedButton(piece); }

    // What the button shows now, pixel for pixel.
    static QImage shown(SkinnedButton& b) {
        return b.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    // The piece's cell for `state` as the skin folder `skin` has it.
    static QImage cellOf(const fs::path& skin, PanelPiece piece, char state) {
        PanelSkin from;
        from.setFolder(skin);
        return from.image(piece).image().copy(from.cell(piece, state));
    }

    fs::path navy() const { return program_.path() / "Skin/Navy"; }
};

TEST_F(PanelSkinTest, TabsChooseTheSideAndShowWhichIsChosen) {
    SkinnedButton& library = button(PanelPiece::TabLibrary);
    SkinnedButton& playlists = button(PanelPiece::TabPlay);
    EXPECT_EQ(library.text(), qt(texts::kLibraryTab));
    EXPECT_EQ(playlists.text(), qt(texts::kPlaylistTab));

    QTest::mouseClick(&playlists, Qt::LeftButton);
    EXPECT_TRUE(panel().showsPlaylists());
    EXPECT_EQ(panel().ViewKind(), CListPanel::kPlaylistKind);
    EXPECT_EQ(playlists.state(), 'O');
    EXPECT_EQ(shown(playlists), cellOf(navy(), PanelPiece::TabPlay, 'O'));
    EXPECT_EQ(shown(library), cellOf(navy(), PanelPiece::TabLibrary, 'U'));

    QTest::mouseClick(&library, Qt::LeftButton);
    EXPECT_FALSE(panel().showsPlaylists());
    // The keys of a tab widget turn to the other side.
    panel().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel()));
    QTest::keyClick(&panel().groupView(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_TRUE(playlists.isChecked());
    QTest::keyClick(&panel().playlistView(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_FALSE(panel().showsPlaylists());
    QTest::keyClick(&panel().groupView(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(panel().showsPlaylists());
    // A shortcut's key clicks leave their modifiers held for the next test.
    QTest::keyRelease(&panel(), Qt::Key_Shift);
    EXPECT_EQ(QGuiApplication::keyboardModifiers(), Qt::NoModifier);
    // Chosen from elsewhere (Alt+1, a playlist handed over) the tab follows.
    panel().showPlaylistSide(false);
    EXPECT_TRUE(library.isChecked());
    panel().selectPlaylist(std::string(app::texts::kNewPlaylist));
    EXPECT_TRUE(playlists.isChecked());
    EXPECT_FALSE(library.isChecked());
}

TEST_F(PanelSkinTest, ButtonsActAndKeepTheirTooltips) {
    ASSERT_TRUE(addAndWait(panel(), {songFolder()}));
    EXPECT_EQ(button(PanelPiece::Up).toolTip(), qt(texts::kUpTip));
    EXPECT_EQ(button(PanelPiece::Down).toolTip(), qt(texts::kDownTip));
    EXPECT_EQ(button(PanelPiece::Select).toolTip(), qt(texts::kEditMenuTip));
    EXPECT_EQ(button(PanelPiece::Edit).toolTip(), qt(texts::kFileInfoTip));
    EXPECT_EQ(button(PanelPiece::Write).toolTip(), qt(texts::kCdrTip));

    // Up and down move the selected entry of the playlist shown.
    mdb::MutableGroup& list = db().playlists().get(std::string(app::texts::kNewPlaylist));
    {
        auto guard = db().lock();
        list.insert(0, {db().library().itemAt(0), db().library().itemAt(1)});
    }
    panel().selectPlaylist(list.getName());
    const mdb::MusicItem* first = list.itemAt(0);
    panel().playlistItems().selectRow(0);
    QTest::mouseClick(&button(PanelPiece::Down), Qt::LeftButton);
    EXPECT_EQ(list.itemAt(1), first);
    QTest::mouseClick(&button(PanelPiece::Up), Qt::LeftButton);
    EXPECT_EQ(list.itemAt(0), first);

    // The edit menu opens under its button (and goes once closed).
    bool opened = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            opened = !menu->actions().isEmpty();
            menu->close();
            closer.stop();
        }
    });
    closer.start(10);
    QTest::mouseClick(&button(PanelPiece::Select), Qt::LeftButton);
    EXPECT_TRUE(opened);

    // File information for the current entry.
    QTest::mouseClick(&button(PanelPiece::Edit), Qt::LeftButton);
    ASSERT_NE(panel().infoDialog(), nullptr);
    panel().infoDialog()->close();
}

TEST_F(PanelSkinTest, PointerOverAndPressedShowTheirCells) {
    SkinnedButton& up = button(PanelPiece::Up);
    panel().showPlaylistSide(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return up.isVisible(); }));
    panel().playlistItems().setFocus();
    EXPECT_EQ(shown(up), cellOf(navy(), PanelPiece::Up, 'U'));
    // The offscreen platform has no pointer: the enter event Qt would give.
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(&up, &enter);
    EXPECT_EQ(shown(up), cellOf(navy(), PanelPiece::Up, 'F'));
    QTest::mousePress(&up, Qt::LeftButton);
    EXPECT_EQ(shown(up), cellOf(navy(), PanelPiece::Up, 'D'));
    QTest::mouseRelease(&up, Qt::LeftButton);
    EXPECT_NE(cellOf(navy(), PanelPiece::Up, 'D'), cellOf(navy(), PanelPiece::Up, 'F'));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&up, &leave);
    EXPECT_EQ(up.state(), 'U');
    up.setFocus();
    EXPECT_EQ(up.state(), 'F');

    // At twice the size every pixel of the piece becomes a 2 x 2 square.
    QImage doubled(up.size() * 2, QImage::Format_RGB32);
    doubled.setDevicePixelRatio(2);
    up.render(&doubled);
    const QImage cell = cellOf(navy(), PanelPiece::Up, up.state());
    int differing = 0;
    for (int y = 0; y < doubled.height(); ++y) {
        for (int x = 0; x < doubled.width(); ++x) {
            differing += doubled.pixel(x, y) != cell.pixel(x / 2, y / 2);
        }
    }
    EXPECT_EQ(differing, 0);
}

TEST_F(PanelSkinTest, ASkinChosenInThePlayerRedrawsTheOpenPanel) {
    fs::copy(MELODUX_BUILD_DATA_DIR "/Skin/Green", program_.path() / "Skin/Green",
             fs::copy_options::recursive);
    SkinnedButton& edit = button(PanelPiece::Select);
    const QColor navyList = panel().libraryItems().palette().color(QPalette::Base);
    EXPECT_EQ(shown(edit), cellOf(navy(), PanelPiece::Select, 'U'));

    const std::unique_ptr<QMenu> menu = view_.window()->commandMenu();
    for (QAction* action : menu->actions()) {
        if (action->text().startsWith(QString::fromUtf8("グリーン"))) {
            action->trigger();
        }
    }
    const fs::path green = program_.path() / "Skin/Green";
    EXPECT_EQ(shown(edit), cellOf(green, PanelPiece::Select, 'U'));
    EXPECT_NE(cellOf(green, PanelPiece::Select, 'U'), cellOf(navy(), PanelPiece::Select, 'U'));
    // The lists take the skin's colours too.
    const SkinIni ini = SkinIni::load(green / "Skin.ini");
    const QColor greenList(QString::fromStdString(ini.value("Panel", "Base", "")));
    EXPECT_EQ(panel().libraryItems().palette().color(QPalette::Base), greenList);
    EXPECT_NE(greenList, navyList);
}

// A skin without the panel's pieces still gives usable, named buttons.
TEST_F(PanelSkinTest, ASkinWithoutPanelPiecesDrawsTheButtonsNames) {
    panel().setSkinFolder(music_.path());
    SkinnedButton& edit = button(PanelPiece::Select);
    EXPECT_TRUE(panel().skin().image(PanelPiece::Select).isNull());
    EXPECT_GT(edit.sizeHint().width(), 0);
    const QImage image = shown(edit);
    const QRgb background = image.pixel(0, 0);
    bool drawn = false;
    for (int y = 0; y < image.height() && !drawn; ++y) {
        for (int x = 0; x < image.width() && !drawn; ++x) {
            drawn = image.pixel(x, y) != background;
        }
    }
    EXPECT_TRUE(drawn);
}

}  // namespace
}  // namespace ui::library
