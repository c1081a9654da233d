#include "stream/ErrorText.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "stream/ResultCodes.h"

TEST(ErrorText, TableTextsAndTheirEmptyEntries) {
    EXPECT_EQ(GetErrorText(0x83EA000D), "このファイルを処理するデコーダが見つかりません。");
    EXPECT_EQ(GetErrorText(0x83E90002), "録音中は CD の再生は行えません。");
    EXPECT_EQ(GetErrorText(0x83EB0110), "ファイルハンドルが無効です。");
    EXPECT_EQ(GetErrorText(0x83EB0108), "");
    EXPECT_EQ(GetErrorText(0x83EB010A), "");
    const std::string codec = GetErrorText(0x83EA0006);
    EXPECT_NE(codec.find("\r\n"), std::string::npos);
}

TEST(ErrorText, UnlistedCodesFallBackToTheDefaultText) {
    const std::string fallback = "未定義のエラーが発生しました。";
    EXPECT_EQ(GetErrorText(0x83EA0008), fallback);
    EXPECT_EQ(GetErrorText(0x83EA000B), fallback);
    EXPECT_EQ(GetErrorText(0x12345678), fallback);
}

TEST(ErrorText, DeviceAndSystemCodesUseThePlatformTexts) {
    const std::string busy = GetErrorText(nxss::kWaveOutBusy);
    EXPECT_FALSE(busy.empty());
    EXPECT_NE(busy, "未定義のエラーが発生しました。");
    EXPECT_EQ(GetErrorText(0x83EE7777), "未定義のエラーが発生しました。");
    EXPECT_FALSE(GetErrorText(nxss::errnoError(ENOSPC)).empty());
    EXPECT_NE(GetErrorText(nxss::kFail), "未定義のエラーが発生しました。");
}
