#include "ui/SkinImage.h"

#include <QPainter>
#include <algorithm>
#include <vector>

#include "ui/BmpFile.h"

namespace ui {

QRegion regionFromMask(const QImage& image, QRgb maskColour) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const QRgb key = maskColour | 0xFF000000u;
    std::vector<QRect> runs;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        int x = 0;
        while (x < rgb.width()) {
            while (x < rgb.width() && (row[x] | 0xFF000000u) == key) {
                ++x;
            }
            const int start = x;
            while (x < rgb.width() && (row[x] | 0xFF000000u) != key) {
                ++x;
            }
            if (x > start) {
                runs.emplace_back(start, y, x - start, 1);
            }
        }
    }
    // Maximal runs in row order are the banded form setRects takes.
    QRegion region;
    region.setRects(runs.data(), static_cast<int>(runs.size()));
    return region;
}

std::string SkinImage::Load(const std::filesystem::path& stem, QSize expected) {
    clear();
    std::filesystem::path file = stem;
    file += ".bmp";
    BmpResult bmp = readBmpFile(file);
    if (!bmp.ok()) {
        return bmp.error;
    }
    const QSize size(bmp.image.width, bmp.image.height);
    if (expected.isValid() && size != expected) {
        return file.string() + ": " + std::to_string(size.width()) + " x " +
               std::to_string(size.height()) + " pixels where the skin needs " +
               std::to_string(expected.width()) + " x " + std::to_string(expected.height());
    }
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        std::copy_n(bmp.image.pixels.data() + static_cast<std::size_t>(y) * size.width(),
                    size.width(), reinterpret_cast<QRgb*>(image.scanLine(y)));
    }
    setImage(std::move(image));
    return {};
}

void SkinImage::setImage(QImage image) {
    image_ = std::move(image);
    cutout_ = QImage();
    region_ = QRegion();
}

void SkinImage::clear() {
    setImage(QImage());
    hasMaskColour_ = false;
    maskColour_ = 0;
}

void SkinImage::SetMaskColor(QRgb colour) {
    maskColour_ = colour | 0xFF000000u;
    hasMaskColour_ = true;
    cutout_ = QImage();
}

void SkinImage::BuildMask() {
    if (!hasMaskColour_ || image_.isNull()) {
        return;
    }
    cutout_ = image_.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < cutout_.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(cutout_.scanLine(y));
        for (int x = 0; x < cutout_.width(); ++x) {
            if ((row[x] | 0xFF000000u) == maskColour_) {
                row[x] = 0;
            }
        }
    }
}

const QRegion& SkinImage::BuildRegion() {
    region_ = regionFromMask(image_, hasMaskColour_ ? maskColour_ : 0);
    return region_;
}

void SkinImage::Draw(QPainter& painter, int x, int y) const {
    if (!image_.isNull()) {
        painter.drawImage(x, y, image_);
    }
}

void SkinImage::DrawPart(QPainter& painter, const QRect& destination, QPoint source) const {
    if (!image_.isNull()) {
        painter.drawImage(destination.topLeft(), image_, QRect(source, destination.size()));
    }
}

void SkinImage::DrawTransparent(QPainter& painter, const QRect& source, QPoint destination) const {
    if (image_.isNull()) {
        return;
    }
    // Without a built mask the part is copied as it is.
    const QImage& from = cutout_.isNull() ? image_ : cutout_;
    painter.drawImage(destination, from, source);
}

}  // namespace ui
