#pragma once

class QPainter;
class QPoint;

namespace ui {

class SkinImage;

// A digit strip has 15 cells of equal width (the image width / 15): the
// digits 0-9, then the blank cell 10. Our skins add ':' (11) and '-' (12).
inline constexpr int kStripCells = 15;
inline constexpr int kBlankCell = 10;
inline constexpr int kColonCell = 11;
inline constexpr int kMinusCell = 12;

// Draws cell `cell` of a strip of `cells` equal cells at `at`; returns the
// x just past it.
int drawStripCell(QPainter& painter, const SkinImage& strip, int cells, int cell, QPoint at);

// Draws `value` in `count` cells, most significant first; a negative value
// is all blank cells. With `suppressLeadingZeros`, positions stay blank up
// to the first non-zero digit. Returns the x after the last cell.
int DrawDigits(QPainter& painter, int x, int y, int value, int count, const SkinImage& strip,
               bool suppressLeadingZeros);

// The player's track counter value: the index plus one, at most 999, or -1
// (blank) with no current track (a negative index).
int trackCounterValue(int currentIndex);

}  // namespace ui
