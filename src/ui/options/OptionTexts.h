#pragma once

#include <array>
#include <string_view>

// The options dialog's words, exactly as the user sees them.
namespace ui::options::texts {

inline constexpr std::string_view kTitle = "オプション (Ctrl+9)";

inline constexpr std::array<std::string_view, 6> kPageTitles{"録音", "保存",     "CDドライブ",
                                                             "CDDB", "関連付け", "再生"};

// Recording format
inline constexpr std::string_view kFileType = "ファイル形式(&T)";
inline constexpr std::string_view kNoSettings = "このフォーマットは設定できません。";
inline constexpr std::string_view kCbr = "CBR(&B)";
inline constexpr std::string_view kVbr = "VBR(&V)";
inline constexpr std::string_view kCopyright = "コピーライト(&Y)";

// Output
inline constexpr std::string_view kFolder = "保存先(&D)：";
inline constexpr std::string_view kBrowse = "参照(&T)...";
inline constexpr std::string_view kBrowsePrompt = "ﾌｫﾙﾀﾞを選んでください";
inline constexpr std::string_view kSubfolder = "サブフォルダ";
inline constexpr std::array<std::string_view, 3> kSubfolderChoices{"なし(&N)", "Album(&L)",
                                                                   "Artist-Album(&R)"};
inline constexpr std::string_view kNaming = "ファイル命名規則(&M)";
inline constexpr std::array<std::string_view, 5> kNamingParts{"Artist", "Album", "Title",
                                                              "TrackNo.", "なし"};
inline constexpr std::string_view kNoFolder = "保存先が設定されていません。";
inline constexpr std::string_view kNamingNeedsTitle =
    "ファイル命名規則には必ずTitleまたはTrackNoが必要です。";

// CD drive
inline constexpr std::string_view kDrive = "CDドライブ(&D)：";
inline constexpr std::string_view kAutomatic = "自動選択";
// The CD writing program of the list/edit panel's CD-R command.
inline constexpr std::string_view kCdrCommand = "CD-Rライティングのコマンド(&W)：";
inline constexpr std::string_view kCdrCommandTip =
    "%s はプレイリスト (M3U) ファイルのパスに置き換えられます。";

// CDDB
inline constexpr std::string_view kCddbEnable = "CDDBに自動的に接続(&P)：";
inline constexpr std::string_view kCddbServer = "CDDB サーバー名(&N)：";
inline constexpr std::string_view kReload = "再読込(&R)";
inline constexpr std::string_view kMail = "メールアドレス(&A)：";
inline constexpr std::string_view kDefaultServerSuffix = " Default CDDB Server";
// The browser's connection settings of the original advice are the
// desktop's proxy settings here.
inline constexpr std::string_view kNetworkError =
    "通信エラーが発生しました。\n回線が接続されているか、プロキシの設定が正しくなされているか"
    "確認してください。";
inline constexpr std::string_view kServerRefused =
    "CDDB サーバーからサーバー一覧を受け取れませんでした。";

// Associations
inline constexpr std::string_view kAssociations = "ファイルの関連付け";
inline constexpr std::string_view kAssociationsFailed =
    "ファイルの関連付けを変更できませんでした。";
// In the page's order; each names its type in kAssociatedTypes.
inline constexpr std::array<std::string_view, 6> kAssociationBoxes{
    ".mp3(&3)", ".wav(&W)", ".wma(&M)", ".m3u(&U)", ".pls(&P)", ".rmp(&R)"};

// Playback
inline constexpr std::string_view kInsertBlank = "曲間に無音を挿入(&I)";
inline constexpr std::array<std::string_view, 9> kBlankLengths{"1.0 sec", "1.5 sec", "2.0 sec",
                                                               "2.5 sec", "3.0 sec", "3.5 sec",
                                                               "4.0 sec", "4.5 sec", "5.0 sec"};
inline constexpr std::string_view kReplayGain = "リプレイゲイン";
// In the order of app::ReplayGainMode.
inline constexpr std::array<std::string_view, 3> kReplayGainModes{"オフ", "トラック", "アルバム"};
inline constexpr std::string_view kPreamp = "プリアンプ(&A)：";
inline constexpr std::string_view kDecibelSuffix = " dB";

}  // namespace ui::options::texts
