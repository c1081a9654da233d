#include "ui/CMainWindow.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>
#include <QWindow>
#include <array>
#include <vector>

#include "app/Engine.h"
#include "app/PlayerDisplay.h"
#include "app/PlayerSettings.h"
#include "app/Settings.h"
#include "stream/CNxSSComponent.h"
#include "ui/DigitStrip.h"
#include "ui/VolumePopup.h"

namespace ui {
namespace {

constexpr SkinLayout kLayout = SkinLayout::Normal;
// The controls this window answers so far; the tray's (12-18) are not
// reachable in the normal layout.
constexpr std::array kButtons = {kPower,       kPrev,    kPlay,       kPause,    kStop,
                                 kNext,        kRepeat,  kShuffle,    kVolumeUp, kVolumeDn,
                                 kCounterMode, kCommand, kPlayPosWnd, kVolumeWnd};
// Drawn from the state images; the rest are areas.
constexpr std::array kDrawnButtons = {kPower,  kPrev,    kPlay,     kPause,    kStop,   kNext,
                                      kRepeat, kShuffle, kVolumeUp, kVolumeDn, kCommand};
constexpr int32_t kKeySeekMs = 5000;
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
    : QWidget(nullptr, Qt::FramelessWindowHint), settings_(settings), skinFolder_(skinFolder) {
    skin_.LoadPlayerSkin(skinFolder, kLayout);
    player_ = std::make_unique<app::CPlayController>([&engine] { return engine.makeManager(); },
                                                     settings, *this, random_, *this);
    setFixedSize(skin_.windowSize());
    // The mask shapes the window under X11; native Wayland shows the
    // translucent background around the clipped painting instead.
    setMask(skin_.windowRegion(kLayout));
    setAttribute(Qt::WA_TranslucentBackground);
    setMouseTracking(true);
    setWindowTitle(fromUtf8(app::display::kProductName));
    setFocusPolicy(Qt::StrongFocus);
    setAlwaysOnTop(settings_.read(app::settings::kAlwaysOnTop) != 0);
    connect(&refresh_, &QTimer::timeout, this, [this] {
        followPosition();
        update();
    });
    refresh_.start(kRefreshMs);
    connect(&scroll_, &QTimer::timeout, this, [this] { scrollTitle(); });
    scroll_.start(kScrollMs);
}

// The controller closes its chain first; queued calls die with the window.
CMainWindow::~CMainWindow() {
    player_.reset();
}

void CMainWindow::ShowTitle(const std::string& text, int32_t, const std::string& caption) {
    title_ = text;
    titleOffset_ = 0;
    setWindowTitle(QString::fromStdString(caption));
    update();
}

void CMainWindow::ShowFormat(int32_t, const platform::WaveFormat& format) {
    const uint32_t bytesPerSecond = format.avgBytesPerSec();
    bitrateKbps_ = bytesPerSecond > 0 ? static_cast<int>(int64_t{bytesPerSecond} * 8 / 1000) : -1;
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

void CMainWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setClipRegion(skin_.windowRegion(kLayout));
    skin_.stateImage(kLayout, 'U').Draw(painter, 0, 0);
    for (const int control : kDrawnButtons) {
        skin_.drawControl(painter, kLayout, control, stateOf(control),
                          control == kPlay && playPressed_);
    }
    const QPoint track = skin_.displayRect(DisplayItem::Track).topLeft();
    DrawDigits(painter, track.x(), track.y(), trackCounterValue(player_->CurrentIndex()), 3,
               skin_.image(FolderImage::FontA), false);
    drawTime(painter);
    drawTitle(painter);
    drawIndicators(painter);
    skin_.slider().draw(painter, skin_.image(FolderImage::PlayPos));
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
// where it holds eight, and "mm:ss" in smaller areas (our skins' five).
void CMainWindow::drawTime(QPainter& painter) const {
    const app::display::TimeDigits digits = app::display::timeDigits(
        settings_.read(app::settings::kCounterMode), player_->GetPosition(), player_->GetLength(),
        player_->GetStatus() == CNxSSComponent::kPaused, clock_.TickMs());
    const SkinImage& font = skin_.image(FolderImage::FontC);
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
    const QString text = banner_ ? fromUtf8(app::display::kBlankBanner)
                                 : QString::fromStdString(title_).mid(titleOffset_);
    painter.setFont(titleFont());
    painter.setPen(Qt::white);
    painter.drawText(skin_.controlRect(kTitleWnd),
                     (banner_ ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter, text);
}

// A title wider than its area moves one character a second and starts
// again once it has gone round.
void CMainWindow::scrollTitle() {
    const QString text = QString::fromStdString(title_);
    if (banner_ || text.isEmpty() ||
        QFontMetrics(titleFont()).horizontalAdvance(text) <= skin_.controlRect(kTitleWnd).width()) {
        titleOffset_ = 0;
        return;
    }
    titleOffset_ = (titleOffset_ + 1) % static_cast<int>(text.size());
    update();
}

// The volume bar, the repeat and shuffle marks, and the bitrate.
void CMainWindow::drawIndicators(QPainter& painter) const {
    const QRect volume = skin_.controlRect(kVolumeWnd);
    const int lit = volume.width() * player_->Volume() / app::CPlayController::kMaxVolume;
    skin_.volumeImage(kLayout).DrawPart(
        painter, QRect(volume.topLeft(), QSize(lit, volume.height())), volume.topLeft());
    const auto at = [this](DisplayItem item) { return skin_.displayRect(item).topLeft(); };
    drawStripCell(painter, skin_.image(FolderImage::Repeat), kRepeatCells, player_->RepeatMode(),
                  at(DisplayItem::RepeatMark));
    drawStripCell(painter, skin_.image(FolderImage::Shuffle), kOnOffCells,
                  player_->Shuffle() ? 1 : 0, at(DisplayItem::ShuffleMark));
    // The players' formats do not tell a variable bitrate apart.
    drawStripCell(painter, skin_.image(FolderImage::Vbr), kOnOffCells, 0, at(DisplayItem::VbrMark));
    if (bitrateKbps_ >= 0) {
        DrawDigits(painter, at(DisplayItem::Bitrate).x(), at(DisplayItem::Bitrate).y(),
                   std::min(bitrateKbps_, 999), 3, skin_.image(FolderImage::FontD), true);
        skin_.image(FolderImage::Kbps)
            .Draw(painter, at(DisplayItem::KbpsMark).x(), at(DisplayItem::KbpsMark).y());
    }
}

// The counter mode and the marks are areas of the display, which our
// skins give no control rectangles.
int CMainWindow::controlAt(QPoint point) const {
    for (const int control : kButtons) {
        if (skin_.controlRect(control).contains(point)) {
            return control;
        }
    }
    for (const auto& [item, control] : {std::pair{DisplayItem::Time, kCounterMode},
                                        std::pair{DisplayItem::RepeatMark, kRepeatMark},
                                        std::pair{DisplayItem::ShuffleMark, kShuffleMark}}) {
        if (skin_.displayRect(item).contains(point)) {
            return control;
        }
    }
    return -1;
}

void CMainWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        openMenu(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton) {
        return;
    }
    pressed_ = controlAt(event->position().toPoint());
    if (pressed_ == kPlayPosWnd) {
        pressed_ = -1;
        if (player_->GetStatus() == CNxSSComponent::kRunning) {
            sliding_ = true;
            seekToSlider(event->position().toPoint().x());
        }
        return;
    }
    // The window manager moves the window where it can (Wayland allows no
    // other way); elsewhere the window follows the mouse itself.
    if (pressed_ < 0 && !(windowHandle() && windowHandle()->startSystemMove())) {
        dragFrom_ = event->position().toPoint();
    }
    update();
}

void CMainWindow::mouseMoveEvent(QMouseEvent* event) {
    if (sliding_) {
        seekToSlider(event->position().toPoint().x());
        return;
    }
    if (dragFrom_) {
        move(event->globalPosition().toPoint() - *dragFrom_);
        return;
    }
    const int over = controlAt(event->position().toPoint());
    if (over != hover_) {
        hover_ = over;
        update();
    }
}

void CMainWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const int released = controlAt(event->position().toPoint());
    const int pressed = std::exchange(pressed_, -1);
    dragFrom_.reset();
    sliding_ = false;
    update();
    if (pressed >= 0 && pressed == released) {
        press(pressed);
    }
}

void CMainWindow::leaveEvent(QEvent*) {
    hover_ = -1;
    update();
}

// The tooltips of the controls table.
bool CMainWindow::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const int control = controlAt(help->pos());
        if (control >= 0) {
            QToolTip::showText(help->globalPos(), fromUtf8(kPlayerControls[control].tooltip), this,
                               skin_.controlRect(control));
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QWidget::event(event);
}

void CMainWindow::closeEvent(QCloseEvent* event) {
    if (closeGuard_ && !closeGuard_()) {
        event->ignore();
        return;
    }
    player_->Stop();
    event->accept();
}

// The controller shows its own failures.
void CMainWindow::press(int control) {
    switch (control) {
        case kPower:
            close();
            break;
        case kPrev:
            player_->PressPrevious();
            break;
        case kPlay:
            player_->Play();
            break;
        case kPause:
            player_->Pause();
            break;
        case kStop:
            player_->Stop();
            break;
        case kNext:
            player_->PressNext();
            break;
        case kRepeat:
        case kRepeatMark:
            player_->SetRepeat(-1);
            break;
        case kShuffle:
        case kShuffleMark:
            player_->SetShuffle(!player_->Shuffle());
            break;
        case kVolumeUp:
            player_->VolumeUp();
            break;
        case kVolumeDn:
            player_->VolumeDown();
            break;
        case kCounterMode:
            toggleCounterMode();
            break;
        case kCommand:
            openMenu(QCursor::pos());
            break;
        case kVolumeWnd:
            openVolumePopup();
            break;
        default:
            break;
    }
    update();
}

// The thumb follows the play position unless it is being dragged.
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
    settings_.write(app::settings::kCounterMode,
                    settings_.read(app::settings::kCounterMode) == 0 ? 1 : 0);
}

void CMainWindow::setAlwaysOnTop(bool on) {
    settings_.write(app::settings::kAlwaysOnTop, on ? 1 : 0);
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (shown) {
        show();  // changing the flags hides the window
    }
}

void CMainWindow::chooseSkin(std::string_view name) {
    const std::string said = selectSkin_(name);
    if (!said.empty()) {
        ShowMessage(0, said);
        return;
    }
    skinFolder_ = skinFolder_.parent_path().parent_path() / std::string(name) / "";
    skin_.LoadPlayerSkin(skinFolder_, kLayout);
    setFixedSize(skin_.windowSize());
    setMask(skin_.windowRegion(kLayout));
    update();
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

void CMainWindow::openMenu(QPoint global) {
    const std::unique_ptr<QMenu> menu = commandMenu();
    menu->exec(global);
}

void CMainWindow::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y();
    if (steps == 0 || !skin_.controlRect(kVolumeWnd).contains(event->position().toPoint())) {
        return;
    }
    steps > 0 ? player_->VolumeUp() : player_->VolumeDown();
    update();
}

// Keys on the window: arrows and the numeric pad, Alt with the transport
// letters, and the letters (or the kana on the same keys) alone.
void CMainWindow::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    const bool handled =
        pressKey(event->key(), event->modifiers()) ||
        (text.size() == 1 && !(event->modifiers() & (Qt::AltModifier | Qt::ControlModifier)) &&
         pressLetter(text.at(0).unicode()));
    if (handled) {
        event->accept();
        update();
    } else {
        QWidget::keyPressEvent(event);
    }
}

