#include "cli/TerminalText.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

// Sets the terminal's title and clears the screen.
constexpr std::string_view kHostile = "\x1B]0;owned\x07\x1B[2J";

TEST(TerminalText, EscapesControlsAndBrokenBytesAndKeepsText) {
    EXPECT_EQ(cli::terminalText("日本語 Band\tName"), "日本語 Band\tName");
    EXPECT_EQ(cli::terminalText(kHostile), "\\x1B]0;owned\\x07\\x1B[2J");
    EXPECT_EQ(cli::terminalText("a\nb\rc\x7F"), "a\\x0Ab\\x0Dc\\x7F");
    // C1 controls such as U+009B (a one-character CSI), and bytes that are
    // no UTF-8 (a lone 0x9B is CSI to an 8-bit terminal).
    EXPECT_EQ(cli::terminalText("\xC2\x9B"
                                "2J \x9B \xE3\x81"),
              "\\xC2\\x9B2J \\x9B \\xE3\\x81");
    EXPECT_EQ(cli::terminalText("\xC2\xA0"), "\xC2\xA0");  // U+00A0 is text
}

}  // namespace
