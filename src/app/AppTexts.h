#pragma once

#include <string>
#include <string_view>

// The application object's words for the user, and the names it gives.
namespace app::texts {

inline constexpr std::string_view kAppTitle = "MP3 Melodux";
inline constexpr std::string_view kRecordingQuestion = "録音中です。本当に終了しますか？";
inline constexpr std::string_view kCddbBusy = "CDDB と通信中です。終了できません。";
inline constexpr std::string_view kLibrarySaveFailed = "ライブラリの更新に失敗しました。";
inline constexpr std::string_view kDropPlaylist = "Drop Playlist";
inline constexpr std::string_view kNewPlaylist = "New Playlist";

// Asked when an edited tag cannot go into the music file.
inline constexpr std::string_view kTagFileMissing =
    "ミュージックファイルは存在しません。変更した情報は\n"
    "ミュージックファイルには反映されませんがよろしいですか？";
inline constexpr std::string_view kTagFileReadOnly =
    "ミュージックファイルは読み込み専用です。変更した情報は\n"
    "ミュージックファイルには反映されませんがよろしいですか？";
inline constexpr std::string_view kTagFileFailed =
    "ミュージックファイルアクセス中にエラーが発生しました。\n"
    "変更した情報はミュージックファイルには反映されませんがよろしいですか？";

// "%s が見つかりません。" for a missing file.
inline std::string notFound(std::string_view path) {
    return std::string(path) + " が見つかりません。";
}

}  // namespace app::texts
