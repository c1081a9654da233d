#pragma once

#include <array>
#include <string_view>

// The recording panel's words for the user.
namespace ui::record::texts {

inline constexpr std::string_view kPanelTitle = "Recording";
inline constexpr std::string_view kNoCd = "音楽CDがセットされていません。";
inline constexpr std::string_view kSetAlbumTitle = "Album Titleを設定してください。";
inline constexpr std::string_view kOverwriteQuestion =
    "レコーディング対象ファイルの中に上書きコンバートされるファイルが含まれます。続けますか？";
inline constexpr std::string_view kRecordedAgain = "'%1'はすでに録音済みです。\n録音しますか？";
inline constexpr std::string_view kYes = "はい(&Y)";
inline constexpr std::string_view kNo = "いいえ(&N)";
inline constexpr std::string_view kCancel = "ｷｬﾝｾﾙ";
inline constexpr std::string_view kAll = "全て(&A)";
inline constexpr std::string_view kNotConvertible =
    "このファイル形式はコンバート元として選択できません。";
inline constexpr std::string_view kNoFormat =
    "録音形式が使えません。オプションの録音設定を確かめてください。";
inline constexpr std::string_view kAddFilter =
    "MPEG Audio Layer 3 ファイル(*.mp3;*.rmp)|*.mp3;*.rmp|WAVE ファイル(*.wav)|*.wav|"
    "全てのミュージックファイル|*.mp3;*.rmp;*.wav||";
inline constexpr std::string_view kRecordingStatus = "Recording(%1%) %2.%3";
inline constexpr std::string_view kNoDisc = "No Disc";
inline constexpr std::string_view kAccessingCddb = "Acceessing CDDB(TM)";
inline constexpr std::string_view kNetworkError =
    "通信エラーが発生しました。\n回線が接続されているか、プロキシの設定が正しくなされているか"
    "確認してください。";
inline constexpr std::string_view kDiscTitle = "Album Title";
inline constexpr std::string_view kDiscArtist = "Artist";
inline constexpr std::string_view kDiscExtra = "Comment";
inline constexpr std::string_view kBadMailAddress = "メールアドレスの設定が正しくありません。";
inline constexpr std::string_view kPostQuestion = "本当にこのデータをポストしますか？";
inline constexpr std::string_view kPostDoubleByteQuestion =
    "入力した文字列に全角文字が含まれる場合、正しく送信できません。\n本当にこのデータをポストします"
    "か？";
inline constexpr std::string_view kPostRefused = "CDDB サーバーがデータを受け付けませんでした。";
inline constexpr std::string_view kFreeSpace = "空き容量 %1  合計 %2  %3";

// The buttons' tooltips.
inline constexpr std::string_view kLookUp = "CD情報取得 (Alt+D)";
inline constexpr std::string_view kStart = "録音開始 (Alt+R)";
inline constexpr std::string_view kStop = "録音停止 (Alt+Q)";
inline constexpr std::string_view kEject = "CD取り出し (Alt+O)";
inline constexpr std::string_view kSelectAll = "全トラック選択 (Alt+N)";
inline constexpr std::string_view kSelectNone = "全トラック選択解除 (Alt+M)";
inline constexpr std::string_view kAddFiles = "ミュージックファイルの追加 (Alt+I)";
inline constexpr std::string_view kOptions = "オプション (Ctrl+9)";
inline constexpr std::string_view kPost = "CDDBへポスト (Alt+P)";

// The list's command for the selected entry.
inline constexpr std::string_view kEntryFormat = "録音形式(&F)...";

// Status texts by status number; the last is a failed entry's.
inline constexpr std::array<std::string_view, 6> kStatus = {"",        "Recording",     "Recorded",
                                                            "Aborted", "Setting Error", "Failed"};

// The column headers, by data column.
inline constexpr std::array<std::string_view, 10> kColumns = {
    "", "", "No.", "Title", "Status", "Time", "Size", "Output", "Format", "Source"};

}  // namespace ui::record::texts
