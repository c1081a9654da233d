#include "ui/equalizer/EqualizerSkin.h"

#include <QStringList>

#include "ui/SkinIni.h"

namespace ui {

namespace {

constexpr const char* kSection = "Dress_Equ";
constexpr QRgb kMagenta = 0xFFFF00FFu;

QRect readRect(const SkinIni& ini, const char* key) {
    std::array<int, 4> v{};
    if (scanIntegers(ini.value(kSection, key, "", SkinIni::kDressBuffer), v) < 4) {
        return {};
    }
    return QRect(QPoint(v[0], v[1]), QPoint(v[2] - 1, v[3] - 1));
}

void loadImage(SkinImage& image, const std::filesystem::path& folder, const QString& stem) {
    image.clear();
    if (!stem.isEmpty()) {
        image.Load(folder / stem.toStdString());
        image.SetMaskColor(kMagenta);
        image.BuildMask();
    }
}

}  // namespace

void EqualizerSkin::Load(const std::filesystem::path& skinFolder) {
    const SkinIni ini = SkinIni::load(skinFolder / "Skin.ini");
    dress_ = {};
    readSkinDress(ini, kSection, dress_);
    loadImage(up_, skinFolder, dress_.upImage);
    loadImage(down_, skinFolder, dress_.dnImage);
    loadImage(on_, skinFolder, dress_.onImage);
    window_ = readRect(ini, "ConstRect");
    if (window_.isEmpty()) {
        window_ = QRect(QPoint(0, 0), up_.Size());
    }
    gainTrack_ = readRect(ini, "RcGain");
    bandTrack_ = readRect(ini, "RcBand");
    std::array<int, 1> step{};
    scanIntegers(ini.value(kSection, "BandStep", "", SkinIni::kDressBuffer), step);
    bandStep_ = step[0];
    const QStringList colours =
        QString::fromStdString(ini.value(kSection, "MeterColor", "", SkinIni::kDressBuffer))
            .split(',');
    for (qsizetype i = 0; i < colours.size() && i < 3; ++i) {
        if (const QColor c(colours[i].trimmed()); c.isValid()) {
            meterColours_[static_cast<size_t>(i)] = c;
        }
    }
}

QRect EqualizerSkin::Track(int slider) const {
    if (slider == kGainSlider) {
        return gainTrack_;
    }
    return bandTrack_.isEmpty() ? QRect() : bandTrack_.translated(bandStep_ * slider, 0);
}

QRect EqualizerSkin::Thumb(int slider) const {
    return slider == kGainSlider ? dress_.thumbB : dress_.thumbA;
}

size_t EqualizerSkin::MeterBands() const {
    return dress_.meterInfo ? static_cast<size_t>(std::max(0, (*dress_.meterInfo)[0])) : 0;
}

// Band b, segment s: the first segment's rectangle moved by the width and
// gap b times across and by the height and gap s times down (a skin draws
// its bars upwards with a negative vertical gap).
QRect EqualizerSkin::Segment(size_t band, int segment) const {
    if (!dress_.meterInfo) {
        return {};
    }
    const auto& [bands, x, y, width, height, hGap, vGap] = *dress_.meterInfo;
    (void)bands;
    return QRect(x + (width + hGap) * static_cast<int>(band), y + (height + vGap) * segment, width,
                 height);
}

}  // namespace ui
