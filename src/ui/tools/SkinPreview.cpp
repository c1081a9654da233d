// melodux_skin_preview SKIN_ROOT OUT_DIR
// Draws each skin under SKIN_ROOT in each layout the way the player window
// will (controls in several states, numbers, marks, a title, the sliders)
// over a grey desktop, to OUT_DIR/<skin>-<layout>.png, to look at a skin
// without the program.

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <cstdio>

#include "ui/CSkin.h"
#include "ui/DigitStrip.h"

namespace {

using ui::SkinLayout;

// The player as the main window will draw it: the up image, some controls
// in other states, the numbers, marks, title, slider and volume.
QImage compose(const ui::CSkin& skin, SkinLayout layout) {
    const QRegion region = skin.windowRegion(layout);
    QImage out(region.boundingRect().size() + QSize(16, 16), QImage::Format_RGB32);
    out.fill(qRgb(200, 200, 200));  // the desktop below the shaped window
    QPainter p(&out);
    p.translate(8, 8);
    p.setClipRegion(region);
    skin.stateImage(layout, 'U').Draw(p, 0, 0);
    skin.drawControl(p, layout, ui::kPlay, 'U', true);
    skin.drawControl(p, layout, ui::kNext, 'F');
    skin.drawControl(p, layout, ui::kStop, 'D');
    skin.drawControl(p, layout, ui::kRepeat, 'S');
    skin.drawControl(p, layout, ui::kZorez, 'F');
    const QRect volume = skin.controlRect(ui::kVolumeWnd);
    skin.volumeImage(layout).DrawPart(
        p, QRect(volume.topLeft(), QSize(volume.width() * 7 / 10, volume.height())),
        volume.topLeft());
    const bool mini = layout == SkinLayout::Mini;
    const auto at = [&](ui::DisplayItem item) { return skin.displayRect(item).topLeft(); };
    ui::DrawDigits(p, at(ui::DisplayItem::Track).x(), at(ui::DisplayItem::Track).y(),
                   ui::trackCounterValue(6), 3,
                   skin.image(mini ? ui::FolderImage::FontB : ui::FolderImage::FontA), false);
    const ui::SkinImage& timeFont =
        skin.image(mini ? ui::FolderImage::FontB : ui::FolderImage::FontC);
    QPoint time = at(ui::DisplayItem::Time);
    int x = ui::DrawDigits(p, time.x(), time.y(), 3, 2, timeFont, true);
    x = ui::drawStripCell(p, timeFont, ui::kStripCells, ui::kColonCell, QPoint(x, time.y()));
    ui::DrawDigits(p, x, time.y(), 42, 2, timeFont, false);
    ui::drawStripCell(p, skin.image(mini ? ui::FolderImage::RepeatM : ui::FolderImage::Repeat), 3,
                      2, at(ui::DisplayItem::RepeatMark));
    ui::drawStripCell(p, skin.image(mini ? ui::FolderImage::ShuffleM : ui::FolderImage::Shuffle), 2,
                      0, at(ui::DisplayItem::ShuffleMark));
    if (!mini) {
        ui::drawStripCell(p, skin.image(ui::FolderImage::Vbr), 2, 1, at(ui::DisplayItem::VbrMark));
        ui::DrawDigits(p, at(ui::DisplayItem::Bitrate).x(), at(ui::DisplayItem::Bitrate).y(), 192,
                       3, skin.image(ui::FolderImage::FontD), true);
        skin.image(ui::FolderImage::Kbps)
            .Draw(p, at(ui::DisplayItem::KbpsMark).x(), at(ui::DisplayItem::KbpsMark).y());
        ui::PositionSlider slider = skin.slider();
        slider.setPosition(350);
        slider.draw(p, skin.image(ui::FolderImage::PlayPos));
    }
    QFont font("Noto Sans CJK JP");
    font.setPixelSize(11);
    p.setFont(font);
    p.setPen(skin.image(ui::FolderImage::Kbps).image().pixel(6, 4));
    p.drawText(skin.controlRect(ui::kTitleWnd), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromUtf8("夜明けのスキャット — Midnight Drive"));
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SKIN_ROOT OUT_DIR\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString out = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(out);
    int failed = 0;
    for (const QString& name :
         QDir(QString::fromLocal8Bit(argv[1])).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QStringList layouts{"normal", "wide", "mini"};
        for (int l = 0; l < 3; ++l) {
            const auto layout = static_cast<SkinLayout>(l);
            ui::CSkin skin;
            skin.LoadPlayerSkin(std::filesystem::path(argv[1]) / name.toStdString(), layout);
            for (const std::string& error : skin.errors()) {
                std::fprintf(stderr, "%s\n", error.c_str());
                ++failed;
            }
            const QString file = QString("%1/%2-%3.png").arg(out, name, layouts[l]);
            if (!compose(skin, layout).save(file)) {
                std::fprintf(stderr, "%s: cannot be written\n", qPrintable(file));
                ++failed;
            }
        }
    }
    return failed == 0 ? 0 : 1;
}
