#include <gtest/gtest.h>

#include <QApplication>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include "app/PlayerSettings.h"
#include "app/Settings.h"
#include "app/SettingsStore.h"
#include "app/WindowPlacement.h"
#include "support/TempSettings.h"
#include "ui/equalizer/CEqualizerWindow.h"
#include "ui/equalizer/FakeEqualizerPlayer.h"

namespace ui {
namespace {

using Segment = dsp::SpectrumMeter::Segment;

constexpr int kGain = EqualizerSkin::kGainSlider;

int litSegments(const SpectrumMeterStates& states, size_t band) {
    int lit = 0;
    for (int s = 0; s < dsp::SpectrumMeter::kSegments; ++s) {
        lit +=
            states[band * dsp::SpectrumMeter::kSegments + static_cast<size_t>(s)] != Segment::kOff;
    }
    return lit;
}

// The window over the built Navy skin, private settings, a recording
// player and a stand-in for the main window.
class CEqualizerWindowTest : public ::testing::Test {
  protected:
    CEqualizerWindowTest() {
        main_.setWindowFlag(Qt::FramelessWindowHint);  // as the skinned player
        main_.setFixedSize(360, 116);
        main_.move(200, 100);
        main_.show();
    }
    ~CEqualizerWindowTest() override { delete window_; }

    CEqualizerWindow& open() {
        delete window_;
        calls_ = {};
        auto player = std::make_unique<FakeEqualizerPlayer>(calls_);
        player_ = player.get();
        window_ = new CEqualizerWindow(MELODUX_BUILD_DATA_DIR "/Skin/Navy", settings_,
                                       std::move(player), &main_);
        window_->show();
        return *window_;
    }
    // Closes the window as its close button does; it is gone afterwards.
    void closeWindow() {
        QTest::mouseClick(window_, Qt::LeftButton, {}, window_->skin().Dress().close.center());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_TRUE(window_.isNull());
    }
    void click(const QRect& area) { QTest::mouseClick(window_, Qt::LeftButton, {}, area.center()); }
    void mouse(QEvent::Type type, QPoint local, Qt::MouseButtons buttons = Qt::LeftButton) {
        const QPoint global = window_->mapToGlobal(local);
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, local, global, button, buttons, Qt::NoModifier);
        QApplication::sendEvent(window_, &event);
    }
    // Grabs the body at `from` and lets it go `by` further on the screen.
    void drag(QPoint from, QPoint by) {
        mouse(QEvent::MouseButtonPress, from);
        const QPoint global = window_->mapToGlobal(from) + by;
        QMouseEvent move(QEvent::MouseMove, window_->mapFromGlobal(global), global, Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window_, &move);
        mouse(QEvent::MouseButtonRelease, window_->mapFromGlobal(global), Qt::NoButton);
    }
    // Opens the preset list with its button and picks entry `index`.
    void pickPreset(int index) {
        QTimer::singleShot(0, [index] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            menu->actions()[index]->trigger();
            menu->close();
        });
        click(window_->skin().Dress().presetList);
    }

    TempSettings temp_;
    app::SettingsStore store_;
    app::PlayerSettings settings_{store_};
    QWidget main_;
    FakeEqualizerPlayer::Calls calls_;
    FakeEqualizerPlayer* player_ = nullptr;
    QPointer<CEqualizerWindow> window_;
};

TEST_F(CEqualizerWindowTest, OpensBypassedWithTheStoredSettingsHandedToThePlayer) {
    settings_.write(app::settings::kEqualizerLevel, "3,-12,0,0,0,0,0,0,0,11");
    settings_.write(app::settings::kEqualizerGain, -3);
    settings_.write(app::settings::kEqualizerPreset, 9);  // out of range
    CEqualizerWindow& window = open();
    EXPECT_TRUE(window.bypassed());
    EXPECT_EQ(window.levels()[1], -12);
    EXPECT_EQ(window.sliderPosition(1), -10);
    EXPECT_EQ(window.sliderPosition(9), 10);
    EXPECT_EQ(window.sliderPosition(kGain), -3);
    EXPECT_EQ(window.preset(), 6);
    EXPECT_EQ(calls_.gains, std::vector<int32_t>{-15});
    EXPECT_EQ(calls_.bypasses, std::vector<bool>{true});
    ASSERT_EQ(calls_.levels.size(), 1u);
    EXPECT_EQ(calls_.levels[0][1], -12);
    EXPECT_EQ(window.size(), window.skin().Window().size());
    EXPECT_FALSE(window.mask().isEmpty());
}

