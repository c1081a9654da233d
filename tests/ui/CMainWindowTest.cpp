#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "app/AppTexts.h"
#include "app/CPlayerApp.h"
#include "app/Engine.h"
#include "app/PlayerSettings.h"
#include "app/StreamTagAccess.h"
#include "stream/CNxSSComponent.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"
#include "ui/CDesktopView.h"
#include "ui/PoolWork.h"
#include "ui/QtTimerService.h"

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
        std::filesystem::create_directories(program_ / "Skin");
        std::filesystem::copy(MELODUX_BUILD_DATA_DIR "/Skin/Navy", program_ / "Skin/Navy",
                              std::filesystem::copy_options::recursive);
        std::filesystem::copy(MELODUX_BUILD_DATA_DIR "/genre.dat", program_ / "genre.dat");
    }

    bool start(const std::vector<std::string>& arguments) {
        app::CPlayerApp::Services services{
            view_,
            view_,
            timers_,
            work_,
            std::make_shared<app::StreamTagAccess>(engine_.catalog()),
            [](const std::vector<std::string>&) { return true; },
            [] { QApplication::quit(); }};
        app_ = std::make_unique<app::CPlayerApp>(std::move(services), store_, program_.path());
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
    EXPECT_EQ(window->size(), QSize(360, 164));

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
