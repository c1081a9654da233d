#pragma once

#include <string_view>

// The list/edit panel's words for the user.
namespace ui::library::texts {

inline constexpr std::string_view kAllItems = "全て";
inline constexpr std::string_view kEnterPlaylistName = "プレイリスト名を入力してください。";
inline constexpr std::string_view kPlaylistNameTaken = "すでに同名のプレイリストが存在します。";
inline constexpr std::string_view kPlaylistNameUnusable = "このプレイリスト名は使えません。";
inline constexpr std::string_view kAddToExisting =
    "すでに同名のプレイリストが存在します。追加しますか？";
inline constexpr std::string_view kSomeFilesNotAdded =
    "いくつかのミュージックファイルが登録できませんでした。";
inline constexpr std::string_view kExportFailed = "プレイリストのエクスポートに失敗しました。";
// Removing library records or playlists cannot be undone: asked first.
inline constexpr std::string_view kDeleteItemsQuestion =
    "選択したミュージックファイルをライブラリから削除しますか？";
inline constexpr std::string_view kSyncQuestion = "ミュージックファイル情報の同期を行いますか？";
inline constexpr std::string_view kDeletePlaylistsQuestion = "選択したプレイリストを削除しますか？";
inline constexpr std::string_view kNoCdWriter = "CD-Rドライブが見つかりませんでした。";
inline constexpr std::string_view kBusyRecording = "録音中は処理できません。";
inline constexpr std::string_view kUnburnableQuestion =
    "焼き込みできないミュージックファイル形式が含まれます。\n処理を継続しますか？";
// Without a CD writing program the user learns what to install or set.
inline constexpr std::string_view kNoCdrCommand =
    "CD-Rライティングを行うプログラムが設定されていません。\n"
    "brasero をインストールする (sudo apt install brasero) か、"
    "オプションの「CDドライブ」でコマンドを設定してください。";
inline constexpr std::string_view kCdrNotStarted =
    "CD-Rライティングを行うプログラムを起動できませんでした。";

inline constexpr std::string_view kPanelTitle = "List/Edit";
inline constexpr std::string_view kLibraryTab = "ライブラリ";
inline constexpr std::string_view kPlaylistTab = "プレイリスト";
inline constexpr std::string_view kAdding = "ミュージックファイルを登録しています...";
inline constexpr std::string_view kSyncing = "ミュージックファイル情報を同期しています...";
inline constexpr std::string_view kCancel = "キャンセル";
inline constexpr std::string_view kImportTitle = "インポート";
inline constexpr std::string_view kExportTitle = "エクスポート";
inline constexpr std::string_view kChoosePlaylistTitle = "プレイリストの選択";
inline constexpr std::string_view kChooseExisting = "プレイリストの選択(&S)";
inline constexpr std::string_view kChooseNew = "新しいプレイリスト(&N)";

// The media module's formats come last, so a stored filter number keeps
// choosing the entry it chose.
// clang-format off
inline constexpr std::string_view kMusicFilter =
    "MPEG Audio Layer 3 ファイル(*.mp3;*.rmp)|*.mp3;*.rmp|"
    "Windows Media Audio ファイル(*.wma)|*.wma|"
    "WAVE ファイル(*.wav)|*.wav|"
    "全てのミュージックファイル|*.mp3;*.rmp;*.wma;*.wav;"
        "*.flac;*.ogg;*.oga;*.opus;*.spx;*.m4a;*.m4b;*.aac;*.aif;*.aiff;*.aifc;*.ape;*.wv;*.mka;"
        "*.mpc;*.ac3;*.tta;*.caf|"
    "FLAC, Ogg, Opus, AAC ほかのファイル|"
        "*.flac;*.ogg;*.oga;*.opus;*.spx;*.m4a;*.m4b;*.aac;*.aif;*.aiff;*.aifc;*.ape;*.wv;*.mka;"
        "*.mpc;*.ac3;*.tta;*.caf||";
// clang-format on
inline constexpr std::string_view kPlaylistFilter =
    "プレイリスト(*.m3u)|*.m3u|プレイリスト(*.pls)|*.pls||";

// Buttons and their tooltips.
inline constexpr std::string_view kFileInfoTip = "ファイル情報の編集 (Alt+E)";
inline constexpr std::string_view kEditMenuTip = "編集メニューの選択 (Alt+S)";
inline constexpr std::string_view kUpTip = "１つ上へ (Alt+↑)";
inline constexpr std::string_view kDownTip = "１つ下へ (Alt+↓)";
inline constexpr std::string_view kCdrTip = "CD-Rライティング (Alt+5)";
inline constexpr std::string_view kShowAllTip = "全て (Alt+1)";
inline constexpr std::string_view kByArtistTip = "アーティスト (Alt+2)";
inline constexpr std::string_view kByAlbumTip = "アルバム (Alt+3)";
inline constexpr std::string_view kByGenreTip = "ジャンル (Alt+4)";

// Menu entries.
inline constexpr std::string_view kAddFiles = "追加(&A)...";
inline constexpr std::string_view kAddFolder = "フォルダの追加(&F)...";
inline constexpr std::string_view kDelete = "削除(&D)";
inline constexpr std::string_view kAddToPlaylist = "プレイリストへ追加(&L)...";
inline constexpr std::string_view kConvert = "別のフォーマットへコンバート(&T)";
inline constexpr std::string_view kProperties = "プロパティ(&P)...";
inline constexpr std::string_view kNewPlaylist = "プレイリストの新規作成(&C)";
inline constexpr std::string_view kRename = "名前の変更(&R)";
inline constexpr std::string_view kImport = "インポート(&I)...";
inline constexpr std::string_view kExport = "エクスポート(&E)...";
inline constexpr std::string_view kSync = "ミュージックファイル情報の同期(&Y)";
inline constexpr std::string_view kSearch = "ライブラリ検索(&S)...";
inline constexpr std::string_view kCopy = "コピー(&C)";
inline constexpr std::string_view kPaste = "貼り付け(&V)";

// The library search dialog.
inline constexpr std::string_view kSearchTitle = "ライブラリ検索";
inline constexpr std::string_view kSearchText = "検索文字列(&S)";
inline constexpr std::string_view kSearchGenre = "&Genre";
inline constexpr std::string_view kAllGenres = "-- 全てのジャンル --";
inline constexpr std::string_view kSearchFields = "検索対象";
inline constexpr std::string_view kFieldTitle = "&Title";
inline constexpr std::string_view kFieldArtist = "&Artist";
inline constexpr std::string_view kFieldAlbum = "A&lbum";
inline constexpr std::string_view kFieldComment = "&Comment";
inline constexpr std::string_view kFieldFileName = "&File Name";
inline constexpr std::string_view kSearchScope = "検索範囲";
inline constexpr std::string_view kScopeCurrent = "現在のグループ(&R)";
inline constexpr std::string_view kScopeLibrary = "ライブラリ全体(&B)";
inline constexpr std::string_view kHitsToPlaylist = "検索結果をプレイリストに追加(&P)";
inline constexpr std::string_view kSearchButton = "検索";
inline constexpr std::string_view kCloseButton = "閉じる";
inline constexpr std::string_view kNotFound = "見つかりませんでした。";
inline constexpr std::string_view kChooseOneField = "検索対象は、最低一つは選択してください。";

}  // namespace ui::library::texts
