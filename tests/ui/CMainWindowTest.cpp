#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <filesystem>
#include <fstream>

#include "app/AppTexts.h"
#include "app/CPlayerApp.h"
#include "app/Engine.h"
#include "app/PlayerSettings.h"
#include "app/Settings.h"
#include "app/StreamTagAccess.h"
#include "app/WindowPlacement.h"
#include "mdb/MutableGroup.h"
#include "stream/CNxSSComponent.h"
#include "support/DesktopProgram.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"
#include "ui/CDesktopView.h"
#include "ui/DigitStrip.h"
#include "ui/PoolWork.h"
#include "ui/QtTimerService.h"
#include "ui/VolumePopup.h"
#include "ui/equalizer/CEqualizerWindow.h"

namespace ui {
namespace {

// A mono 8 kHz 16-bit WAVE file of `seconds` of silence.
void writeSilentWave(const std::filesystem::path& path, uint32_t seconds) {
    const uint32_t data = seconds * 16000;
    std::ofstream out(path, std::ios::binary);
    const auto le = [&out](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
        }
    };
    out << "RIFF";
    le(36 + data, 4);
    out << "WAVEfmt ";
    le(16, 4);
    le(1, 2);      // PCM
    le(1, 2);      // mono
    le(8000, 4);   // samples per second
    le(16000, 4);  // bytes per second
    le(2, 2);      // block
    le(16, 2);     // bits
    out << "data";
    le(data, 4);
    out << std::string(data, '\0');
}

// The desktop program as main() puts it together, over a program folder
// that holds the built Navy skin, without the single-instance claim.
class CMainWindowTest : public ::testing::Test {
  protected:
    CMainWindowTest() {
        testsupport::copyProgramData(program_.path());
        // The offscreen platform reports the modifiers of the last key event
        // as held: an earlier test's Ctrl+4 would read as Ctrl at the start.
        QWidget anyWidget;
        QTest::keyClick(&anyWidget, Qt::Key_F13);
    }

    bool start(const std::vector<std::string>& arguments) {
        app_ = std::make_unique<app::CPlayerApp>(
            testsupport::desktopServices(view_, timers_, work_, engine_,
                                         [] { QApplication::quit(); }),
            store_, program_.path());
        view_.setLibrary([this] { return app_->library() ? &app_->library()->db() : nullptr; });
        // Start-up ends once the library has loaded on the pool.
        return app_->start(arguments) && waitFor([&] { return app_->library() != nullptr; });
    }
    void click(int control) {
        QTest::mouseClick(view_.window(), Qt::LeftButton, {},
                          view_.window()->skin().controlRect(control).center());
    }
    // Runs the event loop until `until` holds or five seconds pass.
    template <class Until>
    bool waitFor(Until until) {
        return QTest::qWaitFor(until, 5000);
    }

    TempSettings settings_;
    app::SettingsStore store_;
    app::PlayerSettings playerSettings_{store_};
    testsupport::TempDir program_;
    testsupport::TempDir music_;
    const app::Engine engine_;
    QtTimerService timers_;
    PoolWork work_;
    std::unique_ptr<app::CPlayerApp> app_;
    CDesktopView view_{engine_, playerSettings_, [this] { return app_->skinFolder(); }};
};

TEST_F(CMainWindowTest, ShapedBySkinPlaysTheCommandLineAndTheTransportDrivesIt) {
    const std::string song = (music_ / "song.wav").string();
    writeSilentWave(song, 30);
    ASSERT_TRUE(start({song}));
    CMainWindow* window = view_.window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->skin().complete());
    EXPECT_FALSE(window->mask().isEmpty());
    EXPECT_EQ(window->mask(), window->skin().windowRegion(SkinLayout::Normal));
    EXPECT_EQ(window->size(), QSize(360, 116));  // the tray closed

    app::CPlayController& player = window->player();
    EXPECT_EQ(player.CurrentPath(), song);
    EXPECT_TRUE(waitFor([&] { return player.GetStatus() == CNxSSComponent::kRunning; }));
    EXPECT_TRUE(window->windowTitle().startsWith("MP3 Melodux  - 1."))
        << window->windowTitle().toStdString();

