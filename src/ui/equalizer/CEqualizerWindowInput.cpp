// The equalizer window's painting and mouse handling.
#include <QBackingStore>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>
#include <QWindow>

#include <algorithm>
#include <array>

#include "ui/equalizer/CEqualizerWindow.h"
#include "ui/equalizer/EqualizerPresets.h"

namespace ui {

namespace {

constexpr int kDockPixels = 16;

QFont presetFont() {
    QFont font("Noto Sans CJK JP");
    font.setPixelSize(11);
    return font;
}

}  // namespace

// Position +10 at the top of the track, -10 at the bottom.
QRect CEqualizerWindow::thumbRect(int slider) const {
    const QRect track = skin_.Track(slider);
    const QSize thumb = skin_.Thumb(slider).size();
    if (track.isEmpty() || thumb.isEmpty()) {
        return {};
    }
    const int travel = track.height() - thumb.height();
    const int steps = kSliderRange - sliders_[static_cast<size_t>(slider)];
    return QRect(QPoint(track.left() + (track.width() - thumb.width()) / 2,
                        track.top() + steps * travel / (2 * kSliderRange)),
                 thumb);
}

int CEqualizerWindow::positionAt(int slider, int y) const {
    const QRect track = skin_.Track(slider);
    const int thumb = skin_.Thumb(slider).height();
    const int travel = std::max(1, track.height() - thumb);
    const int offset = y - track.top() - thumb / 2;
    const int steps = (offset * 2 * kSliderRange + travel / 2) / travel;
    return kSliderRange - std::clamp(steps, 0, 2 * kSliderRange);
}

int CEqualizerWindow::sliderAt(QPoint point) const {
    for (int s = 0; s <= EqualizerSkin::kGainSlider; ++s) {
        if (skin_.Track(s).contains(point)) {
            return s;
        }
    }
    return -1;
}

CEqualizerWindow::Button CEqualizerWindow::buttonAt(QPoint point) const {
    const SkinDress& dress = skin_.Dress();
    if (dress.close.contains(point)) {
        return Button::Close;
    }
    if (dress.bypass.contains(point)) {
        return Button::Bypass;
    }
    return dress.presetList.contains(point) ? Button::PresetList : Button::None;
}

QString CEqualizerWindow::tipFor(Button button) {
    switch (button) {
        case Button::Close:
            return QString::fromUtf8("閉じる (Alt+F4)");
        case Button::Bypass:
            return QString::fromUtf8("グライコ On/Off");
        case Button::PresetList:
            return QString::fromUtf8("プリセット");
        case Button::None:
            break;
    }
    return {};
}

bool CEqualizerWindow::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) {
        return QWidget::event(event);
    }
    const auto* help = static_cast<const QHelpEvent*>(event);
    const QString tip = tipFor(buttonAt(help->pos()));
    if (tip.isEmpty()) {
        return QWidget::event(event);  // no tip of its own: ignored
    }
    QToolTip::showText(help->globalPos(), tip, this);
    return true;
}

// Drawn without a frame, like the main window, it closes on Alt+F4 itself.
void CEqualizerWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F4 && event->modifiers() == Qt::AltModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CEqualizerWindow::pressButton(Button button) {
    switch (button) {
        case Button::Close:
            close();
            break;
        case Button::Bypass:
            toggleBypass();
            break;
        case Button::PresetList: {
            const std::unique_ptr<QMenu> menu = presetMenu();
            menu->exec(mapToGlobal(skin_.Dress().presetText.bottomLeft()));
            break;
        }
        case Button::None:
            break;
    }
}

void CEqualizerWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint at = event->position().toPoint();
    pressed_ = buttonAt(at);
    if (pressed_ != Button::None) {
        update(skin_.Dress().close.united(skin_.Dress().bypass).united(skin_.Dress().presetList));
        return;
    }
    sliding_ = sliderAt(at);
    if (sliding_ >= 0) {
        moveSlider(sliding_, positionAt(sliding_, at.y()));
        return;
    }
    dragFrom_ = event->globalPosition().toPoint() - pos();
}

void CEqualizerWindow::mouseMoveEvent(QMouseEvent* event) {
    if (sliding_ >= 0) {
        moveSlider(sliding_, positionAt(sliding_, event->position().toPoint().y()));
    } else if (dragFrom_) {
        move(event->globalPosition().toPoint() - *dragFrom_);
    }
}

void CEqualizerWindow::mouseReleaseEvent(QMouseEvent* event) {
    const Button pressed = std::exchange(pressed_, Button::None);
    sliding_ = -1;
    if (std::exchange(dragFrom_, std::nullopt)) {
        dropped();
    }
    if (pressed != Button::None) {
        update();
        if (buttonAt(event->position().toPoint()) == pressed) {
            pressButton(pressed);
        }
    }
}

// A window dropped by the main window's top or bottom edge docks there.
void CEqualizerWindow::dropped() {
    if (main_) {
        attach_ = attachForDrop(geometry(), main_->geometry(), kDockPixels);
        follow();
    }
}