namespace {

// The keypad's digits as the keys they stand for: 7 9 8 2 the arrows, 0 4 5 6
// and . the transport letters of the Alt accelerators. Other keys stay.
int keypadEquivalent(int key) {
    switch (key) {
        case Qt::Key_7:
            return Qt::Key_Left;
        case Qt::Key_9:
            return Qt::Key_Right;
        case Qt::Key_8:
            return Qt::Key_Up;
        case Qt::Key_2:
            return Qt::Key_Down;
        case Qt::Key_0:
            return Qt::Key_V;
        case Qt::Key_4:
            return Qt::Key_Z;
        case Qt::Key_5:
            return Qt::Key_X;
        case Qt::Key_6:
            return Qt::Key_B;
        case Qt::Key_Period:
            return Qt::Key_C;
        default:
            return key;
    }
}

}  // namespace

bool CMainWindow::pressTransport(int letter) {
    switch (letter) {
        case Qt::Key_Z:
            player_->PressPrevious();
            return true;
        case Qt::Key_X:
            player_->Play();
            return true;
        case Qt::Key_C:
            player_->Pause();
            return true;
        case Qt::Key_V:
            player_->Stop();
            return true;
        case Qt::Key_B:
            player_->PressNext();
            return true;
        default:
            return false;
    }
}