    click(kPause);
    EXPECT_TRUE(waitFor([&] { return player.GetStatus() == CNxSSComponent::kPaused; }));
    click(kStop);
    EXPECT_TRUE(waitFor([&] { return player.GetStatus() == CNxSSComponent::kStopped; }));
    click(kPlay);
    EXPECT_TRUE(waitFor([&] { return player.GetStatus() == CNxSSComponent::kRunning; }));
    EXPECT_TRUE(waitFor([&] { return player.GetPosition() > 0; }));

    // The Play button is drawn from the on image once the chain said it
    // started.
    const CSkin& skin = window->skin();
    const QPoint play = skin.controlRect(kPlay).center();
    const QRgb on = skin.stateImage(SkinLayout::Normal, 'S', true).image().pixel(play);
    ASSERT_NE(on, skin.stateImage(SkinLayout::Normal, 'U').image().pixel(play));
    EXPECT_TRUE(waitFor([&] { return window->grab().toImage().pixel(play) == on; }));
}

// The menu entry whose text starts with `text`.
QAction* entry(QMenu& menu, const char* text) {
    for (QAction* action : menu.actions()) {
        if (action->text().startsWith(QString::fromUtf8(text))) {
            return action;
        }
    }
    ADD_FAILURE() << text;
    return nullptr;
}

TEST_F(CMainWindowTest, VolumeButtonsStepAndStopAtTheEnds) {
    ASSERT_TRUE(start({}));
    app::CPlayController& player = view_.window()->player();
    struct Case {
        int32_t from;
        int button;
        int32_t after;
    };
    for (const Case c :
         {Case{9800, kVolumeUp, 10000}, Case{10000, kVolumeUp, 10000}, Case{5000, kVolumeUp, 5500},
          Case{5000, kVolumeDn, 4500}, Case{300, kVolumeDn, 0}, Case{0, kVolumeDn, 0}}) {
        player.SetVolume(c.from);
        click(c.button);
        EXPECT_EQ(player.Volume(), c.after) << c.from << " " << c.button;
    }
    player.SetVolume(9000);
    QTest::keyClick(view_.window(), Qt::Key_Up);
    EXPECT_EQ(player.Volume(), 9500);
    QTest::keyClick(view_.window(), Qt::Key_2, Qt::KeypadModifier);
    EXPECT_EQ(player.Volume(), 9000);
    const QPoint bar = view_.window()->skin().controlRect(kVolumeWnd).center();
    QWheelEvent wheel(bar, view_.window()->mapToGlobal(bar), {}, QPoint(0, 120), Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(view_.window(), &wheel);
    EXPECT_EQ(player.Volume(), 9500);

    click(kVolumeWnd);
    auto* popup = dynamic_cast<VolumePopup*>(view_.window()->volumePopup());
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->slider().value(), 9500);
    popup->slider().setValue(2500);
    EXPECT_EQ(player.Volume(), 2500);
    popup->close();
}

TEST_F(CMainWindowTest, RepeatAndShuffleFollowButtonsKeysAndMenu) {
    ASSERT_TRUE(start({}));
    CMainWindow& window = *view_.window();
    app::CPlayController& player = window.player();
    player.SetRepeat(0);
    player.SetShuffle(false);
    const auto marks = [&window] {
        const std::unique_ptr<QMenu> menu = window.commandMenu();
        return std::array{entry(*menu, "１曲リピート")->isChecked(),
                          entry(*menu, "全曲リピート")->isChecked(),
                          entry(*menu, "シャッフル")->isChecked()};
    };
    EXPECT_EQ(marks(), (std::array{false, false, false}));
    click(kRepeat);
    EXPECT_EQ(player.RepeatMode(), 1);
    EXPECT_EQ(marks(), (std::array{true, false, false}));
    click(kRepeat);
    EXPECT_EQ(player.RepeatMode(), 2);
    EXPECT_EQ(marks(), (std::array{false, true, false}));
    QTest::mouseClick(&window, Qt::LeftButton, {},
                      window.skin().displayRect(DisplayItem::RepeatMark).center());
    EXPECT_EQ(player.RepeatMode(), 0);
    QTest::keyClick(&window, 'r');
    EXPECT_EQ(player.RepeatMode(), 1);
    player.SetRepeat(0);
    click(kShuffle);
    EXPECT_TRUE(player.Shuffle());
    EXPECT_EQ(marks(), (std::array{false, false, true}));
    // The kana on the S key.
    QTest::sendKeyEvent(QTest::KeyAction::Click, &window, Qt::Key_unknown, QString(u'\uFF84'), {});
    EXPECT_FALSE(player.Shuffle());

    const std::unique_ptr<QMenu> menu = window.commandMenu();
    entry(*menu, "全曲リピート")->trigger();
    EXPECT_EQ(player.RepeatMode(), 2);
    entry(*menu, "全曲リピート")->trigger();
    EXPECT_EQ(player.RepeatMode(), 0);
    EXPECT_TRUE(entry(*menu, "オプション")->isEnabled());
    EXPECT_TRUE(entry(*menu, "レコーディングパネル")->isEnabled());
    EXPECT_TRUE(entry(*menu, "ブルー")->isChecked());
    EXPECT_FALSE(entry(*menu, "グリーン")->isChecked());
}

