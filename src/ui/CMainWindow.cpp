#include "ui/CMainWindow.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWindow>
#include <array>
#include <vector>

#include "app/Engine.h"
#include "app/PlayerDisplay.h"
#include "app/PlayerSettings.h"
#include "app/Settings.h"
#include "stream/CNxSSComponent.h"
#include "ui/DigitStrip.h"

namespace ui {
namespace {

constexpr SkinLayout kLayout = SkinLayout::Normal;
// The controls this window answers so far.
constexpr std::array kButtons = {kPower, kPrev, kPlay, kPause, kStop, kNext};

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

CMainWindow::CMainWindow(const std::filesystem::path& skinFolder, const app::Engine& engine,
                         app::PlayerSettings& settings)
    : QWidget(nullptr, Qt::FramelessWindowHint), settings_(settings) {
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
    connect(&refresh_, &QTimer::timeout, this, [this] { update(); });
    refresh_.start(kRefreshMs);
}

// The controller closes its chain first; queued calls die with the window.
CMainWindow::~CMainWindow() {
    player_.reset();
}

void CMainWindow::ShowTitle(const std::string& text, int32_t, const std::string& caption) {
    title_ = text;
    setWindowTitle(QString::fromStdString(caption));
    update();
}

void CMainWindow::ShowFormat(int32_t, const platform::WaveFormat&) {
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
    for (const int control : kButtons) {
        skin_.drawControl(painter, kLayout, control, stateOf(control),
                          control == kPlay && playPressed_);
    }
    const QPoint track = skin_.displayRect(DisplayItem::Track).topLeft();
    DrawDigits(painter, track.x(), track.y(), trackCounterValue(player_->CurrentIndex()), 3,
               skin_.image(FolderImage::FontA), false);
    drawTime(painter);
    drawTitle(painter);
}

// Down while held over it, focus while hovered, on for the Play button
// while playing, and Pause while paused.
char CMainWindow::stateOf(int control) const {
    if (control == pressed_ && control == hover_) {
        return 'D';
    }
    if ((control == kPlay && playPressed_) ||
        (control == kPause && player_->GetStatus() == CNxSSComponent::kPaused)) {
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
    const QString text =
        banner_ ? fromUtf8(app::display::kBlankBanner) : QString::fromStdString(title_);
    QFont font("Noto Sans CJK JP");
    font.setPixelSize(11);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(skin_.controlRect(kTitleWnd),
                     (banner_ ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter, text);
}

int CMainWindow::controlAt(QPoint point) const {
    for (const int control : kButtons) {
        if (skin_.controlRect(control).contains(point)) {
            return control;
        }
    }
    return -1;
}

void CMainWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    pressed_ = controlAt(event->position().toPoint());
    // The window manager moves the window where it can (Wayland allows no
    // other way); elsewhere the window follows the mouse itself.
    if (pressed_ < 0 && !(windowHandle() && windowHandle()->startSystemMove())) {
        dragFrom_ = event->position().toPoint();
    }
    update();
}

void CMainWindow::mouseMoveEvent(QMouseEvent* event) {
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
        default:
            break;
    }
    update();
}

}  // namespace ui
