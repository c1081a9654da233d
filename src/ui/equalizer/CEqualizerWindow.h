#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "ui/equalizer/EqualizerAttach.h"
#include "ui/equalizer/EqualizerSkin.h"
#include "ui/equalizer/SpectrumWorker.h"

namespace app {
class PlayerSettings;
}

class QMenu;

namespace ui {

class EqualizerPlayer;

// The equalizer window ("Zorez"): ten band sliders, the gain slider, the
// on/off switch and the presets, handed to the player as they change, and
// the spectrum meter, which its worker moves and this window paints. It
// reads its settings when made and writes them when destroyed; docked, it
// follows the main window.
class CEqualizerWindow : public QWidget {
  public:
    static constexpr int kSliderRange = 10;  // positions -10..+10
    static constexpr int kGainScale = 5;     // the player's gain per position
    static constexpr size_t kMeterBands = 16;

    // `player` may be null: then the controls change only this window.
    CEqualizerWindow(const std::filesystem::path& skinFolder, app::PlayerSettings& settings,
                     std::unique_ptr<EqualizerPlayer> player, QWidget* mainWindow);
    ~CEqualizerWindow() override;

    void choosePreset(int index);
    void toggleBypass();
    // Slider 0-9 a band, EqualizerSkin::kGainSlider the gain.
    void moveSlider(int slider, int position);
    // The preset list as the preset button opens it.
    std::unique_ptr<QMenu> presetMenu();

    const EqualizerSkin& skin() const { return skin_; }
    const std::array<double, EqualizerSkin::kBands>& levels() const { return levels_; }
    int sliderPosition(int slider) const { return sliders_[static_cast<size_t>(slider)]; }
    int preset() const { return preset_; }
    bool bypassed() const { return bypass_; }
    EqualizerAttach attach() const { return attach_; }
    SpectrumMeterStates meterStates() const { return meter_; }

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    enum class Button { None, Close, Bypass, PresetList };

    void readSettings();
    void writeSettings();
    void handOver();
    void restorePlacement();
    void follow();
    void dropped();
    QRect thumbRect(int slider) const;
    int positionAt(int slider, int y) const;
    int sliderAt(QPoint point) const;
    Button buttonAt(QPoint point) const;
    static QString tipFor(Button button);
    void pressButton(Button button);
    void showMeter(SpectrumMeterStates states, const std::vector<size_t>& changed);
    void drawFrame(std::span<const QRect> spans);
    void drawSkinAndMeter(QPainter& painter, const QRect& area) const;
    bool controlsMeet(const QRect& area) const;
    void drawButtons(QPainter& painter) const;
    void drawSliders(QPainter& painter, const QRect& area) const;
    void drawMeter(QPainter& painter, const QRect& area) const;
    void drawPresetName(QPainter& painter) const;

    app::PlayerSettings& settings_;
    std::unique_ptr<EqualizerPlayer> player_;
    QPointer<QWidget> main_;
    EqualizerSkin skin_;
    EqualizerAttach attach_ = EqualizerAttach::Below;
    std::array<double, EqualizerSkin::kBands> levels_{};
    std::array<int, EqualizerSkin::kBands + 1> sliders_{};
    int preset_ = 0;
    bool bypass_ = true;
    SpectrumMeterStates meter_;
    Button pressed_ = Button::None;
    int sliding_ = -1;                        // the slider being dragged
    std::optional<QPoint> dragFrom_;          // where the body was grabbed
    std::unique_ptr<SpectrumWorker> worker_;  // last: stops before the rest goes
};

}  // namespace ui