TEST_F(CMainWindowTest, CounterModeAndAlwaysOnTopAreStoredAndChecked) {
    ASSERT_TRUE(start({}));
    CMainWindow& window = *view_.window();
    QTest::mouseClick(&window, Qt::LeftButton, {},
                      window.skin().displayRect(DisplayItem::Time).center());
    EXPECT_EQ(playerSettings_.read(app::settings::kCounterMode), 1);
    EXPECT_TRUE(entry(*window.commandMenu(), "時間表示 残り時間")->isChecked());
    entry(*window.commandMenu(), "時間表示 経過時間")->trigger();
    EXPECT_EQ(playerSettings_.read(app::settings::kCounterMode), 0);

    entry(*window.commandMenu(), "常に手前に表示")->trigger();
    EXPECT_EQ(playerSettings_.read(app::settings::kAlwaysOnTop), 1);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(entry(*window.commandMenu(), "常に手前に表示")->isChecked());
    entry(*window.commandMenu(), "常に手前に表示")->trigger();
    EXPECT_FALSE(window.windowFlags() & Qt::WindowStaysOnTopHint);
}

// Never stored, the equalizer opens with the main window, docked below it
// and kept on top with it; Ctrl+4 and the menu close and open it.
TEST_F(CMainWindowTest, EqualizerOpensAsTheLastExitLeftItAndCtrl4TogglesIt) {
    ASSERT_TRUE(start({}));
    CMainWindow& window = *view_.window();
    QPointer<CEqualizerWindow> equalizer = window.equalizerWindow();
    ASSERT_NE(equalizer, nullptr);
    EXPECT_TRUE(equalizer->isVisible());
    EXPECT_EQ(equalizer->pos(), window.geometry().bottomLeft() + QPoint(0, 1));
    entry(*window.commandMenu(), "常に手前に表示")->trigger();
    EXPECT_TRUE(equalizer->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(equalizer->isVisible());
    EXPECT_TRUE(entry(*window.commandMenu(), "スペアナ")->isChecked());

    QTest::keyClick(&window, Qt::Key_4, Qt::ControlModifier);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(equalizer.isNull());
    EXPECT_EQ(window.equalizerWindow(), nullptr);
    const auto closed =
        app::WindowPlacement::parse(playerSettings_.read(app::settings::kEqualizerPosition));
    ASSERT_TRUE(closed);
    EXPECT_EQ(closed->showCommand, app::WindowPlacement::kHidden);
    window.restoreEqualizer();  // as the next start does: closed stays closed
    EXPECT_EQ(window.equalizerWindow(), nullptr);

    entry(*window.commandMenu(), "スペアナ")->trigger();
    ASSERT_NE(window.equalizerWindow(), nullptr);
    EXPECT_TRUE(window.equalizerWindow()->windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(CMainWindowTest, KeysAndSliderDriveTheTransport) {
    const std::string song = (music_ / "song.wav").string();
    writeSilentWave(song, 30);
    ASSERT_TRUE(start({song}));
    CMainWindow& window = *view_.window();
    app::CPlayController& player = window.player();
    ASSERT_TRUE(waitFor([&] { return player.GetStatus() == CNxSSComponent::kRunning; }));
    QTest::keyClick(&window, 'v');
    EXPECT_TRUE(waitFor([&] { return player.GetStatus() == CNxSSComponent::kStopped; }));
    // "X" in kana mode.
    QTest::sendKeyEvent(QTest::KeyAction::Click, &window, Qt::Key_unknown, QString(u'\uFF7B'), {});
    EXPECT_TRUE(waitFor([&] { return player.GetStatus() == CNxSSComponent::kRunning; }));
    QTest::keyClick(&window, Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(waitFor([&] { return player.GetStatus() == CNxSSComponent::kPaused; }));
    QTest::keyClick(&window, Qt::Key_X, Qt::AltModifier);
    EXPECT_TRUE(waitFor([&] { return player.GetStatus() == CNxSSComponent::kRunning; }));

    // A drag over the slider seeks to where the thumb goes.
    const PositionSlider& slider = window.skin().slider();
    const QRect track = slider.track();
    const QPoint middle(track.left() + track.width() / 2, track.center().y());
    QTest::mousePress(&window, Qt::LeftButton, {}, middle);
    const int atMiddle = slider.position();
    EXPECT_NEAR(atMiddle, 500, 60);
    EXPECT_TRUE(waitFor([&] { return player.GetPosition() >= 30000 * atMiddle / 1000 - 500; }));
    const QPoint further(track.left() + track.width() * 7 / 8, middle.y());
    QTest::mouseMove(&window, further);
    QTest::mouseRelease(&window, Qt::LeftButton, {}, further);
    const int atFurther = slider.position();
    EXPECT_GT(atFurther, atMiddle + 200);
    EXPECT_TRUE(waitFor([&] { return player.GetPosition() >= 30000 * atFurther / 1000 - 500; }));

    // Back by five seconds; three seconds in, to the start.
    player.Seek(3000);
    ASSERT_TRUE(waitFor([&] { return player.GetPosition() < 4500; }));
    QTest::keyClick(&window, Qt::Key_Left);
    EXPECT_TRUE(waitFor([&] { return player.GetPosition() < 2000; }));
}

// A point of the window's shape outside every control.
QPoint bodyPoint(const CMainWindow& window) {
    for (const QRect& r : window.mask()) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x) {
                if (window.controlAt({x, y}) < 0) {
                    return {x, y};
                }
            }
        }
    }
    ADD_FAILURE() << "no free point";
    return {};
}

TEST_F(CMainWindowTest, LayoutsShapeTheWindowAndAreStored) {
    ASSERT_TRUE(start({}));
    CMainWindow& window = *view_.window();
    const CSkin& skin = window.skin();
    const auto shapedAs = [this, &window, &skin](SkinLayout layout) {
        EXPECT_EQ(window.layout(), layout);
        EXPECT_EQ(window.size(), skin.stateImage(layout, 'U').Size());
        EXPECT_EQ(window.mask(), skin.windowRegion(layout));
        EXPECT_EQ(playerSettings_.read(app::settings::kWindowState), static_cast<int>(layout));
    };
    const auto centre = [&skin](int control) { return skin.controlRect(control).center(); };
    // The closed tray's buttons are not hit; the open tray's replace them.
    EXPECT_EQ(window.controlAt(centre(kVolumeUp)), kVolumeUp);
    EXPECT_EQ(window.controlAt(centre(kVolumeUpW)), -1);
    EXPECT_EQ(window.controlAt(centre(kHelp)), -1);
    click(kWideMode);
    shapedAs(SkinLayout::Wide);
    EXPECT_EQ(window.size(), QSize(360, 164));
    EXPECT_EQ(window.controlAt(centre(kVolumeUp)), -1);
    EXPECT_EQ(window.controlAt(centre(kHelp)), kHelp);
    window.player().SetVolume(5000);
    click(kVolumeDnW);
    EXPECT_EQ(window.player().Volume(), 4500);
    click(kRecList);  // the recording panel opens, and the player follows it
    ASSERT_TRUE(view_.recordPanel()->isVisible());
    EXPECT_EQ(window.player().FollowedKind(), app::CPlayController::kRecordingKind);
    QTest::keyClick(&window, Qt::Key_3, Qt::ControlModifier);
    EXPECT_FALSE(view_.recordPanel()->isVisible());

    // Mini reloads the skin with its own controls and marks.
    click(kSizeBtn);
    shapedAs(SkinLayout::Mini);
    EXPECT_TRUE(skin.isMini());
    EXPECT_EQ(skin.controlRect(kWideMode), QRect());
    EXPECT_TRUE(entry(*window.commandMenu(), "ミニウィンドウ")->isChecked());
    const QRect play = skin.controlRect(kPlay);
    EXPECT_EQ(window.grab(play).toImage().convertToFormat(QImage::Format_RGB32),
              skin.stateImage(SkinLayout::Mini, 'U')
                  .image()
                  .copy(play)
                  .convertToFormat(QImage::Format_RGB32));
    // A double click on the body leaves mini for the open tray again.
    QTest::mouseDClick(&window, Qt::LeftButton, {}, bodyPoint(window));
    shapedAs(SkinLayout::Wide);

    entry(*window.commandMenu(), "ミニウィンドウ")->trigger();
    shapedAs(SkinLayout::Mini);

    // The next window opens as this one was left.
    CMainWindow next(app_->skinFolder(), engine_, playerSettings_);
    EXPECT_EQ(next.layout(), SkinLayout::Mini);
    EXPECT_EQ(next.size(), QSize(438, 30));
}

// A folder dropped from a file manager plays its music files in order;
// the window's place is stored and the next window opens there, pulled
// back onto the screen when the screens have changed since.
TEST_F(CMainWindowTest, DroppedFolderPlaysAndPlacementStaysOnScreen) {
    std::filesystem::create_directories(music_ / "album/disc2");
    for (const char* name : {"album/b.wav", "album/disc2/c.wav", "album/a.wav"}) {
        writeSilentWave(music_ / name, 20);
    }
    std::ofstream(music_ / "album/cover.txt") << "not music";
    view_.setDropHandler([this](std::vector<std::string> paths, bool ctrlHeld) {
        app_->HandOverDropped(std::move(paths), ctrlHeld);
    });
    ASSERT_TRUE(start({}));
    CMainWindow& window = *view_.window();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString((music_ / "album").string()))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&window, &drop);
    app::CPlayController& player = window.player();
    EXPECT_TRUE(waitFor([&] { return player.GetStatus() == CNxSSComponent::kRunning; }));
    EXPECT_EQ(player.CurrentPath(), (music_ / "album/a.wav").string());
    // The text file is no music.
    EXPECT_EQ(app_->library()->db().playlists().get(std::string(app::texts::kDropPlaylist)).count(),
              3u);

    const QRect screen = window.screen()->availableGeometry();
    window.move(screen.topLeft() + QPoint(40, 30));
    ASSERT_TRUE(app_->SaveAllModified());
    const auto stored = app::WindowPlacement::parse(playerSettings_.read(app::settings::kPosition));
    ASSERT_TRUE(stored);
    EXPECT_EQ(QPoint(stored->left, stored->top), screen.topLeft() + QPoint(40, 30));
    EXPECT_EQ(CMainWindow(app_->skinFolder(), engine_, playerSettings_).pos(),
              screen.topLeft() + QPoint(40, 30));
    // Left beyond the bottom right of a screen that is no longer there.
    app::WindowPlacement far = *stored;
    far.left = screen.right() + 500;
    far.top = screen.bottom() + 300;
    playerSettings_.write(app::settings::kPosition, far.format());
    const CMainWindow next(app_->skinFolder(), engine_, playerSettings_);
    EXPECT_TRUE(screen.contains(next.geometry())) << next.x() << "," << next.y();
    EXPECT_EQ(next.geometry().bottomRight(), screen.bottomRight());
}

