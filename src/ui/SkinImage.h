#pragma once

#include <QImage>
#include <QRegion>
#include <filesystem>
#include <string>

class QPainter;

namespace ui {

// The region of every pixel of `image` that is not `maskColour`, built from
// one-pixel-high runs row by row.
QRegion regionFromMask(const QImage& image, QRgb maskColour);

// One skin bitmap with its optional mask colour. An image that failed to
// load is empty and draws nothing.
class SkinImage {
  public:
    // Loads `stem` + ".bmp" with the skin's own bitmap reader. With a valid
    // `expected` size, a bitmap of any other size is refused. Returns the
    // reason of a refusal (naming the file), empty on success.
    std::string Load(const std::filesystem::path& stem, QSize expected = {});
    void setImage(QImage image);
    void clear();

    void SetMaskColor(QRgb colour);
    bool hasMaskColor() const { return hasMaskColour_; }
    QRgb maskColor() const { return maskColour_; }
    // Prepares the transparent copy that DrawTransparent uses.
    void BuildMask();
    const QRegion& BuildRegion();

    QSize Size() const { return image_.size(); }
    bool isNull() const { return image_.isNull(); }
    const QImage& image() const { return image_; }
    const QRegion& region() const { return region_; }

    void Draw(QPainter& painter, int x, int y) const;
    // Copies the part of the image at `source`, of the destination's size.
    void DrawPart(QPainter& painter, const QRect& destination, QPoint source) const;
    // As DrawPart, but pixels of the mask colour leave the background showing.
    void DrawTransparent(QPainter& painter, const QRect& source, QPoint destination) const;

  private:
    QImage image_;
    QImage cutout_;  // image_ with the mask colour made transparent
    QRegion region_;
    QRgb maskColour_ = 0;
    bool hasMaskColour_ = false;
};

}  // namespace ui
