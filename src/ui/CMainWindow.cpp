#include "ui/CMainWindow.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QMenu>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <utility>
#include <vector>

#include "app/DataFolder.h"
#include "app/Engine.h"
#include "app/PlayerDisplay.h"
#include "app/PlayerSettings.h"
#include "app/Settings.h"
#include "stream/CNxSSComponent.h"
#include "ui/DigitStrip.h"
#include "ui/HelpPages.h"
#include "ui/VolumePopup.h"
#include "ui/equalizer/CEqualizerWindow.h"
#include "ui/options/COptionDialog.h"

namespace ui {
namespace {

// Areas of the display and of the bars, drawn by the window itself; every
// other control is a button cut from the state images.
bool isArea(int control) {
    return (control >= kCounterMode && control <= kTitleWnd) || control == kPlayPosWnd ||
           control == kVolumeWnd || control >= kPlayerControlCount - 1;
}

constexpr int kScrollMs = 1000;
// Cells of the mark strips: repeat off, one, all; shuffle and VBR off, on.
constexpr int kRepeatCells = 3;
constexpr int kOnOffCells = 2;

QFont titleFont() {
    QFont font("Noto Sans CJK JP");
    font.setPixelSize(11);
    return font;
}

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

CMainWindow::CMainWindow(const std::filesystem::path& skinFolder, const app::Engine& engine,
                         app::PlayerSettings& settings)
    : QWidget(nullptr, Qt::FramelessWindowHint),
      engine_(engine),
      settings_(settings),
      counterMode_(settings.read(app::settings::kCounterMode)),
      skinFolder_(skinFolder) {
    loadLayoutSetting();
    player_ = std::make_unique<app::CPlayController>([&engine] { return engine.makeManager(); },
                                                     settings, *this, random_, *this);
    applyLayout();
    restorePlacement();
    setAttribute(Qt::WA_TranslucentBackground);
    setMouseTracking(true);
    setAcceptDrops(true);
    setWindowTitle(fromUtf8(app::display::kProductName));
    setFocusPolicy(Qt::StrongFocus);
    setAlwaysOnTop(settings_.read(app::settings::kAlwaysOnTop) != 0);
    connect(&refresh_, &QTimer::timeout, this, [this] { refreshDisplay(); });
    refresh_.start(kRefreshMs);
    connect(&scroll_, &QTimer::timeout, this, [this] { scrollTitle(); });
    scroll_.start(kScrollMs);
}

// The controller closes its chain first; queued calls die with the window.
CMainWindow::~CMainWindow() {
    delete equalizer_;  // its spectrum worker reads the player
    player_.reset();
}

void CMainWindow::ShowTitle(const std::string& text, int32_t, const std::string& caption) {
    title_ = QString::fromStdString(text);
    titleWidth_ = QFontMetrics(titleFont()).horizontalAdvance(title_);
    titleOffset_ = 0;
    setWindowTitle(QString::fromStdString(caption));
    update();
}

void CMainWindow::ShowFormat(int32_t, const platform::WaveFormat&, int32_t bitrateKbps,
                             bool variableBitrate) {
    bitrateKbps_ = bitrateKbps > 0 ? bitrateKbps : -1;
    variableBitrate_ = variableBitrate;
    update();
}

void CMainWindow::ShowPlayButton(bool pressed) {
    playPressed_ = pressed;
    update();
}

void CMainWindow::RedrawPlayButton() {
    update();
}

void CMainWindow::ShowBlankBanner(bool shown) {
    banner_ = shown;
    update();
}

void CMainWindow::ShowMessage(uint32_t, const std::string& text) {
    QMessageBox::warning(this, fromUtf8(app::display::kProductName), QString::fromStdString(text));
}

bool CMainWindow::post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message != app::CPlayController::kNotifyMessage) {
        return true;  // nothing else is posted to the window
    }
    return QMetaObject::invokeMethod(
        this, [this, wParam, lParam] { player_->OnMessage(wParam, lParam); }, Qt::QueuedConnection);
}

// Images are copied pixel for pixel: at a scale factor of 2 or 3 every
// pixel becomes a square, as the mask does.
void CMainWindow::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setClipRegion(skin_.windowRegion(layout_).intersected(event->region()));
    skin_.stateImage(layout_, 'U').Draw(painter, 0, 0);
    for (int control = 0; control < kPlayerControlCount; ++control) {
        if (!isArea(control) && hittable(control)) {
            skin_.drawControl(painter, layout_, control, stateOf(control),
                              control == kPlay && playPressed_);
        }
    }
    const bool mini = layout_ == SkinLayout::Mini;
    const QPoint track = skin_.displayRect(DisplayItem::Track).topLeft();
    DrawDigits(painter, track.x(), track.y(), trackCounterValue(player_->CurrentIndex()), 3,
               skin_.image(mini ? FolderImage::FontB : FolderImage::FontA), false);
    drawTime(painter);
    // Laying the title out costs more than all the images: only when seen.
    if (event->region().intersects(skin_.controlRect(kTitleWnd))) {
        drawTitle(painter);
    }
    drawIndicators(painter);
    if (!skin_.controlRect(kPlayPosWnd).isEmpty()) {
        skin_.slider().draw(painter, skin_.image(FolderImage::PlayPos));
    }
}

