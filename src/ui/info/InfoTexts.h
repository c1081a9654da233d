#pragma once

#include <string_view>

// The file information dialog's words for the user.
namespace ui::info::texts {

inline constexpr std::string_view kTitle = "ミュージックファイル情報";
inline constexpr std::string_view kUnreadable = "ミュージックファイルを読み込めませんでした。";
inline constexpr std::string_view kReading = "読み込み中...";
inline constexpr std::string_view kFileName = "ファイル名";
inline constexpr std::string_view kInformation = "情報";
inline constexpr std::string_view kTrackTitle = "&Title";
inline constexpr std::string_view kArtist = "&Artist";
inline constexpr std::string_view kAlbum = "A&lbum";
inline constexpr std::string_view kYear = "&Year";
inline constexpr std::string_view kTrack = "T&rack";
inline constexpr std::string_view kGenre = "&Genre";
inline constexpr std::string_view kComment = "&Comment";

}  // namespace ui::info::texts
