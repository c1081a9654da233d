#include "app/RecordingRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "CdImage.h"
#include "app/Engine.h"
#include "mp3/writer/CNxSSMp3WriterSettings.h"
#include "stream/CNxSSManager.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"

namespace {

namespace fs = std::filesystem;
using app::RecordingEntry;
using app::RecordingRun;

// Runs of MP3 entries, two at once, over silence of a given length and the
// tracks of a CUE/BIN image mounted as drive D:.
class RecordingRunTest : public ::testing::Test {
  protected:
    RecordingRunTest() { ::setenv("MELODUX_CD_IMAGES", image_.cuePath().c_str(), 1); }
    ~RecordingRunTest() override { ::unsetenv("MELODUX_CD_IMAGES"); }

    void add(const std::string& source, const std::string& name, int32_t seconds) {
        RecordingEntry entry;
        entry.sourcePath = source;
        entry.outputPath = (out_ / name).string();
        entry.lengthSeconds = seconds;
        entry.selection = RecordingEntry::kSelected;
        entries_.push_back(entry);
    }

    RecordingRun::Hooks hooks() {
        RecordingRun::Hooks hooks;
        hooks.askRecordedAgain = [](const RecordingEntry&) { return RecordingRun::Question{}; };
        hooks.finished = [this](size_t index) { filed_.push_back(index); };
        hooks.changed = [this](size_t) { mostRecording_ = std::max(mostRecording_, recording()); };
        hooks.ended = [this] { ++ended_; };
        return hooks;
    }

    int recording() const {
        return static_cast<int>(std::count_if(entries_.begin(), entries_.end(), [](auto& entry) {
            return entry.status == RecordingEntry::kRecording;
        }));
    }

    // Polls as the panel's timer does, until `done` or a minute (the
    // sanitizer builds encode many times slower).
    template <typename Done>
    bool pollUntil(RecordingRun& run, Done done) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!done() && std::chrono::steady_clock::now() < end) {
            run.poll();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return done();
    }

    TempSettings settings_;
    testsupport::TempDir disc_;
    testsupport::TempDir out_;
    cdtest::CdImage image_{disc_.path(), {{true, 100}, {true, 75}}};
    const app::Engine engine_;
    std::vector<RecordingEntry> entries_;
    std::vector<size_t> filed_;
    int mostRecording_ = 0;
    int ended_ = 0;
};

// The long first entry is still being written when the short ones are
// done: they wait for it, so the library gets the files in list order. A
// failing entry is marked at once and the others go on; the last one is
// still being written when the search for more wraps around, and is
// written once.
TEST_F(RecordingRunTest, TwoAtOnceFileInListOrderAndAFailureLetsTheOthersGoOn) {
    add("::SLNC60000", "long.mp3", 60);
    add("D:\\Track1.cda", "short.mp3", 1);
    add("D:\\Track2.cda", "folder.mp3", 1);
    add("D:\\Track2.cda", "third.mp3", 1);
    add("::SLNC30000", "last.mp3", 30);
    fs::create_directories(entries_[2].outputPath);  // a folder where the file should go
    RecordingRun run(
        engine_, entries_, [](const RecordingEntry& entry) { return entry.sourcePath; }, hooks());

    ASSERT_TRUE(run.start(CNxSSManager::kSinkMp3, 2));
    EXPECT_EQ(run.current(), 0);
    ASSERT_TRUE(pollUntil(run, [&] { return !run.running(); }));

    EXPECT_EQ(mostRecording_, 2);
    EXPECT_EQ(filed_, (std::vector<size_t>{0, 1, 3, 4}));
    EXPECT_EQ(entries_[2].status, RecordingEntry::kFailed);
    EXPECT_FALSE(entries_[2].error.empty());
    EXPECT_TRUE(fs::is_empty(entries_[2].outputPath));
    for (size_t i : {0u, 1u, 3u, 4u}) {
        EXPECT_EQ(entries_[i].status, RecordingEntry::kRecorded) << i;
        EXPECT_EQ(entries_[i].size, static_cast<int64_t>(fs::file_size(entries_[i].outputPath)));
    }
    EXPECT_EQ(ended_, 1);
}

TEST_F(RecordingRunTest, StopWithTwoEntriesBeingWrittenLeavesNoPartialFile) {
    add("::SLNC3600000", "one.mp3", 3600);
    add("::SLNC3600000", "two.mp3", 3600);
    add("D:\\Track1.cda", "three.mp3", 1);
    RecordingRun run(
        engine_, entries_, [](const RecordingEntry& entry) { return entry.sourcePath; }, hooks());
    ASSERT_TRUE(run.start(CNxSSManager::kSinkMp3, 2));
    ASSERT_TRUE(pollUntil(run, [&] {
        const RecordingRun::Progress at = run.progress();
        return at.positionMs > 0 && at.writingMs > at.positionMs;
    }));
    EXPECT_EQ(run.progress().lengthMs, 3600000);
    EXPECT_FALSE(out_.names().empty());  // the temporaries being written

    run.stop();
    EXPECT_FALSE(run.running());
    EXPECT_EQ(run.current(), -1);
    EXPECT_EQ(entries_[0].status, RecordingEntry::kAborted);
    EXPECT_EQ(entries_[1].status, RecordingEntry::kAborted);
    EXPECT_EQ(entries_[2].status, RecordingEntry::kNone);
    EXPECT_TRUE(out_.names().empty());
    EXPECT_TRUE(filed_.empty());
    EXPECT_EQ(ended_, 1);
}

// An entry with a format of its own is written in it, whatever the run's.
TEST_F(RecordingRunTest, AnEntryWithItsOwnFormatIsWrittenInIt) {
    add("::SLNC2000", "plain.wav", 2);
    add("::SLNC2000", "own.mp3", 2);
    mp3::enc::Mp3WriterSettings values;
    values.bitrate = 192000;
    entries_[1].format = MakeNx<CNxSSMp3WriterSettings>(values);
    RecordingRun run(
        engine_, entries_, [](const RecordingEntry& entry) { return entry.sourcePath; }, hooks());

    ASSERT_TRUE(run.start(CNxSSManager::kSinkWave, 1));
    ASSERT_TRUE(pollUntil(run, [&] { return !run.running(); }));

    ASSERT_EQ(entries_[0].status, RecordingEntry::kRecorded);
    ASSERT_EQ(entries_[1].status, RecordingEntry::kRecorded);
    std::string riff(4, '\0');
    std::ifstream(entries_[0].outputPath, std::ios::binary).read(riff.data(), 4);
    EXPECT_EQ(riff, "RIFF");
    // Two seconds at 192 kbps, give or take the encoder's padding frames.
    EXPECT_NEAR(double(fs::file_size(entries_[1].outputPath)), 2 * 192000 / 8, 3000);
}

}  // namespace
