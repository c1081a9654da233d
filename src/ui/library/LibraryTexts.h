#pragma once

#include <string_view>

// The list/edit panel's words for the user.
namespace ui::library::texts {

inline constexpr std::string_view kAllItems = "全て";
inline constexpr std::string_view kEnterPlaylistName = "プレイリスト名を入力してください。";
inline constexpr std::string_view kPlaylistNameTaken = "すでに同名のプレイリストが存在します。";
inline constexpr std::string_view kPlaylistNameUnusable = "このプレイリスト名は使えません。";

}  // namespace ui::library::texts
