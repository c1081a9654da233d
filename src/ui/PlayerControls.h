#pragma once

#include <array>
#include <string_view>

namespace ui {

// The player window's controls, indexed 0-29: the key of each one's
// rectangle in "Skin.ini" (empty: no rectangle) and its tooltip.
struct PlayerControl {
    std::string_view key;
    std::string_view tooltip;
};

inline constexpr int kPlayerControlCount = 30;

// Indexes the main window refers to by name.
enum PlayerControlIndex : int {
    kPower = 0,
    kPrev = 1,
    kPlay = 2,
    kPause = 3,
    kStop = 4,
    kNext = 5,
    kRepeat = 6,
    kShuffle = 7,
    kRecord = 8,
    kWideMode = 9,
    kVolumeUp = 10,
    kVolumeDn = 11,
    kVolumeUpW = 12,
    kVolumeDnW = 13,
    kZorez = 14,
    kPlayList = 15,
    kRecList = 16,
    kOption = 17,
    kHelp = 18,
    kCounterMode = 19,
    kShuffleMark = 20,
    kRepeatMark = 21,
    kPlayInfoWnd = 22,
    kTitleWnd = 23,
    kCommand = 24,
    kPlayPosWnd = 25,
    kVolumeWnd = 26,
    kSizeBtn = 27,
    kLogoMark = 28,
};

inline constexpr std::array<PlayerControl, kPlayerControlCount> kPlayerControls{{
    {"Power", "終了 (Alt+F4)"},
    {"Prev", "前の曲 (Alt+Z)"},
    {"Play", "再生 (Alt+X)"},
    {"Pause", "一時停止 (Alt+C)"},
    {"Stop", "停止 (Alt+V)"},
    {"Next", "次の曲 (Alt+B)"},
    {"Repeat", "リピート (R)"},
    {"Shuffle", "シャッフル (S)"},
    {"Record", "録音開始 (Alt+R)"},
    {"WideMode", "トレイ開閉"},
    {"VolumeUp", "ボリューム　アップ (↑)"},
    {"VolumeDn", "ボリューム　ダウン (↓)"},
    {"VolumeUpW", "ボリューム　アップ (↑)"},
    {"VolumeDnW", "ボリューム　ダウン (↓)"},
    {"Zorez", "スペアナ (Ctrl+4)"},
    {"PlayList", "リスト／エディットパネル (Ctrl+2)"},
    {"RecList", "レコーディングパネル (Ctrl+3)"},
    {"Option", "オプション (Ctrl+9)"},
    {"Help", "ヘルプ (F1)"},
    {"", "時間表示 切替"},
    {"", "シャッフル (S)"},
    {"", "リピート (R)"},
    {"PlayInfoWnd", ""},
    {"TitleWnd", ""},
    {"Command", "メニュー (Alt+F)"},
    {"PlayPosWnd", ""},
    {"VolumeWnd", "ボリューム"},
    {"SizeBtn", "大／小"},
    {"LogoMark", "ホームページ"},
    {"", ""},
}};

}  // namespace ui
