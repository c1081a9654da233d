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
    {nxss::kCdWhileRecording, "録音中は CD の再生は行えません。"},
    {nxss::kOutOfMemory, "メモリが足りません。"},
    {nxss::kNoPlaybackCodec,
     "現在の形式のファイルを再生できる CODEC はインストールされていません。\r\n"
     "コントロールパネルの[マルチメディア］を使用して必要な CODEC をインストールしてください。"},
    {nxss::kNoEncodeCodec,
     "エンコードに必要な CODEC がインストールされていないか、この CODEC "
     "では指定のフォーマットへ変換できません。"},
    {nxss::kInternal, "内部エラーが発生しました。"},
    {nxss::kCdReadError, "CD 読み込み中にエラーが発生しました。"},
    {nxss::kNoDecoder, "このファイルを処理するデコーダが見つかりません。"},
    {nxss::kProtected, "このファイルは著作権保護されています。読み込めませんでした。"},
    {nxss::kNoLicense,
     "このファイルは再生するためのライセンスがありません。読み込めませんでした。"},
    {nxss::kProtectedFile, "著作権保護されたファイルのため読み込めませんでした。"},
    {nxss::kNoSoundDevice, "サウンドデバイスがありません。"},
    {nxss::kDeviceInUse, "デバイスはすでに使用中です。"},
    {nxss::kUnsupportedWaveFormat, "サポートされていないウェーブ形式でオープンしようとしました。"},
    {nxss::kBadRiff,
     "この RIFF ファイルにはサポートしている CHUNK がないかファイルが壊れています。"},
    {nxss::kMmSystemError, "MMSYSTEM でエラーが発生しました。"},
    {nxss::kMmBadDeviceId, "デバイスIDが無効です。"},
    {nxss::kMmNotEnabled, "デバイスドライバーが有効ではありません。"},
    {nxss::kMmAllocated, "デバイスは割り当て済みです。"},
    {nxss::kMmInvalidHandle, "ハンドルが無効です。"},
    {nxss::kMmNoDriver, "デバイスドライバがありません。"},
    {nxss::kMmNoMemory, "メモリが不足しています。"},
    {nxss::kMmNotSupported, "この機能はサポートされていません。"},
    {nxss::kMmHandleBusy, "ハンドルは使用中です。"},
    {nxss::kFileNotFound, "ファイルが見つかりません。"},
    {nxss::kFileOutOfMemory, "メモリが足りません。"},
    {nxss::kFileCannotOpen, "ファイルをオープンできません。"},
    {nxss::kFileCannotClose, "ファイルをクローズできません。"},
    {nxss::kFileReadFailed, "ファイルの読み込みに失敗しました。"},
    {nxss::kFileWriteFailed, "ファイルの書き出しに失敗しました。"},
    {nxss::kFileSeekFailed, "ファイルシークエラー"},
    {nxss::kFileCannotExpand, ""},
    {nxss::kChunkNotFound, "指定のチャンクが見つかりません。又は、WAVE ファイルではありません。"},
    {nxss::kFileUnbuffered, ""},
    {nxss::kPathNotFound, "パスが見つかりません。"},
    {nxss::kAccessDenied, "ファイルにアクセスできません。"},
    {nxss::kSharingViolation, "共有違反が発生しました。"},
    {nxss::kNetworkError, "ネットワークエラーが発生しました。"},
    {nxss::kTooManyOpenFiles, "開かれているファイルが多すぎます。"},
    {nxss::kInvalidFileHandle, "ファイルハンドルが無効です。"},
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