// An MP3 shows the bitrate it was encoded at, not that of the PCM it
// decodes to, and a variable one lights the VBR mark.
TEST_F(CMainWindowTest, Mp3ShowsItsOwnBitrateAndTheVbrMark) {
    const std::string cbr = MP3_FIXTURE_DIR "/v1_44k_joint_128.mp3";
    const std::string vbr = MP3_FIXTURE_DIR "/v1_44k_vbr_xing.mp3";
    ASSERT_TRUE(start({cbr, vbr}));
    CMainWindow& window = *view_.window();
    const CSkin& skin = window.skin();
    const QRect bitrate = skin.displayRect(DisplayItem::Bitrate);
    const QRect mark = skin.displayRect(DisplayItem::VbrMark);
    // The bitrate and the mark as the skin draws them, and as shown.
    const auto drawn = [&](int kbps, int vbrCell) {
        QImage image = skin.stateImage(SkinLayout::Normal, 'U').image().copy();
        QPainter painter(&image);
        DrawDigits(painter, bitrate.x(), bitrate.y(), kbps, 4, skin.image(FolderImage::FontD),
                   true);
        drawStripCell(painter, skin.image(FolderImage::Vbr), 2, vbrCell, mark.topLeft());
        painter.end();
        return std::pair(image.copy(bitrate).convertToFormat(QImage::Format_RGB32),
                         image.copy(mark).convertToFormat(QImage::Format_RGB32));
    };
    const auto shown = [&] {
        const QImage image = window.grab().toImage();
        return std::pair(image.copy(bitrate).convertToFormat(QImage::Format_RGB32),
                         image.copy(mark).convertToFormat(QImage::Format_RGB32));
    };
    EXPECT_TRUE(waitFor([&] { return window.player().CurrentPath() == cbr; }));
    EXPECT_TRUE(waitFor([&] { return shown() == drawn(128, 0); }));
    click(kNext);
    EXPECT_TRUE(waitFor([&] { return window.player().CurrentPath() == vbr; }));
    EXPECT_TRUE(waitFor([&] { return shown().second == drawn(0, 1).second; }));
    EXPECT_NE(shown().first, drawn(128, 0).first);
}