// The meter repaints 25 times a second: the skin and the segments are drawn
// rectangle by rectangle of the asked-for region (a blit over the region's
// bounds would cover the whole meter), and the preset name only when in it.
void CEqualizerWindow::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    for (const QRect& area : event->region()) {
        drawSkinAndMeter(painter, area);
    }
    const QRect area = event->rect();
    drawButtons(painter);
    if (area.intersects(skin_.Dress().presetText)) {
        drawPresetName(painter);
    }
    drawSliders(painter, area);
}

void CEqualizerWindow::drawSkinAndMeter(QPainter& painter, const QRect& area) const {
    skin_.Up().DrawPart(painter, area, area.topLeft() + skin_.Window().topLeft());
    drawMeter(painter, area);
}

// Whether a button, the preset name or a slider's thumb lies in `area`.
bool CEqualizerWindow::controlsMeet(const QRect& area) const {
    const SkinDress& dress = skin_.Dress();
    for (const QRect& control : {dress.close, dress.bypass, dress.presetList, dress.presetText}) {
        if (area.intersects(control)) {
            return true;
        }
    }
    for (int s = 0; s <= EqualizerSkin::kGainSlider; ++s) {
        if (area.intersects(thumbRect(s))) {
            return true;
        }
    }
    return false;
}

void CEqualizerWindow::drawButtons(QPainter& painter) const {
    const SkinDress& dress = skin_.Dress();
    if (!bypass_) {
        skin_.On().DrawPart(painter, dress.bypass, dress.bypass.topLeft());
    }
    const QRect pressed = pressed_ == Button::Close        ? dress.close
                          : pressed_ == Button::Bypass     ? dress.bypass
                          : pressed_ == Button::PresetList ? dress.presetList
                                                           : QRect();
    if (!pressed.isEmpty()) {
        skin_.Down().DrawPart(painter, pressed, pressed.topLeft());
    }
}

void CEqualizerWindow::drawPresetName(QPainter& painter) const {
    const QRect area = skin_.Dress().presetText;
    if (area.isEmpty()) {
        return;
    }
    const std::string_view name = kEqualizerPresets[static_cast<size_t>(preset_)].name;
    painter.setFont(presetFont());
    painter.setPen(Qt::white);
    painter.drawText(area.adjusted(3, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
}

void CEqualizerWindow::drawSliders(QPainter& painter, const QRect& area) const {
    for (int s = 0; s <= EqualizerSkin::kGainSlider; ++s) {
        const QRect thumb = thumbRect(s);
        if (thumb.intersects(area)) {
            skin_.Up().DrawTransparent(painter, skin_.Thumb(s), thumb.topLeft());
        }
    }
}

void CEqualizerWindow::drawMeter(QPainter& painter, const QRect& area) const {
    const auto& colours = skin_.MeterColours();
    const size_t bands = std::min(skin_.MeterBands(), kMeterBands);
    for (size_t b = 0; b < bands; ++b) {
        for (int s = 0; s < dsp::SpectrumMeter::kSegments; ++s) {
            const QRect segment = skin_.Segment(b, s);
            if (!segment.intersects(area)) {
                continue;
            }
            const auto state = meter_[b * dsp::SpectrumMeter::kSegments + static_cast<size_t>(s)];
            const size_t colour = state == dsp::SpectrumMeter::Segment::kLit   ? 0
                                  : state == dsp::SpectrumMeter::Segment::kTop ? 1
                                                                               : 2;
            painter.fillRect(segment, colours[colour]);
        }
    }
}

// Per band, only the span of its segments that changed is repainted: the
// window system gets one small piece a moving bar, not one a segment, nor
// every pixel of the meter 25 times a second.
void CEqualizerWindow::showMeter(SpectrumMeterStates states, const std::vector<size_t>& changed) {
    meter_ = std::move(states);
    std::array<QRect, kMeterBands> spans;
    for (const size_t at : changed) {
        const size_t band = at / dsp::SpectrumMeter::kSegments;
        if (band < spans.size()) {
            spans[band] |=
                skin_.Segment(band, static_cast<int>(at % dsp::SpectrumMeter::kSegments));
        }
    }
    const auto end = std::remove_if(spans.begin(), spans.end(),
                                    [](const QRect& span) { return span.isEmpty(); });
    drawFrame(std::span<const QRect>(spans.begin(), end));
}

// A frame goes straight into the window's backing store and out to the
// window system, without a trip through the event loop and the widget
// repaint machinery, 25 times a second. Until the window is on screen with
// its store in place, or where a skin puts a control over the meter, the
// usual repaint does.
void CEqualizerWindow::drawFrame(std::span<const QRect> spans) {
    // United, not set: a region's rectangles must lie in bands sorted top
    // to bottom, which the spans of uneven bars do not.
    QRegion area;
    for (const QRect& span : spans) {
        area |= span;
    }
    QBackingStore* store = backingStore();
    QWindow* window = windowHandle();
    if (area.isEmpty() || !store || !window || !window->isExposed() || store->size() != size() ||
        controlsMeet(area.boundingRect())) {
        update(area);
        return;
    }
    store->beginPaint(area);
    {
        QPainter painter(store->paintDevice());
        for (const QRect& span : spans) {
            drawSkinAndMeter(painter, span);
        }
    }
    store->endPaint();
    store->flush(area, window);
}

}  // namespace ui
