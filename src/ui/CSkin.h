#pragma once

#include <QRect>
#include <QRegion>
#include <QString>
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "ui/PlayerControls.h"
#include "ui/PositionSlider.h"
#include "ui/SkinImage.h"

class QPainter;

namespace ui {

class SkinIni;

// The three layouts, numbered as the "WindowState" setting stores them.
enum class SkinLayout { Normal = 0, Wide = 1, Mini = 2 };

// Images taken from the skin folder itself, whatever the layout.
enum class FolderImage {
    FontA,
    FontB,
    FontC,
    FontD,
    Kbps,
    Repeat,
    RepeatM,
    Shuffle,
    ShuffleM,
    Vbr,
    PlayPos,
    Count
};

// Where the player draws its information, from our skins' "Display"
// (normal and wide) or "MinDisplay" (mini) sections; missing keys are empty.
enum class DisplayItem { Track, Time, Bitrate, KbpsMark, VbrMark, RepeatMark, ShuffleMark, Count };

// Rectangles read as "%d,%d,%d,%d" left, top, right, bottom.
QRect readSkinRect(const SkinIni& ini, const char* section, const char* key);

// The player window's skin: the images of one layout (normal and wide load
// together), the control rectangles and the window regions.
class CSkin {
  public:
    // Frees every image and loads the skin in `folder` for `layout`.
    // Images that are missing or refused stay empty; errors() says why.
    void LoadPlayerSkin(const std::filesystem::path& folder, SkinLayout layout);

    const std::vector<std::string>& errors() const { return errors_; }
    // Whether every image of the loaded layouts is present.
    bool complete() const { return errors_.empty(); }
    bool isMini() const { return mini_; }
    const QString& skinName() const { return skinName_; }
    const QString& baseName() const { return baseName_; }
    QRgb maskColor() const { return maskColour_; }

    // The window image's rectangle; its right and bottom give the size.
    const QRect& constRect() const { return constRect_; }
    QSize windowSize() const { return {constRect_.right() + 1, constRect_.bottom() + 1}; }
    // The size of the layout's window image (the drawing surface's without one).
    QSize layoutSize(SkinLayout layout) const;
    // The counter mode and the two marks (19-21), which have no keys, are
    // the display's time and mark areas.
    const QRect& controlRect(int index) const;
    const QRect& displayRect(DisplayItem item) const;

    // The whole-window image for state 'U', 'D', 'F' or 'S' (on); `running`
    // turns the up image into the on image.
    const SkinImage& stateImage(SkinLayout layout, char state, bool running = false) const;
    const SkinImage& volumeImage(SkinLayout layout) const;
    const SkinImage& image(FolderImage which) const;
    const QRegion& windowRegion(SkinLayout layout) const;

    // Copies the control's rectangle from the layout's state image.
    void drawControl(QPainter& painter, SkinLayout layout, int index, char state,
                     bool running = false) const;

    PositionSlider& slider() { return slider_; }
    const PositionSlider& slider() const { return slider_; }

  private:
    enum State { kUp, kDown, kFocus, kOn, kVolume, kRegion, kStates };
    using ImageSet = std::array<SkinImage, kStates>;

    void clear();
    void loadFolderImages(const std::filesystem::path& folder);
    void loadImageSet(const std::filesystem::path& base, SkinLayout layout);
    void load(SkinImage& image, const std::filesystem::path& stem, QSize expected);
    const ImageSet& set(SkinLayout layout) const;

    std::array<ImageSet, 3> sets_;
    std::array<SkinImage, static_cast<int>(FolderImage::Count)> folderImages_;
    std::array<QRect, kPlayerControlCount> controls_;
    std::array<QRect, static_cast<int>(DisplayItem::Count)> display_;
    QRect constRect_;
    QString skinName_;
    QString baseName_;
    QRgb maskColour_ = 0xFF000000u;
    bool mini_ = false;
    PositionSlider slider_;
    std::vector<std::string> errors_;
};

}  // namespace ui
