#include "ui/library/PanelSkin.h"

#include <QPainter>
#include <string>

#include "ui/SkinIni.h"

namespace ui::library {
namespace {

constexpr const char* kSection = "Panel";

struct RoleKey {
    QPalette::ColorRole role;
    const char* key;
};
constexpr std::array<RoleKey, 8> kRoles{{
    {QPalette::Window, "Window"},
    {QPalette::WindowText, "WindowText"},
    {QPalette::Button, "Button"},
    {QPalette::ButtonText, "ButtonText"},
    {QPalette::Base, "Base"},
    {QPalette::Text, "Text"},
    {QPalette::Highlight, "Highlight"},
    {QPalette::HighlightedText, "HighlightedText"},
}};

}  // namespace

void PanelSkin::setFolder(std::filesystem::path folder) {
    folder_ = std::move(folder);
    loaded_ = false;
}

void PanelSkin::load() {
    loaded_ = true;
    colours_.clear();
    for (SkinImage& image : pieces_) {
        image.clear();
    }
    if (folder_.empty()) {
        return;
    }
    for (size_t i = 0; i < pieces_.size(); ++i) {
        pieces_[i].Load(folder_ / std::string(kPanelPieces[i].name));
    }
    const SkinIni ini = SkinIni::load(folder_ / "Skin.ini");
    for (const RoleKey& role : kRoles) {
        if (const QColor colour(QString::fromStdString(ini.value(kSection, role.key, "")));
            colour.isValid()) {
            colours_.emplace_back(role.role, colour);
        }
    }
}

const SkinImage& PanelSkin::image(PanelPiece piece) {
    if (!loaded_) {
        load();
    }
    return pieces_[size_t(piece)];
}

QSize PanelSkin::cellSize(PanelPiece piece) {
    const QSize whole = image(piece).Size();
    return {whole.width() / int(pieceInfo(piece).states.size()), whole.height()};
}

QRect PanelSkin::cell(PanelPiece piece, char state) {
    const size_t found = pieceInfo(piece).states.find(state);
    const QSize size = cellSize(piece);
    const int index = found == std::string_view::npos ? 0 : int(found);
    return {QPoint(index * size.width(), 0), size};
}

void PanelSkin::drawCell(QPainter& painter, PanelPiece piece, char state, QPoint at) {
    const QRect source = cell(piece, state);
    image(piece).DrawPart(painter, QRect(at, source.size()), source.topLeft());
}

QPalette PanelSkin::palette(QPalette base) {
    if (!loaded_) {
        load();
    }
    for (const auto& [role, colour] : colours_) {
        base.setColor(role, colour);
    }
    return base;
}

}  // namespace ui::library