TEST_F(CEqualizerWindowTest, SlidersFollowTheMouseAndHandTheirLevels) {
    CEqualizerWindow& window = open();
    const QRect band = window.skin().Track(5);
    ASSERT_FALSE(band.isEmpty());
    calls_ = {};
    mouse(QEvent::MouseButtonPress, QPoint(band.center().x(), band.top()));
    EXPECT_EQ(window.sliderPosition(5), 10);
    mouse(QEvent::MouseMove, QPoint(band.center().x(), band.bottom() + 40));
    mouse(QEvent::MouseButtonRelease, QPoint(band.center().x(), band.bottom() + 40), Qt::NoButton);
    EXPECT_EQ(window.sliderPosition(5), -10);
    EXPECT_EQ(window.levels()[5], -10);
    // Levels go to the player while bypassed too, once per position moved.
    ASSERT_EQ(calls_.levels.size(), 2u);
    EXPECT_EQ(calls_.levels[0][5], 10);
    EXPECT_EQ(calls_.levels[1][5], -10);
    EXPECT_TRUE(calls_.gains.empty());

    const QRect gain = window.skin().Track(kGain);
    click(QRect(gain.center(), QSize(1, 1)));
    EXPECT_EQ(window.sliderPosition(kGain), 0);
    mouse(QEvent::MouseButtonPress, QPoint(gain.center().x(), gain.top()));
    mouse(QEvent::MouseButtonRelease, QPoint(gain.center().x(), gain.top()), Qt::NoButton);
    EXPECT_EQ(calls_.gains, std::vector<int32_t>{50});
    EXPECT_EQ(calls_.levels.size(), 2u);
}

TEST_F(CEqualizerWindowTest, PresetsAndTheSwitchHandOnlyWhatTheyChange) {
    CEqualizerWindow& window = open();
    calls_ = {};
    pickPreset(4);  // "Low Cut   " while off: the levels stay with the window
    EXPECT_EQ(window.preset(), 4);
    EXPECT_EQ(window.sliderPosition(0), -10);
    EXPECT_EQ(window.levels()[0], -12);
    EXPECT_EQ(window.levels()[1], -6);
    EXPECT_EQ(calls_.bypasses, std::vector<bool>{true});
    EXPECT_TRUE(calls_.levels.empty());

    click(window.skin().Dress().bypass);
    EXPECT_FALSE(window.bypassed());
    EXPECT_EQ(calls_.bypasses, (std::vector<bool>{true, false}));
    EXPECT_TRUE(calls_.levels.empty());

    pickPreset(2);  // "Mid Boost " while on
    ASSERT_EQ(calls_.levels.size(), 1u);
    EXPECT_EQ(calls_.levels[0], (std::array<double, 10>{0, 0, 0, 0, 2, 6, 2, 0, 0, 0}));
    EXPECT_EQ(calls_.bypasses.back(), false);

    const std::unique_ptr<QMenu> menu = window.presetMenu();
    ASSERT_EQ(menu->actions().size(), 7);
    EXPECT_EQ(menu->actions()[3]->text(), "High Boost");
    EXPECT_EQ(menu->actions()[6]->text(), "High Cut  ");
    EXPECT_TRUE(menu->actions()[2]->isChecked());
    EXPECT_FALSE(menu->actions()[4]->isChecked());
}

