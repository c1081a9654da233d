#include "ui/equalizer/CEqualizerWindow.h"

#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "app/EqualizerLevels.h"
#include "app/PlayerSettings.h"
#include "app/Settings.h"
#include "app/WindowPlacement.h"
#include "ui/ScreenPlacement.h"
#include "ui/equalizer/EqualizerPlayer.h"
#include "ui/equalizer/EqualizerPresets.h"

namespace ui {

namespace {

int clampSlider(double value) {
    return std::clamp(static_cast<int>(value), -CEqualizerWindow::kSliderRange,
                      CEqualizerWindow::kSliderRange);
}

QList<QRect> workAreas() {
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens()) {
        areas.push_back(screen->availableGeometry());
    }
    return areas;
}

}  // namespace

CEqualizerWindow::CEqualizerWindow(const std::filesystem::path& skinFolder,
                                   app::PlayerSettings& settings,
                                   std::unique_ptr<EqualizerPlayer> player, QWidget* mainWindow)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint),
      settings_(settings),
      player_(std::move(player)),
      main_(mainWindow),
      meter_(kMeterBands * dsp::SpectrumMeter::kSegments) {
    setObjectName("Zorez");
    setWindowTitle(QString::fromUtf8("スペアナ"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_OpaquePaintEvent);    // the skin covers it: no background fill first
    setAttribute(Qt::WA_QuitOnClose, false);  // the main window is the program
    skin_.Load(skinFolder);
    const QRect area = skin_.Window();
    setFixedSize(area.size());
    SkinImage region;
    region.setImage(skin_.Up().image().copy(area));
    region.SetMaskColor(0xFFFF00FFu);
    if (!region.isNull()) {
        setMask(region.BuildRegion());
    }
    readSettings();
    restorePlacement();
    handOver();
    if (main_) {
        main_->installEventFilter(this);
    }
    if (player_) {
        worker_ = std::make_unique<SpectrumWorker>(
            *player_, kMeterBands, [this](SpectrumMeterStates states, std::vector<size_t> changed) {
                QMetaObject::invokeMethod(
                    this,
                    [this, states = std::move(states), changed = std::move(changed)] {
                        showMeter(states, changed);
                    },
                    Qt::QueuedConnection);
            });
    }
}

CEqualizerWindow::~CEqualizerWindow() {
    worker_.reset();
    writeSettings();
}

// Bypass is restored as stored, so the sound stays as the user left it;
// never stored, the equalizer starts off, and the sound exact.
void CEqualizerWindow::readSettings() {
    constexpr app::settings::Int kBypassedUnlessStored{app::settings::kEqualizerBypass.section,
                                                       app::settings::kEqualizerBypass.name, 1};
    attach_ = attachFromSetting(settings_.read(app::settings::kEqualizerAttach));
    const auto stored = app::EqualizerLevels::parse(settings_.read(app::settings::kEqualizerLevel));
    for (size_t b = 0; b < levels_.size(); ++b) {
        levels_[b] = stored ? stored->levels[b] : 0;
        sliders_[b] = clampSlider(levels_[b]);
    }
    sliders_[EqualizerSkin::kGainSlider] =
        clampSlider(settings_.read(app::settings::kEqualizerGain));
    preset_ = std::clamp(settings_.read(app::settings::kEqualizerPreset), 0,
                         static_cast<int>(kEqualizerPresets.size()) - 1);
    bypass_ = settings_.read(kBypassedUnlessStored) != 0;
}

void CEqualizerWindow::writeSettings() {
    app::EqualizerLevels stored;
    std::transform(levels_.begin(), levels_.end(), stored.levels.begin(),
                   [](double level) { return static_cast<int32_t>(level); });
    settings_.write(app::settings::kEqualizerLevel, stored.format());
    settings_.write(app::settings::kEqualizerGain, sliders_[EqualizerSkin::kGainSlider]);
    settings_.write(app::settings::kEqualizerPreset, preset_);
    settings_.write(app::settings::kEqualizerBypass, bypass_ ? 1 : 0);
    settings_.write(app::settings::kEqualizerAttach, static_cast<int>(attach_));
    app::WindowPlacement placement;
    placement.showCommand =
        isVisible() ? app::WindowPlacement::kShown : app::WindowPlacement::kHidden;
    placement.left = x();
    placement.top = y();
    placement.right = x() + width();
    placement.bottom = y() + height();
    settings_.write(app::settings::kEqualizerPosition, placement.format());
}

void CEqualizerWindow::handOver() {
    if (!player_) {
        return;
    }
    player_->SetGain(sliders_[EqualizerSkin::kGainSlider] * kGainScale);
    player_->SetBypass(bypass_);
    player_->SetLevels(levels_);
}

void CEqualizerWindow::choosePreset(int index) {
    if (index < 0 || index >= static_cast<int>(kEqualizerPresets.size())) {
        return;
    }
    preset_ = index;
    const auto& levels = kEqualizerPresets[static_cast<size_t>(index)].levels;
    for (size_t b = 0; b < levels_.size(); ++b) {
        levels_[b] = levels[b];
        sliders_[b] = clampSlider(levels[b]);
    }
    if (player_) {
        player_->SetBypass(bypass_);
        if (!bypass_) {
            player_->SetLevels(levels_);
        }
    }
    update();
}

void CEqualizerWindow::toggleBypass() {
    bypass_ = !bypass_;
    if (player_) {
        player_->SetBypass(bypass_);
    }
    update(skin_.Dress().bypass);
}

void CEqualizerWindow::moveSlider(int slider, int position) {
    if (slider < 0 || slider > EqualizerSkin::kGainSlider) {
        return;
    }
    position = clampSlider(position);
    const auto at = static_cast<size_t>(slider);
    const bool moved = sliders_[at] != position;
    update(thumbRect(slider));
    sliders_[at] = position;
    update(thumbRect(slider));
    if (slider == EqualizerSkin::kGainSlider) {
        if (moved && player_) {
            player_->SetGain(position * kGainScale);
        }
        return;
    }
    levels_[at] = position;
    if (moved && player_) {
        player_->SetLevels(levels_);
    }
}

std::unique_ptr<QMenu> CEqualizerWindow::presetMenu() {
    auto menu = std::make_unique<QMenu>(this);
    for (size_t i = 0; i < kEqualizerPresets.size(); ++i) {
        const std::string_view name = kEqualizerPresets[i].name;
        QAction* action =
            menu->addAction(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
        action->setCheckable(true);
        action->setChecked(static_cast<int>(i) == preset_);
        connect(action, &QAction::triggered, this,
                [this, i] { choosePreset(static_cast<int>(i)); });
    }
    return menu;
}

// Docked, the window sits by the main window; free, it goes where it was
// stored, pulled onto the screens of today, keeping its size.
void CEqualizerWindow::restorePlacement() {
    if (main_ && attach_ != EqualizerAttach::Free) {
        follow();
        return;
    }
    const auto placement =
        app::WindowPlacement::parse(settings_.read(app::settings::kEqualizerPosition));
    const QList<QRect> areas = workAreas();
    if (!placement || areas.isEmpty()) {
        return;
    }
    const QRect saved(QPoint(placement->left, placement->top), size());
    move(PullInside(saved, AreaFor(saved, areas)).topLeft());
}

void CEqualizerWindow::follow() {
    if (!main_) {
        return;
    }
    if (const auto at = attachedPosition(attach_, main_->geometry(), size())) {
        move(*at);
    }
}

bool CEqualizerWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == main_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        follow();
    }
    return QWidget::eventFilter(watched, event);
}

void CEqualizerWindow::showEvent(QShowEvent* event) {
    if (worker_) {
        worker_->SetActive(true);
    }
    QWidget::showEvent(event);
}

void CEqualizerWindow::hideEvent(QHideEvent* event) {
    if (worker_) {
        worker_->SetActive(false);
    }
    QWidget::hideEvent(event);
}

}  // namespace ui
