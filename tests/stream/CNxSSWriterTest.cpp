#include "stream/CNxSSWriter.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/MessageQueue.h"
#include "stream/CNxSSException.h"
#include "stream/CNxSSManager.h"
#include "stream/CNxSSPacket.h"
#include "stream/CNxSSSilenceSource.h"
#include "stream/ResultCodes.h"

namespace {

class CountingSettings : public CNxSSWriterSettings {
  public:
    void Persist(bool, CNxSSRegistryStore&) override {}
    NxRef<CNxSSWriterSettings> Clone() const override { return NxRef(new CountingSettings()); }
    std::string Describe() const override { return "counting"; }
    bool IsSame(const CNxSSWriterSettings& o) const override {
        return dynamic_cast<const CountingSettings*>(&o) != nullptr;
    }
    int32_t GetSinkKind() const override { return 99; }
    std::string GetExtension() const override { return "cnt"; }
    uint32_t GetBitrate() const override { return 0; }
};

// Counts the bytes it is given, one packet per tick.
class CountingWriter : public CNxSSWriter {
  public:
    explicit CountingWriter(CNxSSObject* parent) : CNxSSWriter(parent, "/tmp/out.cnt", 42) {
        SetOptionPage(
            MakeNx<CNxSSOptionPage>(this, NxRef<CNxSSWriterSettings>(new CountingSettings())));
        StartThread(kPriorityNormal);
    }
    ~CountingWriter() override { StopThread(); }

    uint64_t bytes = 0;
    int aborts = 0;
    bool failStart = false;

  protected:
    uint32_t DoStart() override {
        if (failStart)
            throw CNxSSException(0x83EB0103);
        platform::WaveFormat format;
        GetFormat(format);
        packet_ = MakeNx<CNxSSPacket>(this);
        packet_->Allocate(format, 4410);
        bytes = 0;
        return nxss::kStarted;
    }
    uint32_t DoTick() override {
        Read(*packet_);
        bytes += packet_->Bytes();
        return packet_->EndOfStream() ? nxss::kFinished : 0;
    }
    void DoAbort() override { ++aborts; }

  private:
    NxRef<CNxSSPacket> packet_;
};

class WriterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        source_ = MakeNx<CNxSSSilenceSource>(nullptr, 1000);
        writer_ = MakeNx<CountingWriter>(nullptr);
        auto out = source_->CreateOutputPin();
        auto in = writer_->CreateInputPin();
        out->Connect(in.get());
        writer_->Advise(&window_, 0x401, 0);
    }
    void TearDown() override { writer_->Shutdown(); }
    uint32_t Next() { return static_cast<uint32_t>(window_.take(10000).value().wParam); }

    NxRef<CNxSSSilenceSource> source_;
    NxRef<CountingWriter> writer_;
    platform::MessageQueue window_;
};

TEST_F(WriterTest, PumpsEveryPacketThenFinishes) {
    writer_->Start();
    EXPECT_EQ(Next(), nxss::kStarted);
    EXPECT_EQ(Next(), nxss::kFinished);
    EXPECT_EQ(writer_->bytes, 176400u);
    EXPECT_EQ(writer_->GetState(), CNxSSComponent::kStopped);
    EXPECT_EQ(writer_->GetStatus(), CNxSSComponent::kStopped);
}

TEST_F(WriterTest, FailuresAbortAndAreReported) {
    writer_->failStart = true;
    writer_->Start();
    EXPECT_EQ(Next(), 0x83EB0103u);
    EXPECT_EQ(writer_->aborts, 1);
    EXPECT_EQ(writer_->GetState(), CNxSSComponent::kStopped);
}

TEST_F(WriterTest, CannotSeekAndStopsSilently) {
    EXPECT_EQ(writer_->SeekAndWait(1000), nxss::kFail);
    writer_->PostCommand(CNxSSActiveComponent::kCmdStop, 0, 0, true);
    EXPECT_EQ(writer_->aborts, 1);
    EXPECT_EQ(window_.size(), 0u);
    writer_->PostCommand(CNxSSActiveComponent::kCmdPause, 0, 0, true);  // nothing to resume
    EXPECT_EQ(writer_->GetState(), CNxSSComponent::kStopped);
}

TEST_F(WriterTest, OptionPageCarriesTheSettingsAndTheSourceFormat) {
    void* out = nullptr;
    EXPECT_EQ(writer_->GetInterface(5, &out), nxss::kNoInterface);
    ASSERT_EQ(writer_->GetInterface(42, &out), 0u);
    auto page = NxRef<CNxSSOptionPage>::adopt(static_cast<CNxSSOptionPage*>(out));
    EXPECT_EQ(page->Settings().GetExtension(), "cnt");
    ASSERT_TRUE(page->SourceFormat());
    EXPECT_EQ(page->SourceFormat()->samplesPerSec(), 44100u);
    ASSERT_EQ(writer_->GetInterface(3, &out), 0u);
    NxRef<CNxSSOptionPage>::adopt(static_cast<CNxSSOptionPage*>(out));
}

}  // namespace