bool CMainWindow::pressKey(int key, Qt::KeyboardModifiers modifiers) {
    if (modifiers & Qt::AltModifier) {
        if (pressTransport(key)) {
            return true;
        }
        switch (key) {
            case Qt::Key_F:
                openMenu(mapToGlobal(skin_.controlRect(kCommand).topLeft()));
                return true;
            case Qt::Key_F4:
                close();
                return true;
            default:
                return false;
        }
    }
    if (modifiers & Qt::KeypadModifier) {
        // 1 and 3 are taken without an action.
        key = keypadEquivalent(key);
        if (key == Qt::Key_1 || key == Qt::Key_3 || pressTransport(key)) {
            return true;
        }
    }
    switch (key) {
        case Qt::Key_Left:
            seekBy(-kKeySeekMs);
            return true;
        case Qt::Key_Right:
            seekBy(kKeySeekMs);
            return true;
        case Qt::Key_Up:
            player_->VolumeUp();
            return true;
        case Qt::Key_Down:
            player_->VolumeDown();
            return true;
        default:
            return false;
    }
}

// The kana mode gives the half-width katakana of the code page's bytes
// 0xA1-0xDF, which sit at U+FF61 onwards.
bool CMainWindow::pressLetter(char32_t letter) {
    constexpr auto kana = [](int byte) { return static_cast<char32_t>(0xFF61 + byte - 0xA1); };
    const char32_t upper = letter >= U'a' && letter <= U'z' ? letter - 32 : letter;
    if (upper == U'B' || upper == kana(0xBA)) {
        player_->PressNext();
    } else if (upper == U'C' || upper == kana(0xBF)) {
        player_->Pause();
    } else if (upper == U'R' || upper == kana(0xBD)) {
        player_->SetRepeat(-1);
    } else if (upper == U'S' || upper == kana(0xC4)) {
        player_->SetShuffle(!player_->Shuffle());
    } else if (upper == U'V' || upper == kana(0xCB)) {
        player_->Stop();
    } else if (upper == U'X' || upper == kana(0xBB)) {
        player_->Play();
    } else if (upper == U'Z' || upper == kana(0xC2)) {
        player_->PressPrevious();
    } else {
        return false;
    }
    return true;
}

}  // namespace ui
