#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "CliRun.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"

namespace {

constexpr size_t kFrameBytes = 4;  // 16-bit stereo
constexpr size_t kHeaderBytes = 44;

void put32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// `frames` of 44.1 kHz 16-bit stereo, every byte `fill`, so that each
// item is told apart in what was heard.
std::string waveBytes(size_t frames, char fill) {
    const auto data = static_cast<uint32_t>(frames * kFrameBytes);
    std::string out = "RIFF";
    put32(out, 36 + data);
    out += "WAVEfmt ";
    put32(out, 16);
    out += std::string("\x01\x00\x02\x00", 4);
    put32(out, 44100);
    put32(out, 44100 * 4);
    out += std::string("\x04\x00\x10\x00", 4);
    out += "data";
    put32(out, data);
    return out + std::string(data, fill);
}

class PlayQueueCli : public ::testing::Test {
  protected:
    PlayQueueCli() {
        for (const auto& [name, item] : items_) {
            std::ofstream(dir_ / name, std::ios::binary) << waveBytes(item.first, item.second);
        }
    }

    CliRun play(const std::string& options, const std::vector<std::string>& names) {
        std::string command = "play --device file:" + quoted(heard_) + " " + options;
        for (const auto& name : names)
            command += " " + quoted(dir_ / name);
        return cli(command);
    }
    // The data chunk of what was heard.
    std::string heard() const { return readText(heard_).substr(kHeaderBytes); }
    static std::string audio(const std::string& name) {
        return std::string(items_.at(name).first * kFrameBytes, items_.at(name).second);
    }
    static std::string silence(size_t ms) { return std::string(ms * 441 / 10 * kFrameBytes, 0); }

    TempSettings settings_;
    const testsupport::TempDir dir_;
    const std::filesystem::path heard_ = dir_ / "heard.wav";
    static inline const std::map<std::string, std::pair<size_t, char>> items_ = {
        {"a.wav", {22050, 'a'}}, {"b.wav", {13230, 'b'}}, {"c.wav", {8820, 'c'}}};
};

TEST_F(PlayQueueCli, AGapIsHeardAsExactlyThatMuchSilenceBetweenItems) {
    const CliRun run = play("--gap 10", {"a.wav", "b.wav", "c.wav"});
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out,
              "Title:a.wav\nStarted\nFinished\nposition 500\n"
              "Title:b.wav\nStarted\nFinished\nposition 300\n"
              "Title:c.wav\nStarted\nFinished\nposition 200\n");
    EXPECT_TRUE(heard() ==
                audio("a.wav") + silence(1000) + audio("b.wav") + silence(1000) + audio("c.wav"));
    // Without a gap the items follow one another directly.
    ASSERT_EQ(play("", {"c.wav", "a.wav"}).exitCode, 0);
    EXPECT_TRUE(heard() == audio("c.wav") + audio("a.wav"));
}

TEST_F(PlayQueueCli, RepeatOnePlaysTheItemAgainUntilThePlayLimit) {
    const CliRun run = play("--repeat one --plays 3", {"c.wav", "b.wav"});
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out,
              "Title:c.wav\n"
              "Started\nFinished\nposition 200\nStarted\nFinished\nposition 200\n"
              "Started\nFinished\nposition 200\n");
    EXPECT_TRUE(heard() == audio("c.wav") + audio("c.wav") + audio("c.wav"));
}

TEST_F(PlayQueueCli, ShuffleWithASeedPlaysTheSamePermutationEveryTime) {
    const std::vector<std::string> names = {"a.wav", "b.wav", "c.wav"};
    const CliRun first = play("--shuffle --seed 7", names);
    ASSERT_EQ(first.exitCode, 0) << first.out;
    std::vector<std::string> order;
    std::string expected;
    for (size_t at = 0; (at = first.out.find("Title:", at)) != std::string::npos; ++at) {
        order.push_back(first.out.substr(at + 6, 5));
        expected += audio(order.back());
    }
    EXPECT_TRUE(std::is_permutation(order.begin(), order.end(), names.begin(), names.end()));
    EXPECT_TRUE(heard() == expected);
    EXPECT_EQ(play("--shuffle --seed 7", names).out, first.out);
}

TEST_F(PlayQueueCli, AnItemThatCannotPlayIsPassedOverAndBadOptionsAreRefused) {
    const CliRun run = play("", {"a.wav", "none.wav", "c.wav"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("Title:none.wav\nerror 0x83EB0101"), std::string::npos) << run.out;
    EXPECT_TRUE(heard() == audio("a.wav") + audio("c.wav"));
    for (const char* bad : {"--repeat twice", "--gap x", "--plays 0", "--seed -1"}) {
        EXPECT_EQ(play(bad, {"a.wav"}).exitCode, 2) << bad;
    }
}

}  // namespace