TEST_F(CEqualizerWindowTest, ButtonsSayWhatTheyDoAndAltF4Closes) {
    CEqualizerWindow& window = open();
    const auto tipAt = [&](const QRect& area) {
        QHelpEvent help(QEvent::ToolTip, area.center(), window.mapToGlobal(area.center()));
        QApplication::sendEvent(&window, &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    const SkinDress& dress = window.skin().Dress();
    EXPECT_EQ(tipAt(dress.close), QString::fromUtf8("閉じる (Alt+F4)"));
    EXPECT_EQ(tipAt(dress.bypass), QString::fromUtf8("グライコ On/Off"));
    EXPECT_EQ(tipAt(dress.presetList), QString::fromUtf8("プリセット"));
    QHelpEvent body(QEvent::ToolTip, QPoint(5, 75), window.mapToGlobal(QPoint(5, 75)));
    QApplication::sendEvent(&window, &body);
    EXPECT_FALSE(body.isAccepted());

    QTest::keyClick(&window, Qt::Key_F4, Qt::AltModifier);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window_.isNull());
}

TEST_F(CEqualizerWindowTest, SettingsAreKeptFromOneWindowToTheNext) {
    CEqualizerWindow& first = open();
    pickPreset(4);
    first.moveSlider(3, 7);
    first.moveSlider(kGain, 4);
    first.toggleBypass();
    closeWindow();
    EXPECT_EQ(settings_.read(app::settings::kEqualizerLevel), "-12,-6,-2,7,0,0,0,0,0,0");
    EXPECT_EQ(settings_.read(app::settings::kEqualizerGain), 4);
    EXPECT_EQ(settings_.read(app::settings::kEqualizerPreset), 4);
    EXPECT_EQ(settings_.read(app::settings::kEqualizerBypass), 0);
    const auto placement =
        app::WindowPlacement::parse(settings_.read(app::settings::kEqualizerPosition));
    ASSERT_TRUE(placement);
    EXPECT_EQ(placement->showCommand, app::WindowPlacement::kHidden);  // closed by the user

    CEqualizerWindow& second = open();
    EXPECT_EQ(second.levels()[0], -12);
    EXPECT_EQ(second.sliderPosition(0), -10);
    EXPECT_EQ(second.sliderPosition(3), 7);
    EXPECT_EQ(second.preset(), 4);
    EXPECT_FALSE(second.bypassed());
    EXPECT_EQ(calls_.gains, std::vector<int32_t>{20});
    EXPECT_EQ(calls_.bypasses, std::vector<bool>{false});
    EXPECT_EQ(calls_.levels.at(0)[2], -2);
}

TEST_F(CEqualizerWindowTest, DocksBelowFollowsTheMainWindowAndIsFreeOnceDraggedAway) {
    CEqualizerWindow& window = open();
    EXPECT_EQ(window.attach(), EqualizerAttach::Below);
    EXPECT_EQ(window.pos(), QPoint(200, 216));
    main_.move(260, 130);
    EXPECT_EQ(window.pos(), QPoint(260, 246));

    const QPoint body(5, 75);  // on no control
    drag(body, QPoint(0, 300));
    EXPECT_EQ(window.attach(), EqualizerAttach::Free);
    EXPECT_EQ(window.pos(), QPoint(260, 546));
    main_.move(240, 150);
    EXPECT_EQ(window.pos(), QPoint(260, 546));

    // Let go with its bottom edge by the main window's top: docked above.
    drag(body, QPoint(-10, 150 - 546 - window.height() + 6));
    EXPECT_EQ(window.attach(), EqualizerAttach::Above);
    EXPECT_EQ(window.pos(), QPoint(240, 150 - window.height()));
    closeWindow();
    EXPECT_EQ(settings_.read(app::settings::kEqualizerAttach), 1);

    // Free, it opens where it was left.
    settings_.write(app::settings::kEqualizerAttach, 0);
    settings_.write(app::settings::kEqualizerPosition, "0:5:0:0:0:0:100:200:460:350");
    EXPECT_EQ(open().pos(), QPoint(100, 200));
}

TEST_F(CEqualizerWindowTest, MeterShowsWhatIsHeardAndFallsWhenItStops) {
    CEqualizerWindow& window = open();
    const EqualizerSkin& skin = window.skin();
    ASSERT_EQ(skin.MeterBands(), CEqualizerWindow::kMeterBands);
    // Segments stack upwards without overlapping, inside the window.
    for (int s = 0; s + 1 < dsp::SpectrumMeter::kSegments; ++s) {
        EXPECT_LT(skin.Segment(0, s + 1).bottom(), skin.Segment(0, s).top());
    }
    EXPECT_LT(skin.Segment(0, 0).right(), skin.Segment(1, 0).left());
    EXPECT_TRUE(window.rect().contains(skin.Segment(15, 9)));

    player_->setPlaying(true);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return litSegments(window.meterStates(), FakeEqualizerPlayer::kToneBand) == 10; },
        3000));
    const QRect lit = skin.Segment(FakeEqualizerPlayer::kToneBand, 0);
    QTest::qWait(50);  // the repaint the worker asked for
    EXPECT_EQ(window.grab(lit).toImage().pixelColor(lit.width() / 2, lit.height() / 2),
              skin.MeterColours()[0]);

    // Noise moves every bar each frame; once it stops and the bars are
    // down, the screen shows every segment off: none was left as it was.
    player_->setNoise(true);
    QTest::qWait(400);
    player_->setPlaying(false);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const auto states = window.meterStates();
            return std::all_of(states.begin(), states.end(),
                               [](Segment s) { return s == Segment::kOff; });
        },
        3000));
    QTest::qWait(50);
    const QImage shown = window.screen()->grabWindow(window.winId()).toImage();
    for (size_t b = 0; b < CEqualizerWindow::kMeterBands; ++b) {
        for (int s = 0; s < dsp::SpectrumMeter::kSegments; ++s) {
            EXPECT_EQ(shown.pixelColor(skin.Segment(b, s).center()), skin.MeterColours()[2])
                << "band " << b << " segment " << s;
        }
    }
}

}  // namespace
}  // namespace ui

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
