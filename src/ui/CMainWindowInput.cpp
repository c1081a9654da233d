// The player window's mouse and keyboard input.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QToolTip>
#include <QWheelEvent>

#include "stream/CNxSSComponent.h"
#include "ui/CMainWindow.h"

namespace ui {

namespace {

constexpr int32_t kKeySeekMs = 5000;

QString tooltipText(int control) {
    const std::string_view text = kPlayerControls[control].tooltip;
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::vector<std::string> localPaths(const QMimeData* data) {
    std::vector<std::string> paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            paths.push_back(url.toLocalFile().toStdString());
        }
    }
    return paths;
}

}  // namespace

void CMainWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        openMenu(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint at = event->position().toPoint();
    pressed_ = controlAt(at);
    if (pressed_ == kPlayInfoWnd || pressed_ == kTitleWnd) {
        pressed_ = -1;  // the display areas take the press without an action
        return;
    }
    if (pressed_ == kPlayPosWnd) {
        pressed_ = -1;
        if (player_->GetStatus() == CNxSSComponent::kRunning) {
            sliding_ = true;
            seekToSlider(at.x());
        }
        return;
    }
    if (pressed_ < 0) {
        dragFrom_ = at;
    }
    update();
}

void CMainWindow::mouseMoveEvent(QMouseEvent* event) {
    if (sliding_) {
        seekToSlider(event->position().toPoint().x());
        return;
    }
    if (dragFrom_) {
        // Only a real move starts a drag, so a double click still reaches
        // the window.
        if (event->position().toPoint() != *dragFrom_ &&
            !dragTo(event->globalPosition().toPoint() - *dragFrom_)) {
            dragFrom_.reset();
        }
        return;
    }
    const int over = controlAt(event->position().toPoint());
    // The slider can be grabbed only while playing; the volume bar opens its
    // pop-up.
    if (over == kPlayPosWnd && player_->GetStatus() == CNxSSComponent::kRunning) {
        setCursor(Qt::SizeHorCursor);
    } else if (over == kVolumeWnd) {
        setCursor(Qt::PointingHandCursor);
    } else {
        unsetCursor();
    }
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

// Outside every control a double click toggles mini; on a control it is
// another press.
void CMainWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && controlAt(event->position().toPoint()) < 0) {
        dragFrom_.reset();
        toggleMini();
        return;
    }
    mousePressEvent(event);
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
            QToolTip::showText(help->globalPos(), tooltipText(control), this,
                               skin_.controlRect(control));
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QWidget::event(event);
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
        case kWideMode:
            setLayout(layout_ == SkinLayout::Wide ? SkinLayout::Normal : SkinLayout::Wide);
            break;
        case kVolumeUp:
        case kVolumeUpW:
            player_->VolumeUp();
            break;
        case kVolumeDn:
        case kVolumeDnW:
            player_->VolumeDown();
            break;
        case kHelp:
            openHelpPage();
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
        case kSizeBtn:
            toggleMini();
            break;
        case kLogoMark:
            openHomePage();
            break;
        case kZorez:
            toggleEqualizer();
            break;
        case kOption:
            openOptions();
            break;
        case kPlayList:
            if (toggleListPanel_) {
                toggleListPanel_();
            }
            break;
        case kRecList:
            if (toggleRecordPanel_) {
                toggleRecordPanel_();
            }
            break;
        case kRecord:
            if (startRecording_) {
                startRecording_();
            }
            break;
        default:
            // Controls without a command of their own.
            break;
    }
    update();
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
            case Qt::Key_R:
                if (startRecording_) {
                    startRecording_();
                }
                return true;
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
    if (key == Qt::Key_4 && (modifiers & Qt::ControlModifier)) {
        toggleEqualizer();
        return true;
    }
    if (key == Qt::Key_F1) {
        openHelpPage();
        return true;
    }
    if (key == Qt::Key_9 && (modifiers & Qt::ControlModifier)) {
        openOptions();
        return true;
    }
    if ((modifiers & Qt::ControlModifier) && key == Qt::Key_2 && toggleListPanel_) {
        toggleListPanel_();
        return true;
    }
    if ((modifiers & Qt::ControlModifier) && key == Qt::Key_3 && toggleRecordPanel_) {
        toggleRecordPanel_();
        return true;
    }
    if ((modifiers & Qt::ControlModifier) && key == Qt::Key_1) {
        activateWindow();
        setFocus();
        return true;
    }
    if ((modifiers & Qt::ControlModifier) && key == Qt::Key_Tab && focusPanel_) {
        focusPanel_();
        return true;
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

// Files and folders from a file manager, handed over as a second start's.
void CMainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (dropped_ && !localPaths(event->mimeData()).empty()) {
        event->acceptProposedAction();
    }
}

void CMainWindow::dropEvent(QDropEvent* event) {
    std::vector<std::string> paths = localPaths(event->mimeData());
    if (!dropped_ || paths.empty()) {
        return;
    }
    event->acceptProposedAction();
    dropped_(std::move(paths), event->modifiers().testFlag(Qt::ControlModifier));
}

}  // namespace ui