// Down while held over it, focus while hovered, on for the Play button
// while playing, and Pause while paused.
char CMainWindow::stateOf(int control) const {
    if (control == pressed_ && control == hover_) {
        return 'D';
    }
    if ((control == kPlay && playPressed_) ||
        (control == kPause && player_->GetStatus() == CNxSSComponent::kPaused) ||
        (control == kRepeat && player_->RepeatMode() != app::CPlayController::kRepeatOff) ||
        (control == kShuffle && player_->Shuffle())) {
        return 'S';
    }
    return control == hover_ ? 'F' : 'U';
}

// "-hh:mm:ss" where the skin's time area holds nine cells, without the sign
// where it holds eight, and "mm:ss" in smaller areas. Mini draws with the
// small strip.
app::display::TimeDigits CMainWindow::timeShown() const {
    return app::display::timeDigits(counterMode_, player_->GetPosition(), player_->GetLength(),
                                    player_->GetStatus() == CNxSSComponent::kPaused,
                                    clock_.TickMs());
}

void CMainWindow::drawTime(QPainter& painter) const {
    const app::display::TimeDigits digits = timeShown();
    const SkinImage& font =
        skin_.image(layout_ == SkinLayout::Mini ? FolderImage::FontB : FolderImage::FontC);
    const QRect area = skin_.displayRect(DisplayItem::Time);
    const int cellWidth = font.image().width() / kStripCells;
    const int cells = cellWidth > 0 ? area.width() / cellWidth : 0;
    const bool dark = digits.blank || !digits.lit;
    int x = area.left();
    if (cells >= 9) {
        x = drawStripCell(painter, font, kStripCells,
                          digits.minus && !dark ? kMinusCell : kBlankCell, area.topLeft());
    }
    std::vector<int> parts = {digits.minutes, digits.seconds};
    if (cells >= 8) {
        parts.insert(parts.begin(), digits.hours);
    }
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            x = drawStripCell(painter, font, kStripCells, kColonCell, QPoint(x, area.top()));
        }
        x = DrawDigits(painter, x, area.top(), dark ? -1 : parts[i], 2, font, false);
    }
}

