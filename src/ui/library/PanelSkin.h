#pragma once

#include <QColor>
#include <QPalette>
#include <array>
#include <filesystem>
#include <utility>
#include <vector>

#include "ui/SkinImage.h"
#include "ui/library/PanelPieces.h"

class QPainter;

namespace ui::library {

// The list/edit panel's look, taken from the current skin folder: the
// pieces of PanelPieces.h and the colours of section "Panel" of "Skin.ini"
// (our skins' addition). Read on first use after the folder changes, so a
// panel that is never shown reads nothing. Missing pieces stay empty.
class PanelSkin {
  public:
    void setFolder(std::filesystem::path folder);
    const std::filesystem::path& folder() const { return folder_; }

    // Empty when there is no such bitmap in the skin.
    const SkinImage& image(PanelPiece piece);
    QSize cellSize(PanelPiece piece);
    // The piece's cell for state 'U', 'D', 'F' or 'O'; a piece without that
    // state draws its first cell.
    QRect cell(PanelPiece piece, char state);
    void drawCell(QPainter& painter, PanelPiece piece, char state, QPoint at);

    // `base` with the roles the skin gives colours for.
    QPalette palette(QPalette base);

  private:
    void load();

    std::filesystem::path folder_;
    bool loaded_ = false;
    std::array<SkinImage, std::size_t(PanelPiece::Count)> pieces_;
    std::vector<std::pair<QPalette::ColorRole, QColor>> colours_;
};

}  // namespace ui::library
