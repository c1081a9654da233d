#include "stream/ErrorText.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "stream/ResultCodes.h"

// Table texts, the table's empty entries, the default for unlisted codes,
// and the platform's texts for device and system codes (melodux-cli errtext
// and play show more of the table end to end).
TEST(ErrorText, TableEntriesFallbackAndPlatformTexts) {
    const std::string fallback = "未定義のエラーが発生しました。";
    const std::pair<uint32_t, std::string> table[] = {
        {0x83E90002, "録音中は CD の再生は行えません。"},
        {0x83EB0110, "ファイルハンドルが無効です。"},
        {0x83EB010A, ""},
        {0x83EA000B, fallback},
        {0x12345678, fallback},
        {0x83EE7777, fallback},
    };
    for (const auto& [code, text] : table) {
        EXPECT_EQ(GetErrorText(code), text) << std::hex << code;
    }
    EXPECT_NE(GetErrorText(0x83EA0006).find("\r\n"), std::string::npos);
    for (const uint32_t code : {nxss::kWaveOutBusy, nxss::errnoError(ENOSPC), nxss::kFail}) {
        EXPECT_FALSE(GetErrorText(code).empty()) << std::hex << code;
        EXPECT_NE(GetErrorText(code), fallback) << std::hex << code;
    }
}
