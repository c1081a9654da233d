#pragma once

#include <QRect>
#include <QString>
#include <array>
#include <optional>

namespace ui {

class SkinIni;

// The equalizer's and the spectrum's look from "Dress_Equ", "Dress_SpeM"
// or "Dress_SpeL", read with the larger value buffer.
struct SkinDress {
    QRect close;
    QRect bypass;
    QRect presetList;
    QRect presetText;
    QRect thumbA;
    QRect thumbB;
    QString upImage;  // file-name stems relative to the skin folder
    QString dnImage;
    QString onImage;
    // Bands, x, y, width, height of one segment, horizontal and vertical gap;
    // none without the key (no meter bands).
    std::optional<std::array<int, 7>> meterInfo;
};

// Reads `section` over `dress`: a missing rectangle key leaves that
// rectangle as it was, and a value that parses only in part changes only
// the fields it gives.
void readSkinDress(const SkinIni& ini, const char* section, SkinDress& dress);

}  // namespace ui
