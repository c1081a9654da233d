#include "platform/WaveOut.h"

namespace platform {

namespace {

struct ErrorText {
    uint32_t number;
    const char* text;
};

constexpr ErrorText kTexts[] = {
    {kMmNoError, "エラーは発生していません。"},
    {kMmError, "原因不明のエラーが発生しました。"},
    {kMmBadDeviceId, "指定されたデバイス ID は範囲外です。"},
    {kMmNotEnabled, "ドライバを有効にできませんでした。"},
    {kMmAllocated,
     "指定されたデバイスは既に使用されています。デバイスが解放されるまで待ってから、もう一度実行"
     "してください。"},
    {kMmInvalidHandle, "指定されたデバイス ハンドルは無効です。"},
    {kMmNoDriver, "使用できるオーディオ デバイスのドライバがありません。"},
    {kMmNoMemory,
     "メモリが不足しています。ほかのアプリケーションを終了してから、もう一度実行して"
     "ください。"},
    {kMmNotSupported, "この関数はサポートされていません。"},
    {kMmInvalidFlag, "無効なフラグが関数に渡されました。"},
    {kMmInvalidParam, "無効なパラメータが関数に渡されました。"},
    {kWaveBadFormat, "指定された形式はサポートされていないか、変換できません。"},
    {kWaveStillPlaying,
     "メディア データの再生中は、この操作を実行できません。デバイスをリセットす"
     "るか、データの再生が終わるまで待ってください。"},
    {kWaveUnprepared,
     "ヘッダーが準備されていません。ヘッダーを準備してから、もう一度実行してくださ"
     "い。"},
};

}  // namespace

bool waveOutErrorText(uint32_t mmResult, std::string& text) {
    for (const ErrorText& e : kTexts) {
        if (e.number == mmResult) {
            text = e.text;
            return true;
        }
    }
    return false;
}

}  // namespace platform
