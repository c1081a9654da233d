#pragma once

#include <QPoint>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/CPlayController.h"
#include "app/PlayerDisplay.h"
#include "app/PlayerView.h"
#include "app/ShuffleRandom.h"
#include "app/TickClock.h"
#include "platform/MessageTarget.h"
#include "ui/CSkin.h"
#include "ui/options/OptionSources.h"

namespace app {
class Engine;
class PlayerSettings;
}  // namespace app

class QMenu;

namespace ui {

class CEqualizerWindow;
namespace options {
class COptionDialog;
}

// The player window: shaped by the skin's region of its layout (normal,
// wide with the tray open, or mini), painted from its state images, moved
// by dragging its body. The transport buttons drive the play controller it
// owns; the chains' notifications, posted from their threads, come back to
// it as queued calls.
class CMainWindow : public QWidget, public app::PlayerView, public platform::MessageTarget {
  public:
    static constexpr int kRefreshMs = 100;

    CMainWindow(const std::filesystem::path& skinFolder, const app::Engine& engine,
                app::PlayerSettings& settings);
    ~CMainWindow() override;

    const CSkin& skin() const { return skin_; }
    app::CPlayController& player() { return *player_; }
    // Asked before the window closes: whether it may.
    void setCloseGuard(std::function<bool()> guard) { closeGuard_ = std::move(guard); }
    // Takes the local paths of a drop, in order, and whether Ctrl was held.
    using DropHandler = std::function<void(std::vector<std::string> paths, bool ctrlHeld)>;
    void setDropHandler(DropHandler handler) { dropped_ = std::move(handler); }
    // Makes the named skin current; gives the message to show, empty on
    // success. Without one the menu's skin entries are disabled.
    using SkinSelector = std::function<std::string(std::string_view name)>;
    void setSkinSelector(SkinSelector selector) { selectSkin_ = std::move(selector); }
    // The folder of the skin shown, and who else follows a change of it.
    const std::filesystem::path& skinFolder() const { return skinFolder_; }
    using SkinListener = std::function<void(const std::filesystem::path& folder)>;
    void setSkinListener(SkinListener listener) { skinChanged_ = std::move(listener); }
    // Opens the help and home pages; the user's browser unless replaced.
    using PageOpener = std::function<bool(const QUrl&)>;
    void setPageOpener(PageOpener opener) { openPage_ = std::move(opener); }
    // Shows or hides the list/edit panel (PlayList, Ctrl+2, the menu).
    void setListPanelToggle(std::function<void()> toggle) { toggleListPanel_ = std::move(toggle); }
    // Shows or hides the recording panel (RecList, Ctrl+3, the menu).
    void setRecordPanelToggle(std::function<void()> toggle) {
        toggleRecordPanel_ = std::move(toggle);
    }
    // Gives the keyboard focus to a visible panel (Ctrl+Tab).
    void setPanelFocus(std::function<void()> focus) { focusPanel_ = std::move(focus); }
    // The Record button and Alt+R.
    void setRecordStarter(std::function<void()> start) { startRecording_ = std::move(start); }
    // What the recording panel takes from the confirmed options dialog.
    void setRecordingHandOver(options::RecordingHandOver handOver) {
        recordingHandOver_ = std::move(handOver);
    }

    SkinLayout layout() const { return layout_; }
    // Makes `layout` current (entering or leaving mini reloads the skin)
    // and stores it as "WindowState".
    void setLayout(SkinLayout layout);
    // Stores the window's place as "Position"; the next window opens there,
    // pulled onto the screens of that time.
    void savePlacement();
    // The first control under `point` that the layout lets be hit, or -1.
    int controlAt(QPoint point) const;

