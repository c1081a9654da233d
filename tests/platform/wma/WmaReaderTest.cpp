#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>

#include "WmaTestSupport.h"
#include "platform/wma/AsfGuid.h"
#include "platform/wma/AsfHeader.h"
#include "platform/wma/WmaDecoder.h"
#include "platform/wma/WmaError.h"
#include "platform/wma/WmaModule.h"
#include "platform/wma/WmaReader.h"

namespace {

using namespace platform::wma;
using wmatest::Pcm;

using wmatest::kRate;
constexpr size_t kFrames = 3 * kRate;

// A falling and rising sweep: every position sounds different, so a wrong
// seek shows.
Pcm sweep() {
    Pcm pcm{kRate, 2, std::vector<int16_t>(kFrames * 2)};
    double phase = 0;
    for (size_t i = 0; i < kFrames; ++i) {
        phase += 2 * 3.14159265358979 * (200.0 + 3000.0 * double(i) / kFrames) / kRate;
        pcm.samples[2 * i] = static_cast<int16_t>(10000 * std::sin(phase));
        pcm.samples[2 * i + 1] = static_cast<int16_t>(8000 * std::cos(phase));
    }
    return pcm;
}

class WmaFile : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = new wmatest::TempDir;
        wmatest::writeWma(*dir_ / "s.wma", sweep(), OutputSettings{});
        reference_ = new Pcm(wmatest::decodeAll(*dir_ / "s.wma"));
    }
    static void TearDownTestSuite() {
        delete reference_;
        delete dir_;
    }
    static std::filesystem::path file() { return *dir_ / "s.wma"; }

    // The first `frames` frames from `decoder`, which must match the
    // reference from `at`.
    static void expectReferenceAt(WmaDecoder& decoder, size_t at, size_t frames) {
        std::vector<int16_t> got;
        for (auto b = decoder.next(); !b.empty() && got.size() < frames * 2; b = decoder.next()) {
            const auto* s = reinterpret_cast<const int16_t*>(b.data());
            got.insert(got.end(), s, s + b.size() / 2);
        }
        ASSERT_GE(got.size(), frames * 2);
        for (size_t i = 0; i < frames * 2; ++i) {
            ASSERT_NEAR(got[i], reference_->samples[at * 2 + i], 2) << "at frame " << at + i / 2;
        }
    }

    static inline wmatest::TempDir* dir_ = nullptr;
    static inline Pcm* reference_ = nullptr;
};

TEST_F(WmaFile, FactsOfTheFile) {
    const auto decoder = wmaCodec().openDecoder(file());
    EXPECT_EQ(decoder->info().sampleRate, kRate);
    EXPECT_EQ(decoder->info().channels, 2);
    EXPECT_EQ(decoder->info().durationMs, 3000u);
    EXPECT_EQ(decoder->info().bitrate, 128000u);
    EXPECT_NE(decoder->info().codecName.find("wmav2"), std::string::npos);
    EXPECT_EQ(decoder->info().outputFormat(), platform::WaveFormat::pcm(2, kRate, 16));
    EXPECT_EQ(reference_->frames(), kFrames);
}

// Seeking lands on the sample: in the first frame, inside and on frame
// boundaries, backwards, at the end and beyond it.
TEST_F(WmaFile, DecoderSeeksToTheSample) {
    const auto decoder = wmaCodec().openDecoder(file());
    for (const size_t at : {size_t{70000}, size_t{1}, size_t{2048}, size_t{4096 + 7},
                            size_t{100000}, size_t{0}, kFrames - 500}) {
        SCOPED_TRACE(at);
        decoder->seek(at);
        EXPECT_EQ(decoder->position(), at);
        expectReferenceAt(*decoder, at, std::min<size_t>(3000, kFrames - at));
    }
    decoder->seek(kFrames);
    EXPECT_TRUE(decoder->next().empty());
    decoder->seek(kFrames + 100000);
    EXPECT_TRUE(decoder->next().empty());
    decoder->seek(1000);
    expectReferenceAt(*decoder, 1000, 100);
}

