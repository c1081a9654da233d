#include "platform/RegistryText.h"

#include <gtest/gtest.h>

using platform::RegistryHive;
using platform::RegistryParseError;
using platform::RegValue;

namespace {

RegistryHive parse(std::string_view text) {
    RegistryHive hive;
    RegistryParseError error;
    EXPECT_TRUE(platform::parseRegistryText(text, hive, error))
        << "line " << error.line << ": " << error.message;
    return hive;
}

RegistryParseError parseError(std::string_view text) {
    RegistryHive hive;
    RegistryParseError error;
    EXPECT_FALSE(platform::parseRegistryText(text, hive, error));
    EXPECT_TRUE(hive.empty());
    return error;
}

RegistryHive sampleHive() {
    RegistryHive h;
    const std::string wave = "Software\\Corvanta\\MP3 Melodux\\DoZIrodiz\\WaveOut";
    h.set(wave, "Blocks", RegValue::dword(5));
    h.set(wave, "DeviceID", RegValue::dword(0xFFFFFFFF));
    h.set("Software\\Corvanta\\MP3 Melodux\\Settings", "Title",
          RegValue::text("a \"b\" \\c\n\t\x01 日本語"));
    h.set("Software\\Corvanta\\MP3 Melodux\\Settings", "", RegValue::binary({0x01, 0xAB, 0x00}));
    h.set("Software\\Corvanta\\MP3 Melodux\\DoZIrodiz\\WaveWriter", "WaveType",
          RegValue::binary({}));
    h.createKey("Software\\Corvanta\\MP3 Melodux\\Empty");
    return h;
}

constexpr std::string_view kSampleText =
    "; MP3 Melodux settings\n"
    "\n"
    "[Software\\Corvanta\\MP3 Melodux\\DoZIrodiz\\WaveOut]\n"
    "\"Blocks\"=dword:00000005\n"
    "\"DeviceID\"=dword:ffffffff\n"
    "\n"
    "[Software\\Corvanta\\MP3 Melodux\\Settings]\n"
    "\"Title\"=\"a \\\"b\\\" \\\\c\\n\\t\\x01 日本語\"\n"
    "\"\"=hex:01,ab,00\n"
    "\n"
    "[Software\\Corvanta\\MP3 Melodux\\DoZIrodiz\\WaveWriter]\n"
    "\"WaveType\"=hex:\n"
    "\n"
    "[Software\\Corvanta\\MP3 Melodux\\Empty]\n";

}  // namespace

TEST(RegistryText, RendersEveryTypeExactlyAndParsesWhatItRenders) {
    EXPECT_EQ(platform::renderRegistryText(sampleHive()), kSampleText);
    EXPECT_EQ(parse(kSampleText), sampleHive());
}

TEST(RegistryText, RoundTripsEveryByteInNamesAndTexts) {
    std::string all;
    for (int c = 0; c < 256; ++c) {
        all += static_cast<char>(c);
    }
    all += "\xE3\x81\x82\xE3\x81";  // a valid character, then a cut one
    RegistryHive h;
    h.set("K", all, RegValue::text(all));
    const std::string text = platform::renderRegistryText(h);
    EXPECT_EQ(text.find('\0'), std::string::npos);
    EXPECT_NE(text.find("\xE3\x81\x82\\xE3\\x81"), std::string::npos);
    EXPECT_EQ(parse(text), h);
}

TEST(RegistryText, AcceptsHandEditedText) {
    const RegistryHive h = parse(
        "\xEF\xBB\xBF# written by hand\r\n"
        "  [\\Software\\\\App\\]  \r\n"
        "\"N\" = DWORD:1A\r\n"
        "\t\"Bytes\"=HEX: 0a , 0B,c\r\n"
        "[software\\app]\n"
        "\"n\"=\"later wins\"\n"
        "\"raw\ttab\"=\"x\"\n");
    ASSERT_EQ(h.keys().size(), 1u);
    EXPECT_EQ(h.keys()[0].path, "Software\\App");
    EXPECT_EQ(*h.find("SOFTWARE\\APP", "N"), RegValue::text("later wins"));
    EXPECT_EQ(*h.find("Software\\App", "bytes"), RegValue::binary({0x0A, 0x0B, 0x0C}));
    EXPECT_NE(h.find("Software\\App", "raw\ttab"), nullptr);
}

TEST(RegistryText, RejectsMalformedLinesWithTheirNumber) {
    struct Case {
        std::string_view text;
        size_t line;
    };
    using namespace std::string_view_literals;
    const Case cases[] = {
        {"\"Orphan\"=dword:1\n"sv, 1},
        {"[K]\n\"A\"=dword:\n"sv, 2},
        {"[K]\n\"A\"=dword:123456789\n"sv, 2},
        {"[K]\n\"A\"=qword:1\n"sv, 2},
        {"[K]\n\n\"A\"=\"open\n"sv, 3},
        {"[K]\n\"A\"=\"bad \\q escape\"\n"sv, 2},
        {"[K]\n\"A\"=\"short \\x4\"\n"sv, 2},
        {"[K]\n\"A\"=hex:01,\n"sv, 2},
        {"[K]\n\"A\"=hex:01 02\n"sv, 2},
        {"[K]\n\"A\"=hex:123\n"sv, 2},
        {"[K]\n\"A\" dword:1\n"sv, 2},
        {"[K]\n\"A\"=\"x\" trailing\n"sv, 2},
        {"[K\n"sv, 1},
        {"[\\\\]\n"sv, 1},
        {"[K]\nplain text\n"sv, 2},
        {"[K]\n\"A\"=\"nul\0\"\n"sv, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseError(c.text).line, c.line);
    }
}
