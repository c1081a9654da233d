#include "app/ConversionJob.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "CdImage.h"
#include "app/Engine.h"
#include "app/EntryFormat.h"
#include "app/StreamTagAccess.h"
#include "app/WriterPage.h"
#include "mp3/writer/CNxSSMp3WriterSettings.h"
#include "stream/CNxSSSilenceSource.h"
#include "stream/ResultCodes.h"
#include "stream/wave/WaveComponents.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"

namespace {

namespace fs = std::filesystem;
using Job = app::ConversionJob;

class ConversionJobTest : public ::testing::Test {
  protected:
    TempSettings settings_;
    testsupport::TempDir dir_;
    app::Engine engine_;
};

// Silence into a WAVE file: the progress reaches the length, the file is
// whole (the library reads its play time back) and no temporary is left.
TEST_F(ConversionJobTest, WritesTheFileReportingProgressOnTheCallersThread) {
    const auto out = (dir_ / "song.wav").string();
    Job job(engine_, "::SLNC1500", out, Job::sinkKindFor(out));
    ASSERT_EQ(job.open(), 0u);
    ASSERT_TRUE(job.optionPage());
    EXPECT_EQ(job.optionPage()->Settings().Describe(),
              app::checkWriter(engine_, CNxSSManager::kSinkWave)->description);

    const auto caller = std::this_thread::get_id();
    int calls = 0;
    const Job::Outcome outcome = job.run(
        [&](const Job::Progress& at) {
            EXPECT_EQ(std::this_thread::get_id(), caller);
            EXPECT_EQ(at.lengthMs, 1500);
            ++calls;
        },
        10);
    EXPECT_EQ(outcome.state, Job::State::Finished);
    EXPECT_GT(calls, 0);
    EXPECT_EQ(job.progress().positionMs, 1500);
    EXPECT_EQ(dir_.names(), std::vector<std::string>{"song.wav"});
    EXPECT_EQ(app::StreamTagAccess(engine_.catalog()).read(out)->playTime, 1500u);

    Job over(engine_, "::SLNC500", out, Job::sinkKindFor(out));  // replaces it
    ASSERT_EQ(over.open(), 0u);
    EXPECT_EQ(over.run({}).state, Job::State::Finished);
    EXPECT_EQ(dir_.names(), std::vector<std::string>{"song.wav"});
    EXPECT_EQ(app::StreamTagAccess(engine_.catalog()).read(out)->playTime, 500u);
}

// An entry of the recording list with its own format is written in it, not
// in the run's: 192 kbps MP3 where the run records WAVE.
TEST_F(ConversionJobTest, ACancelledJobLeavesNothing) {
    const auto out = (dir_ / "long.mp3").string();
    Job job(engine_, "::SLNC3600000", out, CNxSSManager::kSinkMp3);
    ASSERT_EQ(job.open(), 0u);
    ASSERT_EQ(job.start(), 0u);
    while (!job.progress().started || job.progress().positionMs == 0) {
        ASSERT_FALSE(job.wait(10));
    }
    EXPECT_FALSE(dir_.names().empty());  // the temporary being written
    std::thread([&] { job.cancel(); }).join();
    const auto outcome = job.wait(0);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->state, Job::State::Cancelled);
    EXPECT_TRUE(dir_.names().empty());
}

TEST_F(ConversionJobTest, RefusesWhatCannotBeWrittenAndReportsFailures) {
    EXPECT_EQ(Job::sinkKindFor(""), CNxSSManager::kSinkNone);
    EXPECT_EQ(Job::sinkKindFor("a.WMA"), CNxSSManager::kSinkWma);
    EXPECT_EQ(Job(engine_, "::SLNC10", "", CNxSSManager::kSinkWave).open(), nxss::kFail);
    EXPECT_EQ(Job(engine_, "::SLNC10", "a.txt", CNxSSManager::kSinkRenderer).open(), nxss::kFail);
    EXPECT_EQ(Job(engine_, (dir_ / "none.wav").string(), (dir_ / "x.wav").string(),
                  CNxSSManager::kSinkWave)
                  .open(),
              0x83EB0101u);
    EXPECT_FALSE(app::checkWriter(engine_, CNxSSManager::kSinkRenderer));

    fs::create_directory(dir_ / "taken.wav");  // a folder where the file should go
    Job blocked(engine_, "::SLNC100", (dir_ / "taken.wav").string(), CNxSSManager::kSinkWave);
    ASSERT_EQ(blocked.open(), 0u);
    const auto outcome = blocked.run({});
    EXPECT_EQ(outcome.state, Job::State::Failed);
    EXPECT_TRUE(nxss::failed(outcome.code));
    EXPECT_FALSE(outcome.text.empty());
    EXPECT_EQ(dir_.names(), std::vector<std::string>{"taken.wav"});
}

// A reader that claims two seconds and ends at once.
class EmptySource : public CNxSSSilenceSource {
  public:
    explicit EmptySource(CNxSSObject* parent) : CNxSSSilenceSource(parent, 0) {}
    int32_t GetLength() override { return 2000; }
};

// What the writer made of nothing is no file: the job fails and removes it.
TEST_F(ConversionJobTest, ASourceThatGivesNoAudioFails) {
    CNxSSComponentCatalog catalog;
    AddWaveComponents(catalog);
    catalog.mp3 = [](CNxSSManager& manager, const std::string&) -> NxRef<CNxSSComponent> {
        return MakeNx<EmptySource>(&manager);
    };
    const app::Engine engine(catalog);
    const auto out = (dir_ / "empty.wav").string();
    Job job(engine, "empty.mp3", out, CNxSSManager::kSinkWave);
    ASSERT_EQ(job.open(), 0u);
    const auto outcome = job.run({});
    EXPECT_EQ(outcome.state, Job::State::Failed);
    EXPECT_EQ(outcome.code, 0x83EB0105u);
    EXPECT_NE(outcome.reason.find("no audio"), std::string::npos) << outcome.reason;
    EXPECT_TRUE(dir_.names().empty());

    // A file the output would have replaced is had back as it was.
    std::ofstream(out) << "the old file";
    Job again(engine, "empty.mp3", out, CNxSSManager::kSinkWave);
    ASSERT_EQ(again.open(), 0u);
    EXPECT_EQ(again.run({}).state, Job::State::Failed);
    EXPECT_EQ(dir_.names(), std::vector<std::string>{"empty.wav"});
    std::ifstream in(out);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "the old file");
}

// A track whose image lost its audio after the disc was read: the reader
// fails, and so does the rip, leaving no file.
TEST_F(ConversionJobTest, ATrackThatCannotBeReadFails) {
    const cdtest::CdImage image(dir_.path(), {{true, 150}});
    ::setenv("MELODUX_CD_IMAGES", image.cuePath().c_str(), 1);
    const auto out = (dir_ / "track.wav").string();
    Job job(engine_, "D:\\Track1.cda", out, CNxSSManager::kSinkWave);
    ASSERT_EQ(job.open(), 0u);
    fs::resize_file(dir_ / "disc.bin", 0);
    const auto outcome = job.run({});
    ::unsetenv("MELODUX_CD_IMAGES");
    EXPECT_EQ(outcome.state, Job::State::Failed);
    EXPECT_EQ(outcome.code, nxss::kCdReadError);
    EXPECT_FALSE(fs::exists(out));
}

}  // namespace