// A number for the calling thread, new for every thread (thread ids are
// reused once a thread has been joined).
int deliveryRun() {
    static std::atomic<int> runs{0};
    thread_local const int run = ++runs;
    return run;
}

// Long enough for a loaded machine under a sanitizer; a delivery that has
// not ended by then never will, and the test fails instead of hanging.
constexpr auto kPatience = std::chrono::seconds(60);

// How one delivery thread ended, with everything it delivered.
struct Ending {
    std::vector<int16_t> samples;
    WmaReader::Status status;
};

// Collects what a reader delivers, by delivering thread, and its statuses.
class Collector {
  public:
    WmaReader::DataCallback data() {
        return [this](std::span<const uint8_t> b) {
            const std::lock_guard lock(mutex_);
            const auto* s = reinterpret_cast<const int16_t*>(b.data());
            latestRun_ = deliveryRun();
            auto& samples = byRun_[latestRun_];
            samples.insert(samples.end(), s, s + b.size() / 2);
            total_ += b.size() / 2;
            changed_.notify_all();
            return total_ < stopAfter_;
        };
    }
    WmaReader::StatusCallback status() {
        return [this](WmaReader::Status s, const std::string&) {
            const std::lock_guard lock(mutex_);
            statuses_.emplace_back(deliveryRun(), s);
            changed_.notify_all();
        };
    }
    // Waits for the first status from a delivery thread that began after
    // `run` (0: any); statuses of earlier threads, whenever they came, do
    // not count.
    std::optional<Ending> endingAfter(int run) {
        std::unique_lock lock(mutex_);
        const auto newer = [&] { return firstStatusAfter(run) != statuses_.end(); };
        if (!changed_.wait_for(lock, kPatience, newer)) {
            ADD_FAILURE() << "no delivery after run " << run << " ended";
            return std::nullopt;
        }
        const auto it = firstStatusAfter(run);
        return Ending{byRun_[it->first], it->second};
    }
    // Waits until `n` samples came or the delivery ended; false on giving up.
    bool waitForSamples(size_t n) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kPatience,
                                 [&] { return total_ >= n || !statuses_.empty(); });
    }
    // The thread of the latest block delivered; 0 before any.
    int latestRun() {
        const std::lock_guard lock(mutex_);
        return latestRun_;
    }
    std::vector<int16_t> all() {
        const std::lock_guard lock(mutex_);
        std::vector<int16_t> result;
        for (const auto& [id, samples] : byRun_) {
            result.insert(result.end(), samples.begin(), samples.end());
        }
        return result;
    }
    size_t statusCount() {
        const std::lock_guard lock(mutex_);
        return statuses_.size();
    }
    void stopAfter(size_t samples) {
        const std::lock_guard lock(mutex_);
        stopAfter_ = samples;
    }

  private:
    using Statuses = std::vector<std::pair<int, WmaReader::Status>>;

    Statuses::const_iterator firstStatusAfter(int run) const {
        return std::find_if(statuses_.begin(), statuses_.end(),
                            [run](const auto& s) { return s.first > run; });
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<int, std::vector<int16_t>> byRun_;
    Statuses statuses_;
    int latestRun_ = 0;
    size_t total_ = 0;
    size_t stopAfter_ = SIZE_MAX;
};

bool nearlyEqual(std::span<const int16_t> a, std::span<const int16_t> b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](int16_t x, int16_t y) { return std::abs(x - y) <= 2; });
}

TEST_F(WmaFile, ReaderDeliversEverythingThenEndOfData) {
    Collector c;
    WmaReader reader(file(), c.data(), c.status());
    EXPECT_FALSE(reader.running());
    reader.start();
    const auto ending = c.endingAfter(0);
    ASSERT_TRUE(ending);
    EXPECT_EQ(ending->samples, reference_->samples);
    EXPECT_EQ(ending->status, WmaReader::Status::EndOfData);
    EXPECT_EQ(c.statusCount(), 1u);
}