TEST_F(CMainWindowTest, HelpAndHomePageGoToThePageOpener) {
    ASSERT_TRUE(start({}));
    CMainWindow& window = *view_.window();
    std::vector<std::string> opened;
    window.setPageOpener([&opened](const QUrl& url) {
        opened.push_back(url.toString().toStdString());
        return true;
    });
    click(kLogoMark);  // no home page set
    EXPECT_TRUE(opened.empty());
    store_.write(app::settings::kHomePage, "https://melodux.example/");
    click(kLogoMark);
    QTest::keyClick(&window, Qt::Key_F1);
    window.setLayout(SkinLayout::Wide);
    click(kHelp);
    const std::string help =
        QUrl::fromLocalFile(MELODUX_BUILD_DATA_DIR "/help/index.htm").toString().toStdString();
    EXPECT_EQ(opened, (std::vector<std::string>{"https://melodux.example/", help, help}));
}

TEST_F(CMainWindowTest, TitleWiderThanItsAreaScrolls) {
    ASSERT_TRUE(start({}));
    CMainWindow& window = *view_.window();
    const QRect area = window.skin().controlRect(kTitleWnd);
    std::string title;
    for (char c = 'A'; c <= 'Z'; ++c) {
        title += std::string(3, c);
    }
    window.ShowTitle(title, 1000, "caption");
    const QImage first = window.grab(area).toImage();
    EXPECT_TRUE(waitFor([&] { return window.grab(area).toImage() != first; }));
}

TEST_F(CMainWindowTest, MissingSkinIniIsSaidAndNoWindowIsMade) {
    std::filesystem::remove(program_ / "Skin/Navy/Skin.ini");
    std::string said;
    QTimer::singleShot(0, [&said] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        said = box->text().toStdString();
        box->accept();
    });
    EXPECT_FALSE(start({}));
    EXPECT_EQ(said, app::texts::notFound(app_->skinFolder() + "Skin.ini"));
    EXPECT_EQ(said, (program_ / "Skin/Navy/Skin.ini").string() + " が見つかりません。");
    EXPECT_EQ(view_.window(), nullptr);
}

}  // namespace
}  // namespace ui

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("MELODUX_AUDIO", "null");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
