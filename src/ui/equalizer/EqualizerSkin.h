#pragma once

#include <QColor>
#include <QRect>
#include <array>
#include <filesystem>

#include "ui/SkinDress.h"
#include "ui/SkinImage.h"

namespace ui {

// The equalizer window's look: section "Dress_Equ" of "Skin.ini" with its
// images (mask colour magenta whatever the skin says), and our skins'
// additions there: "ConstRect" (the window's part of the images), "RcGain"
// and "RcBand" (the tracks of the gain slider and of the first band
// slider), "BandStep" (from one band slider to the next) and "MeterColor"
// (lit, top and off segment colours). Missing keys leave their parts empty.
class EqualizerSkin {
  public:
    static constexpr int kBands = 10;
    static constexpr int kGainSlider = kBands;  // sliders 0-9 are the bands

    void Load(const std::filesystem::path& skinFolder);

    const SkinDress& Dress() const { return dress_; }
    const SkinImage& Up() const { return up_; }
    const SkinImage& Down() const { return down_; }
    const SkinImage& On() const { return on_; }
    QRect Window() const { return window_; }
    QRect Track(int slider) const;
    // The thumb's source rectangle in the up image.
    QRect Thumb(int slider) const;
    size_t MeterBands() const;
    QRect Segment(size_t band, int segment) const;
    // Lit, top, off.
    const std::array<QColor, 3>& MeterColours() const { return meterColours_; }

  private:
    SkinDress dress_;
    SkinImage up_, down_, on_;
    QRect window_, gainTrack_, bandTrack_;
    int bandStep_ = 0;
    std::array<QColor, 3> meterColours_{QColor(56, 182, 255), QColor(255, 255, 255),
                                        QColor(16, 24, 40)};
};

}  // namespace ui
