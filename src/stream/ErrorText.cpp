#include "stream/ErrorText.h"

#include <cstring>
#include <string_view>

#include "platform/WaveOut.h"
#include "stream/ResultCodes.h"

namespace {

struct Entry {
    uint32_t code;
    std::string_view text;
};

// Searched in this order; the order is part of the table.
constexpr Entry kTable[] = {
    {0x83E90002, "録音中は CD の再生は行えません。"},
    {0x83EA0001, "メモリが足りません。"},
    {0x83EA0006,
     "現在の形式のファイルを再生できる CODEC はインストールされていません。\r\n"
     "コントロールパネルの[マルチメディア］を使用して必要な CODEC をインストールしてください。"},
    {0x83EA0007,
     "エンコードに必要な CODEC がインストールされていないか、この CODEC "
     "では指定のフォーマットへ変換できません。"},
    {0x83EA0009, "内部エラーが発生しました。"},
    {0x83EA000A, "CD 読み込み中にエラーが発生しました。"},
    {0x83EA000D, "このファイルを処理するデコーダが見つかりません。"},
    {0x83EA000E, "このファイルは著作権保護されています。読み込めませんでした。"},
    {0x83EA000F, "このファイルは再生するためのライセンスがありません。読み込めませんでした。"},
    {0x83EA0010, "著作権保護されたファイルのため読み込めませんでした。"},
    {0x83EA0065, "サウンドデバイスがありません。"},
    {0x83EA0066, "デバイスはすでに使用中です。"},
    {0x83EA0067, "サポートされていないウェーブ形式でオープンしようとしました。"},
    {0x83EA0011, "この RIFF ファイルにはサポートしている CHUNK がないかファイルが壊れています。"},
    {0x83EC0001, "MMSYSTEM でエラーが発生しました。"},
    {0x83EC0002, "デバイスIDが無効です。"},
    {0x83EC0003, "デバイスドライバーが有効ではありません。"},
    {0x83EC0004, "デバイスは割り当て済みです。"},
    {0x83EC0005, "ハンドルが無効です。"},
    {0x83EC0006, "デバイスドライバがありません。"},
    {0x83EC0007, "メモリが不足しています。"},
    {0x83EC0008, "この機能はサポートされていません。"},
    {0x83EC000C, "ハンドルは使用中です。"},
    {0x83EB0101, "ファイルが見つかりません。"},
    {0x83EB0102, "メモリが足りません。"},
    {0x83EB0103, "ファイルをオープンできません。"},
    {0x83EB0104, "ファイルをクローズできません。"},
    {0x83EB0105, "ファイルの読み込みに失敗しました。"},
    {0x83EB0106, "ファイルの書き出しに失敗しました。"},
    {0x83EB0107, "ファイルシークエラー"},
    {0x83EB0108, ""},
    {0x83EB0109, "指定のチャンクが見つかりません。又は、WAVE ファイルではありません。"},
    {0x83EB010A, ""},
    {0x83EB010B, "パスが見つかりません。"},
    {0x83EB010C, "ファイルにアクセスできません。"},
    {0x83EB010D, "共有違反が発生しました。"},
    {0x83EB010E, "ネットワークエラーが発生しました。"},
    {0x83EB010F, "開かれているファイルが多すぎます。"},
    {0x83EB0110, "ファイルハンドルが無効です。"},
};

constexpr std::string_view kDefaultText = "未定義のエラーが発生しました。";

// The system's own texts: the generic codes, and C library errors.
bool systemMessage(uint32_t code, std::string& text) {
    switch (code) {
        case nxss::kFail:
            text = "エラーを特定できません。";
            return true;
        case nxss::kNoInterface:
            text = "サポートされていないインターフェイスです。";
            return true;
        default:
            break;
    }
    if ((code & ~0xFFFFu) != (nxss::kFailureBit | nxss::kFacilityErrno)) {
        return false;
    }
    char buffer[256];
    const char* message = strerror_r(static_cast<int>(code & 0xFFFF), buffer, sizeof buffer);
    text = message;
    return !text.empty();
}

}  // namespace

std::string GetErrorText(uint32_t code) {
    for (const Entry& entry : kTable) {
        if (entry.code == code) {
            return std::string(entry.text);
        }
    }
    std::string text;
    const uint32_t facility = nxss::facility(code);
    if (facility == nxss::kFacilityWaveIn || facility == nxss::kFacilityWaveOut) {
        return platform::waveOutErrorText(code & 0xFFFF, text) ? text : std::string(kDefaultText);
    }
    return systemMessage(code, text) ? text : std::string(kDefaultText);
}
