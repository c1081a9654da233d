#include "ui/SkinDress.h"

#include "ui/SkinIni.h"

namespace ui {

namespace {

void readRect(const SkinIni& ini, const char* section, const char* key, QRect& rect) {
    std::array<int, 4> v{rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1};
    if (scanIntegers(ini.value(section, key, "", SkinIni::kDressBuffer), v) > 0) {
        rect = QRect(QPoint(v[0], v[1]), QPoint(v[2] - 1, v[3] - 1));
    }
}

QString readStem(const SkinIni& ini, const char* section, const char* key) {
    return QString::fromStdString(ini.value(section, key, "", SkinIni::kDressBuffer));
}

}  // namespace

void readSkinDress(const SkinIni& ini, const char* section, SkinDress& dress) {
    readRect(ini, section, "RcClose", dress.close);
    readRect(ini, section, "RcBypass", dress.bypass);
    readRect(ini, section, "RcPresetList", dress.presetList);
    readRect(ini, section, "RcPresetText", dress.presetText);
    readRect(ini, section, "RcThumbA", dress.thumbA);
    readRect(ini, section, "RcThumbB", dress.thumbB);
    dress.upImage = readStem(ini, section, "UpImage");
    dress.dnImage = readStem(ini, section, "DnImage");
    dress.onImage = readStem(ini, section, "OnImage");
    dress.meterInfo.reset();
    if (ini.has(section, "MeterInfo")) {
        std::array<int, 7> meter{};
        scanIntegers(ini.value(section, "MeterInfo", "", SkinIni::kDressBuffer), meter);
        dress.meterInfo = meter;
    }
}

}  // namespace ui
