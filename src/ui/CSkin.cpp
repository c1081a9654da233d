#include "ui/CSkin.h"

#include <QPainter>
#include <algorithm>

#include "ui/SkinIni.h"

namespace ui {

namespace {

constexpr const char* kGenerel = "Generel";
constexpr std::array<const char*, static_cast<int>(FolderImage::Count)> kFolderStems{
    "font_a",  "font_b",  "font_c",   "font_d", "Kbps",   "Repeat",
    "RepeatM", "Shuffle", "ShuffleM", "Vbr",    "playpos"};
constexpr std::array<const char*, static_cast<int>(DisplayItem::Count)> kDisplayKeys{
    "Track", "Time", "Bitrate", "KbpsMark", "VbrMark", "RepeatMark", "ShuffleMark"};
// Suffixes of up, down, focus, on, volume and region per layout.
constexpr std::array<std::array<const char*, 6>, 3> kSuffixes{{
    {"U", "D", "F", "O", "Vol", "RgnA"},
    {"UW", "DW", "FW", "OW", "Vol", "RgnB"},
    {"UM", "DM", "FM", "OM", "VolM", "RgnM"},
}};
// Keeps width and height arithmetic far from overflow.
constexpr int kCoordinateLimit = 1 << 15;

int layoutIndex(SkinLayout layout) {
    return static_cast<int>(layout);
}

QRgb parseMaskColour(const std::string& text) {
    std::array<int, 3> rgb{0, 0, 0};
    scanIntegers(text, rgb);
    return qRgb(rgb[0] & 0xFF, rgb[1] & 0xFF, rgb[2] & 0xFF);
}

}  // namespace

QRect readSkinRect(const SkinIni& ini, const char* section, const char* key) {
    std::array<int, 4> v{0, 0, 0, 0};
    scanIntegers(ini.value(section, key, "0,0,0,0"), v);
    for (int& c : v) {
        c = std::clamp(c, -kCoordinateLimit, kCoordinateLimit);
    }
    return {QPoint(v[0], v[1]), QPoint(v[2] - 1, v[3] - 1)};
}

void CSkin::clear() {
    for (ImageSet& s : sets_) {
        for (SkinImage& image : s) {
            image.clear();
        }
    }
    for (SkinImage& image : folderImages_) {
        image.clear();
    }
    controls_.fill(QRect());
    display_.fill(QRect());
    errors_.clear();
}

void CSkin::load(SkinImage& image, const std::filesystem::path& stem, QSize expected) {
    if (std::string error = image.Load(stem, expected); !error.empty()) {
        errors_.push_back(std::move(error));
    }
}

void CSkin::loadFolderImages(const std::filesystem::path& folder) {
    for (std::size_t i = 0; i < folderImages_.size(); ++i) {
        load(folderImages_[i], folder / kFolderStems[i], {});
    }
}

void CSkin::loadImageSet(const std::filesystem::path& base, SkinLayout layout) {
    ImageSet& images = sets_[layoutIndex(layout)];
    const auto& suffixes = kSuffixes[layoutIndex(layout)];
    // The state and region images of one layout share one size, the first
    // one's. Normal and wide share the volume image, so it only has to
    // hold the volume control.
    QSize expected;
    for (int s = 0; s < kStates; ++s) {
        std::filesystem::path stem = base;
        stem += suffixes[s];
        load(images[s], stem, s == kVolume ? QSize() : expected);
        if (!expected.isValid() && s != kVolume && !images[s].isNull()) {
            expected = images[s].Size();
        }
    }
    const QRect& volume = controls_[kVolumeWnd];
    if (!images[kVolume].isNull() && !images[kVolume].image().rect().contains(volume)) {
        errors_.push_back(base.string() + suffixes[kVolume] + ".bmp: does not reach the " +
                          "volume control");
        images[kVolume].clear();
    }
    images[kUp].SetMaskColor(maskColour_);
    images[kRegion].SetMaskColor(maskColour_);
    images[kUp].BuildMask();
    images[kRegion].BuildRegion();
}

void CSkin::LoadPlayerSkin(const std::filesystem::path& folder, SkinLayout layout) {
    clear();
    mini_ = layout == SkinLayout::Mini;
    const std::filesystem::path iniFile = folder / "Skin.ini";
    if (!std::filesystem::is_regular_file(iniFile)) {
        errors_.push_back(iniFile.string() + ": not found");
    }
    const SkinIni ini = SkinIni::load(iniFile);
    loadFolderImages(folder);
    baseName_ = QString::fromStdString(ini.value(kGenerel, "BaseName", "PlayerU"));
    maskColour_ = parseMaskColour(ini.value(kGenerel, "MaskColor", "0,0,0"));
    skinName_ = QString::fromStdString(ini.value(kGenerel, "SkinName", "Navy"));

    const char* section = mini_ ? "MinRect" : "Rect";
    constRect_ = readSkinRect(ini, section, "ConstRect");
    for (int i = 0; i < kPlayerControlCount; ++i) {
        const std::string_view key = kPlayerControls[i].key;
        controls_[i] = key.empty() ? QRect() : readSkinRect(ini, section, key.data());
    }
    const char* displaySection = mini_ ? "MinDisplay" : "Display";
    for (std::size_t i = 0; i < display_.size(); ++i) {
        display_[i] = readSkinRect(ini, displaySection, kDisplayKeys[i]);
    }
    controls_[kCounterMode] = displayRect(DisplayItem::Time);
    controls_[kShuffleMark] = displayRect(DisplayItem::ShuffleMark);
    controls_[kRepeatMark] = displayRect(DisplayItem::RepeatMark);

    const std::filesystem::path base = folder / baseName_.toStdString();
    if (mini_) {
        loadImageSet(base, SkinLayout::Mini);
    } else {
        loadImageSet(base, SkinLayout::Normal);
        loadImageSet(base, SkinLayout::Wide);
    }
    slider_.setTrack(controls_[kPlayPosWnd], image(FolderImage::PlayPos).Size());
}

const QRect& CSkin::controlRect(int index) const {
    static const QRect kNone;
    return index >= 0 && index < kPlayerControlCount ? controls_[index] : kNone;
}

QSize CSkin::layoutSize(SkinLayout layout) const {
    const SkinImage& up = set(layout)[kUp];
    return up.isNull() ? windowSize() : up.Size();
}

const QRect& CSkin::displayRect(DisplayItem item) const {
    return display_[static_cast<int>(item)];
}

const CSkin::ImageSet& CSkin::set(SkinLayout layout) const {
    return sets_[layoutIndex(layout)];
}

const SkinImage& CSkin::stateImage(SkinLayout layout, char state, bool running) const {
    switch (state) {
        case 'D':
            return set(layout)[kDown];
        case 'F':
            return set(layout)[kFocus];
        case 'S':
            return set(layout)[kOn];
        default:
            return set(layout)[running ? kOn : kUp];
    }
}

const SkinImage& CSkin::volumeImage(SkinLayout layout) const {
    return set(layout)[kVolume];
}

const SkinImage& CSkin::image(FolderImage which) const {
    return folderImages_[static_cast<int>(which)];
}

const QRegion& CSkin::windowRegion(SkinLayout layout) const {
    return set(layout)[kRegion].region();
}

void CSkin::drawControl(QPainter& painter, SkinLayout layout, int index, char state,
                        bool running) const {
    const QRect& rect = controlRect(index);
    if (!rect.isEmpty()) {
        stateImage(layout, state, running).DrawPart(painter, rect, rect.topLeft());
    }
}

}  // namespace ui
