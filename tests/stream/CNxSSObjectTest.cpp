#include <gtest/gtest.h>

#include "WaveFiles.h"
#include "stream/CNxSSComponent.h"
#include "stream/CNxSSManager.h"
#include "stream/CNxSSPacket.h"
#include "stream/CNxSSSilenceSource.h"
#include "stream/ResultCodes.h"

namespace {

// Counts its own destruction.
class Probe : public CNxSSObject {
  public:
    Probe(CNxSSObject* parent, int& destroyed) : CNxSSObject(parent), destroyed_(destroyed) {}
    ~Probe() override { ++destroyed_; }

  private:
    int& destroyed_;
};

TEST(CNxSSObject, ParentsOwnTheirChildrenUntilTheyGo) {
    int destroyed = 0;
    auto parent = MakeNx<Probe>(nullptr, destroyed);
    {
        auto child = MakeNx<Probe>(parent.get(), destroyed);
        EXPECT_EQ(child->RefCount(), 2);  // the child list and the holder
        EXPECT_EQ(parent->ChildCount(), 1u);
    }
    EXPECT_EQ(destroyed, 0);  // the child list keeps it
    parent.reset();
    EXPECT_EQ(destroyed, 2);
}

TEST(CNxSSObject, SetParentMovesBetweenChildListsWithoutLosingTheObject) {
    int destroyed = 0;
    auto a = MakeNx<Probe>(nullptr, destroyed);
    auto b = MakeNx<Probe>(nullptr, destroyed);
    Probe* child = new Probe(a.get(), destroyed);  // held by a's list alone
    child->SetParent(b.get());
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(a->ChildCount(), 0u);
    EXPECT_EQ(b->ChildCount(), 1u);
    EXPECT_EQ(child->Parent(), b.get());
    child->SetParent(nullptr);  // the last reference goes
    EXPECT_EQ(destroyed, 1);
}

TEST(CNxSSObject, ObjectsTakeTheirParentsManagerAndTag) {
    auto manager = MakeNx<CNxSSManager>();
    auto packet = manager->CreatePacket(manager.get());
    EXPECT_EQ(packet->Manager(), manager.get());
    EXPECT_EQ(packet->Tag(), "PACKET  ");
    void* out = &out;
    EXPECT_EQ(packet->GetInterface(3, &out), nxss::kFail);
    EXPECT_EQ(out, nullptr);
    packet->SetParent(nullptr);
}

TEST(CNxSSPin, EachPinIsCreatedOnce) {
    auto source = MakeNx<CNxSSSilenceSource>(nullptr, 10);
    auto input = source->CreateInputPin();
    EXPECT_EQ(input->Tag(), "IN PIN  ");
    EXPECT_EQ(input->GetDirection(), CNxSSPin::kInput);
    EXPECT_EQ(wavetest::ThrownCode([&] { source->CreateInputPin(); }), nxss::kFail);
    auto output = source->CreateOutputPin();
    EXPECT_THROW(source->CreateOutputPin(), CNxSSException);
}

TEST(CNxSSPin, ConnectsOnceAndRefusesASecondPeer) {
    auto source = MakeNx<CNxSSSilenceSource>(nullptr, 10);
    auto sink1 = MakeNx<CNxSSComponent>(nullptr);
    auto sink2 = MakeNx<CNxSSComponent>(nullptr);
    auto out = source->CreateOutputPin();
    auto in1 = sink1->CreateInputPin();
    auto in2 = sink2->CreateInputPin();

    out->Connect(in1.get());
    EXPECT_EQ(in1->GetPeer(), out.get());
    out->Connect(in1.get());        // the same peer again: nothing happens
    EXPECT_EQ(in1->RefCount(), 3);  // child list, holder, peer
    EXPECT_EQ(wavetest::ThrownCode([&] { out->Connect(in2.get()); }), nxss::kFail);
    EXPECT_EQ(in2->GetPeer(), nullptr);

    in1->Disconnect();
    EXPECT_EQ(out->GetPeer(), nullptr);
    EXPECT_EQ(in1->RefCount(), 2);
    EXPECT_EQ(out->RefCount(), 2);
}

TEST(CNxSSComponent, RequestsTravelUpstreamThroughThePins) {
    auto source = MakeNx<CNxSSSilenceSource>(nullptr, 1000);
    auto middle = MakeNx<CNxSSComponent>(nullptr);  // transparent
    auto out = source->CreateOutputPin();
    auto in = middle->CreateInputPin();
    out->Connect(in.get());

    platform::WaveFormat format;
    ASSERT_TRUE(middle->GetFormat(format));
    EXPECT_EQ(format, platform::WaveFormat::pcm(2, 44100, 16));
    EXPECT_EQ(middle->GetLength(), 1000);
    EXPECT_EQ(middle->SetPosition(250), 0);
    EXPECT_EQ(middle->GetPosition(), 250);
    middle->SetState(CNxSSComponent::kRunning);
    EXPECT_EQ(source->GetState(), CNxSSComponent::kRunning);

    auto packet = MakeNx<CNxSSPacket>(nullptr);
    packet->Allocate(format, 44100);
    middle->Read(*packet);
    EXPECT_EQ(packet->Frames(), 33075u);  // the remaining 750 ms
    EXPECT_FALSE(packet->EndOfStream());
    middle->Read(*packet);
    EXPECT_TRUE(packet->EndOfStream());
    EXPECT_EQ(middle->GetPosition(), 1000);

    in->Disconnect();
    EXPECT_EQ(middle->GetLength(), 0);  // an unconnected input answers 0
}

}  // namespace