    // The options dialog (Ctrl+9).
    void openOptions();
    // The command menu as it stands now, with its check marks.
    std::unique_ptr<QMenu> commandMenu();
    // The open volume window, if any.
    QWidget* volumePopup() const { return volumePopup_; }
    // Opens the equalizer window, or closes it when open.
    void toggleEqualizer();
    // Opens the equalizer window as the last exit left it.
    void restoreEqualizer();
    CEqualizerWindow* equalizerWindow() const;
    // Key seeking: 5 s back or forward, within the track.
    void seekBy(int32_t ms);

    // app::PlayerView
    void ShowTitle(const std::string& text, int32_t playTimeMs,
                   const std::string& caption) override;
    void ShowFormat(int32_t lengthMs, const platform::WaveFormat& format, int32_t bitrateKbps,
                    bool variableBitrate) override;
    void ShowPlayButton(bool pressed) override;
    void RedrawPlayButton() override;
    void ShowBlankBanner(bool shown) override;
    void ShowMessage(uint32_t code, const std::string& text) override;

    // platform::MessageTarget: from any thread.
    bool post(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void loadLayoutSetting();
    bool hittable(int control) const;
    void applyLayout();
    void restorePlacement();
    bool dragTo(QPoint topLeft);
    void toggleMini();
    void openHelpPage();
    void openHomePage();
    void showAbout();
    char stateOf(int control) const;
    void press(int control);
    bool pressKey(int key, Qt::KeyboardModifiers modifiers);
    // The transport of the Alt letters Z X C V B; false for other keys.
    bool pressTransport(int letter);
    bool pressLetter(char32_t letter);
    void refreshDisplay();
    void followPosition();
    app::display::TimeDigits timeShown() const;
    void seekToSlider(int x);
    void toggleCounterMode();
    void setCounterMode(int32_t mode);
    void setAlwaysOnTop(bool on);
    void chooseSkin(std::string_view name);
    void openMenu(QPoint global);
    void openVolumePopup();
    void drawTime(QPainter& painter) const;
    void drawTitle(QPainter& painter) const;
    void drawIndicators(QPainter& painter) const;
    void scrollTitle();

    CSkin skin_;
    app::SteadyTickClock clock_;
    app::StdShuffleRandom random_{clock_};
    std::unique_ptr<app::CPlayController> player_;
    const app::Engine& engine_;
    app::PlayerSettings& settings_;
    // Read for every refresh of the counter: kept here, not asked of the
    // settings file each time.
    int32_t counterMode_;
    std::function<bool()> closeGuard_;
    DropHandler dropped_;
    SkinSelector selectSkin_;
    SkinListener skinChanged_;
    PageOpener openPage_;
    std::function<void()> toggleListPanel_;
    std::function<void()> toggleRecordPanel_;
    std::function<void()> focusPanel_;
    std::function<void()> startRecording_;
    options::RecordingHandOver recordingHandOver_;
    SkinLayout layout_ = SkinLayout::Normal;
    bool wideTray_ = false;  // the tray was open before entering mini
    std::filesystem::path skinFolder_;
    QTimer refresh_;
    QTimer scroll_;
    QPointer<QWidget> volumePopup_;
    QPointer<CEqualizerWindow> equalizer_;
    QString title_;
    int titleWidth_ = 0;    // pixels in the title's font
    int titleOffset_ = 0;   // characters scrolled off the left
    int bitrateKbps_ = -1;  // -1: none shown
    bool variableBitrate_ = false;
    bool playPressed_ = false;
    bool banner_ = false;
    int hover_ = -1;
    int pressed_ = -1;                // the control the mouse went down on
    std::optional<QPoint> dragFrom_;  // where the body was grabbed
    bool sliding_ = false;            // dragging the position slider
    // What the refresh timer last saw of the parts that change with time.
    struct TimerShown {
        bool blank = true;
        bool minus = false;
        bool lit = true;
        int32_t seconds = 0;
        int thumbLeft = 0;
        int32_t track = -1;
        int32_t volume = 0;
        bool operator==(const TimerShown&) const = default;
    };
    TimerShown timerShown_;
    std::unique_ptr<options::COptionDialog> options_;  // made at its first opening
};

}  // namespace ui