// A callback that declines more ends the delivery; stop and start go on
// from there without a gap or a repeat.
TEST_F(WmaFile, ReaderStopsOnRequestAndContinues) {
    Collector c;
    c.stopAfter(20000);
    WmaReader reader(file(), c.data(), c.status());
    reader.start();
    ASSERT_TRUE(c.waitForSamples(20000));
    reader.stop();
    EXPECT_FALSE(reader.running());
    EXPECT_EQ(c.statusCount(), 0u);
    c.stopAfter(SIZE_MAX);
    reader.start();
    ASSERT_TRUE(c.endingAfter(0));
    EXPECT_EQ(c.all(), reference_->samples);  // the two deliveries, in order
}

TEST_F(WmaFile, ReaderSeeksWhileStopped) {
    Collector c;
    WmaReader reader(file(), c.data(), c.status());
    reader.seek(2000);
    EXPECT_FALSE(reader.running());
    reader.start();
    const auto ending = c.endingAfter(0);
    ASSERT_TRUE(ending);
    const size_t from = 2000 * kRate / 1000 * 2;
    EXPECT_TRUE(nearlyEqual(ending->samples, std::span(reference_->samples).subspan(from)));
}

// Whether the first delivery is still going or has ended, everything after
// the seek comes from the new place, up to the end; and its end is reported
// even when it comes before the seek has returned.
TEST_F(WmaFile, ReaderSeeksWhileRunning) {
    for (const size_t delivered : {size_t{1000}, kFrames * 2}) {
        SCOPED_TRACE(delivered);
        Collector c;
        WmaReader reader(file(), c.data(), c.status());
        reader.start();
        ASSERT_TRUE(c.waitForSamples(delivered));
        const int firstRun = c.latestRun();
        reader.seek(500);
        EXPECT_TRUE(reader.running());
        const auto ending = c.endingAfter(firstRun);
        ASSERT_TRUE(ending);
        const size_t from = 500 * kRate / 1000 * 2;
        EXPECT_TRUE(nearlyEqual(ending->samples, std::span(reference_->samples).subspan(from)));
        EXPECT_EQ(ending->status, WmaReader::Status::EndOfData);
    }
}

// A callback may stop the delivery it runs on, even on the first block,
// while start() may still be setting the thread up; the reader continues
// from there on the next start.
TEST_F(WmaFile, ReaderStoppedFromItsOwnCallback) {
    WmaReader* self = nullptr;
    std::atomic<int> blocks{0};
    Collector c;
    WmaReader reader(
        file(),
        [&, collect = c.data()](std::span<const uint8_t> b) {
            collect(b);
            if (blocks++ == 0) {
                self->stop();
            }
            return true;
        },
        c.status());
    self = &reader;
    reader.start();
    ASSERT_TRUE(c.waitForSamples(1));
    reader.stop();  // waits for the thread
    EXPECT_EQ(blocks, 1);
    EXPECT_EQ(c.statusCount(), 0u);
    reader.start();
    ASSERT_TRUE(c.endingAfter(0));
    EXPECT_EQ(c.all(), reference_->samples);
}