void CMainWindow::drawTitle(QPainter& painter) const {
    const QString text = banner_ ? fromUtf8(app::display::kBlankBanner) : title_.mid(titleOffset_);
    painter.setFont(titleFont());
    painter.setPen(Qt::white);
    painter.drawText(skin_.controlRect(kTitleWnd),
                     (banner_ ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter, text);
}

// A title wider than its area moves one character a second and starts
// again once it has gone round (measured once, when it is set).
void CMainWindow::scrollTitle() {
    const QRect area = skin_.controlRect(kTitleWnd);
    if (banner_ || title_.isEmpty() || titleWidth_ <= area.width()) {
        titleOffset_ = 0;
        return;
    }
    titleOffset_ = (titleOffset_ + 1) % static_cast<int>(title_.size());
    update(area);
}

// The volume bar, the repeat and shuffle marks (their small strips in
// mini), and the bitrate; a mark the layout has no place for is left out.
void CMainWindow::drawIndicators(QPainter& painter) const {
    const QRect volume = skin_.controlRect(kVolumeWnd);
    const int lit = volume.width() * player_->Volume() / app::CPlayController::kMaxVolume;
    skin_.volumeImage(layout_).DrawPart(
        painter, QRect(volume.topLeft(), QSize(lit, volume.height())), volume.topLeft());
    const auto mark = [this, &painter](DisplayItem item, FolderImage image, int cells, int cell) {
        const QRect& at = skin_.displayRect(item);
        if (!at.isEmpty()) {
            drawStripCell(painter, skin_.image(image), cells, cell, at.topLeft());
        }
    };
    const bool mini = layout_ == SkinLayout::Mini;
    mark(DisplayItem::RepeatMark, mini ? FolderImage::RepeatM : FolderImage::Repeat, kRepeatCells,
         player_->RepeatMode());
    mark(DisplayItem::ShuffleMark, mini ? FolderImage::ShuffleM : FolderImage::Shuffle, kOnOffCells,
         player_->Shuffle() ? 1 : 0);
    mark(DisplayItem::VbrMark, FolderImage::Vbr, kOnOffCells, variableBitrate_ ? 1 : 0);
    // As many digits as the skin's area holds: PCM's 1411 kbit/s needs four.
    const QRect& bitrate = skin_.displayRect(DisplayItem::Bitrate);
    const SkinImage& digits = skin_.image(FolderImage::FontD);
    const int cellWidth = digits.image().width() / kStripCells;
    const int cells = cellWidth > 0 ? std::min(bitrate.width() / cellWidth, 9) : 0;
    if (bitrateKbps_ >= 0 && cells > 0) {
        int largest = 1;
        for (int i = 0; i < cells; ++i) {
            largest *= 10;
        }
        DrawDigits(painter, bitrate.x(), bitrate.y(), std::min(bitrateKbps_, largest - 1), cells,
                   digits, true);
        const QPoint kbps = skin_.displayRect(DisplayItem::KbpsMark).topLeft();
        skin_.image(FolderImage::Kbps).Draw(painter, kbps.x(), kbps.y());
    }
}

void CMainWindow::closeEvent(QCloseEvent* event) {
    if (closeGuard_ && !closeGuard_()) {
        event->ignore();
        return;
    }
    player_->Stop();
    event->accept();
}

// The thumb follows the play position unless it is being dragged.
// The timer's parts of the display, drawn again only when they change:
// repainting ten times a second for a clock that moves once costs more CPU
// than playing the music.
void CMainWindow::refreshDisplay() {
    followPosition();
    const app::display::TimeDigits time = timeShown();
    const TimerShown now{time.blank,
                         time.minus,
                         time.lit,
                         time.hours * 3600 + time.minutes * 60 + time.seconds,
                         skin_.slider().thumbRect().left(),
                         player_->CurrentIndex(),
                         player_->Volume()};
    const TimerShown before = std::exchange(timerShown_, now);
    if (now.thumbLeft != before.thumbLeft) {
        // Where the thumb was and where it is: the rest of the track is as drawn.
        const QRect thumb = skin_.slider().thumbRect();
        update(thumb.united(thumb.translated(before.thumbLeft - now.thumbLeft, 0))
                   .intersected(skin_.controlRect(kPlayPosWnd)));
    }
    if (now.volume != before.volume) {
        update(skin_.controlRect(kVolumeWnd));
    }
    TimerShown display = now;
    display.thumbLeft = before.thumbLeft;
    display.volume = before.volume;
    if (display != before) {
        update(skin_.controlRect(kPlayInfoWnd));
    }
}

void CMainWindow::followPosition() {
    const int32_t length = player_->GetLength();
    if (length > 0 && !sliding_) {
        skin_.slider().setPosition(
            static_cast<int>(int64_t{player_->GetPosition()} * PositionSlider::kRange / length));
    }
}

void CMainWindow::seekToSlider(int x) {
    PositionSlider& slider = skin_.slider();
    slider.setPosition(slider.positionAt(x));
    player_->Seek(static_cast<int32_t>(int64_t{player_->GetLength()} * slider.position() /
                                       PositionSlider::kRange));
    update();
}

void CMainWindow::seekBy(int32_t ms) {
    const int32_t position = player_->GetPosition();
    const int32_t length = player_->GetLength();
    if (ms < 0) {
        player_->Seek(position < -ms ? 0 : position + ms);
    } else {
        player_->Seek(position + ms >= length ? length : position + ms);
    }
}

void CMainWindow::toggleCounterMode() {
    setCounterMode(counterMode_ == 0 ? 1 : 0);
}

void CMainWindow::setCounterMode(int32_t mode) {
    counterMode_ = mode;
    settings_.write(app::settings::kCounterMode, mode);
}

void CMainWindow::setAlwaysOnTop(bool on) {
    settings_.write(app::settings::kAlwaysOnTop, on ? 1 : 0);
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (shown) {
        show();  // changing the flags hides the window
    }
    if (equalizer_) {
        equalizer_->setWindowFlag(Qt::WindowStaysOnTopHint, on);
        equalizer_->show();
    }
}

// Beside the bar: its top-left corner 2 pixels right of the bar's right
// edge and 2 pixels above its top.
void CMainWindow::openVolumePopup() {
    auto* popup = new VolumePopup(this, player_->Volume(), [this](int volume) {
        player_->SetVolume(volume);
        update();
    });  // deletes itself on close
    const QRect bar = skin_.controlRect(kVolumeWnd);
    popup->move(mapToGlobal(QPoint(bar.right() + 1 + 2, bar.top() - 2)));
    popup->show();
    volumePopup_ = popup;
}

void CMainWindow::openHelpPage() {
    ui::openHelp(app::dataFolder(), openPage_);
}

void CMainWindow::openHomePage() {
    const app::SettingsStore store;
    ui::openHomePage(store, openPage_);
}

void CMainWindow::openMenu(QPoint global) {
    const std::unique_ptr<QMenu> menu = commandMenu();
    menu->exec(global);
}

}  // namespace ui
