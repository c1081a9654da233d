#pragma once

#include <array>
#include <cstddef>
#include <string_view>

// The list/edit panel's bitmaps, rendered into every skin folder beside the
// player's images. Each bitmap is a row of equal cells, one per state
// letter: 'U' up, 'D' pressed, 'F' under the pointer, 'O' selected.
namespace ui::library {

enum class PanelPiece {
    TabLibrary,
    TabPlay,
    Edit,
    Select,
    Up,
    Down,
    Write,
    DirectionText,
    WritingText,
    Background,
    Count
};

struct PanelPieceInfo {
    std::string_view name;    // file-name stem
    std::string_view states;  // the cells, left to right
};

inline constexpr std::array<PanelPieceInfo, std::size_t(PanelPiece::Count)> kPanelPieces{{
    {"TabLibrary", "UFO"},
    {"TabPlay", "UFO"},
    {"List_Edit", "UDF"},
    {"List_Select", "UDF"},
    {"List_Up", "UDF"},
    {"List_Dn", "UDF"},
    {"List_Write", "UDF"},
    {"Txt_Direction", "U"},
    {"Txt_Writing", "U"},
    {"frameBK", "U"},
}};

inline constexpr const PanelPieceInfo& pieceInfo(PanelPiece piece) {
    return kPanelPieces[std::size_t(piece)];
}

}  // namespace ui::library