// What is no WMA file fails cleanly; audio cut short plays what is there;
// a stated play length far too short is not believed, so nothing is lost.
TEST(WmaDecoderInput, BadFilesFailCleanlyAndCutOnesPlayWhatIsThere) {
    const wmatest::TempDir dir;
    auto kindOf = [](const std::filesystem::path& p) {
        try {
            wmaCodec().openDecoder(p);
            return std::optional<Error::Kind>();
        } catch (const Error& e) {
            return std::optional<Error::Kind>(e.kind());
        }
    };
    EXPECT_EQ(kindOf(dir / "missing.wma"), Error::Kind::OpenFailed);
    wmatest::writeBytes(dir / "empty.wma", {});
    EXPECT_EQ(kindOf(dir / "empty.wma"), Error::Kind::NotWma);
    std::vector<uint8_t> garbage(5000);
    for (size_t i = 0; i < garbage.size(); ++i) {
        garbage[i] = static_cast<uint8_t>(i * 7919 >> 3);
    }
    wmatest::writeBytes(dir / "garbage.wma", garbage);
    EXPECT_EQ(kindOf(dir / "garbage.wma"), Error::Kind::NotWma);

    wmatest::writeWma(dir / "good.wma", wmatest::tone(44100, 2, 44100, 0), OutputSettings{});
    const auto good = wmatest::readBytes(dir / "good.wma");
    const uint64_t headerSize = asf::readU64(good, 16);
    wmatest::writeBytes(dir / "cut.wma", std::span(good).first(headerSize / 2));
    EXPECT_EQ(kindOf(dir / "cut.wma"), Error::Kind::NotWma);

    wmatest::writeBytes(dir / "cut.wma", std::span(good).first(good.size() / 2));
    const Pcm decoded = wmatest::decodeAll(dir / "cut.wma");
    EXPECT_GT(decoded.frames(), 10000u);
    EXPECT_LT(decoded.frames(), 44100u);

    ASSERT_TRUE(asf::setPlayDuration(dir / "good.wma", 2'000'000));  // 200 ms
    EXPECT_GE(wmatest::decodeAll(dir / "good.wma").frames(), 44100u);
}

// A whole file whose packets cannot be read as the header describes them
// still tells its length, but decoding it fails instead of ending early
// with part of the audio or none (ours and one made by ffmpeg).
TEST(WmaDecoderInput, DamagedPacketSizeFailsTheDecoding) {
    const wmatest::TempDir dir;
    std::vector<std::filesystem::path> files = {dir / "ours.wma"};
    wmatest::writeWma(files[0], wmatest::tone(44100, 2, 2 * 44100, 0), OutputSettings{});
    if (wmatest::haveFfmpegProgram()) {
        files.push_back(dir / "ffmpeg.wma");
        const std::string command =
            "ffmpeg -loglevel error -y -f lavfi -i sine=duration=2 -ac 2 "
            "-c:a wmav2 " +
            files[1].string();
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    for (const auto& file : files) {
        const auto good = wmatest::readBytes(file);
        for (const uint32_t damaged : {wmatest::packetSize(good) + 7, 100u}) {
            SCOPED_TRACE(file.filename().string() + " " + std::to_string(damaged));
            wmatest::writeBytes(file, good);
            wmatest::setPacketSize(file, damaged);
            EXPECT_NEAR(wmaCodec().openDecoder(file)->info().durationMs, 2000, 50);
            try {
                wmatest::decodeAll(file);
                ADD_FAILURE() << "decoded";
            } catch (const Error& e) {
                EXPECT_EQ(e.kind(), Error::Kind::ReadFailed);
            }
        }
    }
}

// Files made the way other tools make them (no lead-in, version 1 too):
// every frame the decoder gives is delivered, and the length agrees.
TEST(WmaDecoderInput, FilesOfOtherToolsAndVersionOne) {
    if (!wmatest::haveFfmpegProgram()) {
        GTEST_SKIP() << "ffmpeg program not installed";
    }
    const wmatest::TempDir dir;
    const Pcm source = wmatest::tone(44100, 2, 44100, 0);
    wmatest::writeBytes(dir / "in.raw", source.bytes());
    for (const char* codec : {"wmav1", "wmav2"}) {
        SCOPED_TRACE(codec);
        const std::string out = (dir / (std::string(codec) + ".wma")).string();
        const std::string command = "ffmpeg -loglevel error -y -f s16le -ar 44100 -ac 2 -i " +
                                    (dir / "in.raw").string() + " -c:a " + codec + " " + out;
        ASSERT_EQ(std::system(command.c_str()), 0);
        const auto decoder = wmaCodec().openDecoder(out);
        const Pcm decoded = wmatest::decodeAll(out);
        EXPECT_GT(decoded.frames(), 44100u - 2 * 2048);
        EXPECT_NEAR(double(decoder->info().durationMs), decoded.frames() * 1000.0 / 44100, 1.0);
        EXPECT_NEAR(wmatest::levelDb(decoded, 10000, 30000), wmatest::levelDb(source, 10000, 30000),
                    1.0);
    }
}

}  // namespace
