#include "app/CPlayController.h"

#include <gtest/gtest.h>

#include <deque>
#include <thread>

#include "app/Engine.h"
#include "app/PlayerDisplay.h"
#include "mdb/MutableGroup.h"
#include "mdb/TestSupport.h"
#include "platform/MessageQueue.h"
#include "platform/WaveOutDrivers.h"
#include "stream/FakeWaveOut.h"
#include "stream/ResultCodes.h"
#include "support/Files.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"

namespace {

using app::CPlayController;

struct FakeView : app::PlayerView {
    void ShowTitle(const std::string& text, int32_t, const std::string& caption) override {
        titles.push_back(text);
        captions.push_back(caption);
    }
    void ShowFormat(int32_t, const platform::WaveFormat&, int32_t, bool) override {}
    void ShowPlayButton(bool pressed) override { playButton.push_back(pressed); }
    void RedrawPlayButton() override {}
    void ShowBlankBanner(bool shown) override { banner.push_back(shown); }
    void ShowMessage(uint32_t code, const std::string& text) override {
        messages.push_back(code);
        texts.push_back(text);
    }
    std::vector<std::string> titles, captions, texts;
    std::vector<bool> playButton, banner;
    std::vector<uint32_t> messages;
};

// Hands out the numbers it was given (then 0) and counts what was drawn.
struct ScriptedRandom : app::ShuffleRandom {
    void Reseed() override { ++reseeds; }
    uint32_t Next() override {
        ++draws;
        const uint32_t n = numbers.empty() ? 0 : numbers.front();
        if (!numbers.empty())
            numbers.pop_front();
        return n;
    }
    std::deque<uint32_t> numbers;
    int reseeds = 0;
    int draws = 0;
};

struct Tracks : app::PlayerRecordingPanel {
    int32_t Count() const override { return static_cast<int32_t>(entries.size()); }
    Entry EntryAt(int32_t i) const override { return entries[static_cast<size_t>(i)]; }
    std::string DriveText() const override { return "D:"; }
    std::string DiscArtist() const override { return "Disc Artist"; }
    int32_t DiscIdentity() const override { return disc; }
    bool IsRecording() const override { return recording; }
    int32_t SelectedTrack() const override { return selected; }
    int32_t RecordingTrack() const override { return recorded; }
    void PlaybackChanged() override { ++changes; }
    std::vector<Entry> entries;
    int32_t disc = 1, selected = 0, recorded = 0, changes = 0;
    bool recording = false;
};

struct ListPanel : app::PlayerListPanel {
    int32_t ViewKind() const override { return 2; }
    mdb::Group* CurrentList() const override { return list; }
    int32_t SelectedIndex() const override { return selected; }
    void ShowPlaying(mdb::Group*, int32_t index) override { playing.push_back(index); }
    void ShowOpenPath(const std::string&) override {}
    mdb::Group* list = nullptr;
    int32_t selected = 0;
    std::vector<int32_t> playing;
};

// Items are silences on a null device whose clock moves only by hand:
// "::SLNC0" starts and finishes at once, longer ones wait for the clock.
class PlayControllerTest : public ::testing::Test {
  protected:
    PlayControllerTest() { Rebuild(); }

    void Rebuild() {
        player_.reset();
        while (window_.take(0)) {
        }
        player_ = std::make_unique<CPlayController>(
            [this] { return MakeNx<CNxSSManager>(engine_.catalog(), driver_); }, settings_, view_,
            random_, window_);
        player_->SetPanels(&panel_, &tracks_);
    }

    // A recording list of `count` silences of `ms` each, followed.
    void UseTracks(int count, int ms = 0) {
        for (int i = 0; i < count; ++i) {
            tracks_.entries.push_back(
                {0, "::SLNC" + std::to_string(ms), "t" + std::to_string(i), "", 0});
        }
        player_->FollowRecordingPanel(true);
    }

    // Hands every posted notification to the player until `until` holds.
    template <class Until>
    void Pump(Until until) {
        while (!until()) {
            const auto m = window_.take(5000);
            ASSERT_TRUE(m) << "no notification";
            player_->OnMessage(m->wParam, m->lParam);
        }
    }
    // As Pump, moving the clock on whenever the device waits for it: the
    // renderer keeps only a few short pieces queued ahead.
    template <class Until>
    void PumpPlaying(Until until) {
        for (int idle = 0; !until();) {
            if (const auto m = window_.take(20)) {
                player_->OnMessage(m->wParam, m->lParam);
            } else {
                ASSERT_LT(++idle, 500) << "no notification";
                clock_->advance(std::chrono::milliseconds(100));
            }
        }
    }
    void PumpUntilRest() {
        Pump([&] { return !view_.playButton.empty() && !view_.playButton.back(); });
    }
    void PumpUntilGap() {
        Pump([&] { return player_->GapPending(); });
    }

    TempSettings temp_;
    app::Engine engine_{CNxSSComponentCatalog{}};
    std::shared_ptr<platform::ManualWaveClock> clock_ =
        std::make_shared<platform::ManualWaveClock>();
    std::shared_ptr<platform::WaveOutDriver> driver_ = platform::makeNullWaveOutDriver(clock_);
    app::PlayerSettings settings_;
    FakeView view_;
    ScriptedRandom random_;
    platform::MessageQueue window_;
    Tracks tracks_;
    ListPanel panel_;
    std::unique_ptr<CPlayController> player_;
};

TEST(ShuffleOrder, SwapsEachEntryWithARandomOneThenPinsTheCurrent) {
    struct Case {
        int32_t count, current;
        bool pin;
        std::deque<uint32_t> numbers;
        std::vector<int32_t> order;
        int draws;
    } cases[] = {
        {3, 0, true, {1, 2, 0}, {0, 2, 1}, 3},
        {3, 1, true, {1, 2, 0}, {1, 2, 0}, 3},   // 1 swapped to the front
        {3, 1, false, {1, 2, 0}, {0, 2, 1}, 3},  // not moved
        {4, -1, true, {3, 3, 3, 3}, {3, 0, 1, 2}, 4},
        {1, 0, true, {}, {0}, 0},  // one item draws nothing
        {0, -1, true, {}, {}, 0},
    };
    for (const Case& c : cases) {
        ScriptedRandom random;
        random.numbers = c.numbers;
        app::ShuffleOrder order;
        order.Rebuild(c.count, c.current, c.pin, random);
        EXPECT_EQ(order.Entries(), c.order) << c.count << " " << c.current;
        EXPECT_EQ(random.draws, c.draws);
        EXPECT_EQ(random.reseeds, c.count > 1 ? 1 : 0);
    }
}

TEST_F(PlayControllerTest, NextAndPreviousWrapInListOrderWithoutPlaying) {
    UseTracks(3);
    struct Step {
        bool next;
        int32_t index;
    } steps[] = {{true, 1}, {true, 2}, {true, 0}, {false, 2}, {false, 1}, {false, 0}, {false, 2}};
    EXPECT_EQ(player_->CurrentIndex(), 0);
    for (const Step& s : steps) {
        EXPECT_EQ(s.next ? player_->Next() : player_->Previous(), 0u);
        EXPECT_EQ(player_->CurrentIndex(), s.index);
    }
    EXPECT_EQ(player_->GetStatus(), 0);
    EXPECT_TRUE(view_.playButton.empty());
    EXPECT_EQ(view_.captions.back(), "MP3 Melodux  - 3.Title:t2");
}

TEST_F(PlayControllerTest, ShuffledNextAndPreviousFollowTheOrderAndMakeANewOneAtItsEnds) {
    UseTracks(3);
    player_->Select(1);
    random_.numbers = {1, 2, 0};  // 0 2 1, pinned: 1 2 0
    player_->SetShuffle(true);
    EXPECT_EQ(player_->Order().Entries(), (std::vector<int32_t>{1, 2, 0}));
    player_->Next();
    EXPECT_EQ(player_->CurrentIndex(), 2);
    player_->Next();
    EXPECT_EQ(player_->CurrentIndex(), 0);
    EXPECT_TRUE(player_->AtLastItem());
    random_.numbers = {2, 0, 1};  // not pinned: 1 0 2
    player_->Next();
    EXPECT_EQ(player_->Order().Entries(), (std::vector<int32_t>{1, 0, 2}));
    EXPECT_EQ(player_->CurrentIndex(), 1);
    random_.numbers = {1, 2, 0};  // 0 2 1: below the first position, the last
    player_->Previous();
    EXPECT_EQ(player_->CurrentIndex(), 1);
    EXPECT_EQ(player_->Order().Entries(), (std::vector<int32_t>{0, 2, 1}));
}

TEST_F(PlayControllerTest, OneItemShufflesWithoutDrawing) {
    UseTracks(1);
    player_->SetShuffle(true);
    player_->Next();
    EXPECT_EQ(player_->Order().Entries(), std::vector<int32_t>{0});
    EXPECT_EQ(player_->CurrentIndex(), 0);
    EXPECT_EQ(random_.draws, 0);
}

TEST_F(PlayControllerTest, RepeatModesAtTheLastItem) {
    struct Case {
        int32_t repeat;
        int32_t index;  // current after the last item ended
        bool playing;   // the second Play button state: pressed again, or released
    } cases[] = {{CPlayController::kRepeatOff, 2, false},
                 {CPlayController::kRepeatOne, 2, true},
                 {CPlayController::kRepeatAll, 0, true}};
    for (const Case& c : cases) {
        view_ = FakeView{};
        tracks_.entries.clear();
        Rebuild();
        UseTracks(3);
        player_->SetRepeat(c.repeat);
        player_->Select(2);
        ASSERT_EQ(player_->Play(), 0u);
        Pump([&] { return view_.playButton.size() == 2; });
        EXPECT_EQ(view_.playButton[1], c.playing) << c.repeat;
        EXPECT_EQ(player_->CurrentIndex(), c.index) << c.repeat;
        EXPECT_TRUE(view_.messages.empty());
    }
}

TEST_F(PlayControllerTest, RepeatOffPlaysToTheEndThenNextWrapsWithoutPlaying) {
    UseTracks(3);
    ASSERT_EQ(player_->Play(), 0u);
    PumpUntilRest();
    EXPECT_EQ(player_->CurrentIndex(), 2);
    EXPECT_EQ(view_.playButton, (std::vector<bool>{true, true, true, false}));
    EXPECT_EQ(player_->PressNext(), 0u);
    EXPECT_EQ(player_->CurrentIndex(), 0);
    EXPECT_EQ(player_->GetStatus(), 0);
}

TEST_F(PlayControllerTest, GapIsPendingUntilItsSilenceEndsAndStopOrNextCancelIt) {
    settings_.write(app::settings::kInsertBlank, 1);
    settings_.write(app::settings::kBlankTime, 10);
    UseTracks(3);
    ASSERT_EQ(player_->Play(), 0u);
    PumpUntilGap();
    EXPECT_EQ(player_->CurrentIndex(), 0);
    EXPECT_EQ(view_.banner, std::vector<bool>{true});
    const auto started = window_.take(5000);  // the gap's silence began
    ASSERT_TRUE(started && started->wParam == nxss::kStarted);
    EXPECT_EQ(player_->SenderOf(started->lParam), CPlayController::Sender::Gap);
    // Once the gap has been heard it goes on to the next.
    PumpPlaying([&] { return player_->CurrentIndex() == 1 && player_->GapPending(); });
    EXPECT_EQ(player_->CurrentIndex(), 1);

    EXPECT_EQ(player_->Stop(), 0u);  // cancels without advancing
    EXPECT_FALSE(player_->GapPending());
    EXPECT_EQ(player_->CurrentIndex(), 1);
    EXPECT_EQ(view_.banner.back(), false);

    ASSERT_EQ(player_->Play(), 0u);
    PumpUntilGap();
    EXPECT_EQ(player_->PressNext(), 0u);  // moves and plays at once
    EXPECT_FALSE(player_->GapPending());
    Pump([&] { return view_.playButton.back(); });
    EXPECT_EQ(player_->CurrentIndex(), 2);
}

// Without a gap, each next item's source is read on by the renderer of the
// first: one device session holds every sample of the three items, and
// each title shows once its item is heard.
TEST_F(PlayControllerTest, ItemsWithoutAGapPlayOnOneOpenDevice) {
    auto fake = std::make_shared<FakeWaveOutDriver>();
    driver_ = fake;
    Rebuild();
    UseTracks(3, 300);
    view_.titles.clear();
    ASSERT_EQ(player_->Play(), 0u);
    Pump([&] { return player_->FollowOnIndex() == 1; });
    for (int idle = 0; view_.playButton.empty() || view_.playButton.back();) {
        if (const auto m = window_.take(0)) {
            player_->OnMessage(m->wParam, m->lParam);
        } else {
            ASSERT_LT(++idle, 1000) << "no notification";
            fake->state->playBlocks(1);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    EXPECT_EQ(fake->state->openCalls, 1);
    EXPECT_EQ(fake->state->heard.size(), 3u * 13230 * 4);
    ASSERT_EQ(view_.titles.size(), 2u);
    EXPECT_NE(view_.titles[0].find("t1"), std::string::npos);
    EXPECT_NE(view_.titles[1].find("t2"), std::string::npos);
    EXPECT_EQ(player_->CurrentIndex(), 2);
    EXPECT_EQ(player_->FollowOnIndex(), -1);
    EXPECT_TRUE(view_.messages.empty());
}

// What comes next follows the repeat and shuffle rules, and a gap or the
// last item without repeat leaves none.
TEST_F(PlayControllerTest, TheFollowOnIsTheItemAdvanceWouldPlay) {
    UseTracks(3, 60000);
    player_->Select(1);
    ASSERT_EQ(player_->Play(), 0u);
    Pump([&] { return player_->FollowOnIndex() == 2; });
    player_->SetRepeat(CPlayController::kRepeatOne);
    EXPECT_EQ(player_->FollowOnIndex(), 1);
    player_->SetRepeat(CPlayController::kRepeatOff);
    player_->Select(2);
    ASSERT_EQ(player_->Play(), 0u);
    Pump([&] { return view_.playButton.size() == 2; });
    EXPECT_EQ(player_->FollowOnIndex(), -1);
    player_->SetRepeat(CPlayController::kRepeatAll);
    EXPECT_EQ(player_->FollowOnIndex(), 0);
    player_->Stop();
    EXPECT_EQ(player_->FollowOnIndex(), -1);
    PumpUntilRest();

    settings_.write(app::settings::kInsertBlank, 1);
    ASSERT_EQ(player_->Play(), 0u);
    Pump([&] { return view_.playButton.back(); });
    EXPECT_EQ(player_->FollowOnIndex(), -1);
}

// With the setting on, an item's ReplayGain level scales what is heard.
TEST_F(PlayControllerTest, AnItemsReplayGainScalesWhatIsHeard) {
    testsupport::TempDir dir;
    const auto made = testsupport::shell(
        "ffmpeg -nostdin -v error -f lavfi -i sine=frequency=1000:duration=1 -ac 2 -c:a flac "
        "-metadata REPLAYGAIN_TRACK_GAIN='-6.02 dB' -metadata REPLAYGAIN_TRACK_PEAK=0.125 '" +
        (dir / "tone.flac").string() + "' 2>&1");
    if (made.exitCode != 0) {
        GTEST_SKIP() << "ffmpeg cannot make the FLAC file: " << made.out;
    }
    settings_.write(app::settings::kReplayGain, 1);
    app::Engine engine;
    driver_ = platform::makeFileWaveOutDriver(dir / "heard.wav", platform::WavePacing::Unpaced);
    player_ = std::make_unique<CPlayController>(
        [&] { return MakeNx<CNxSSManager>(engine.catalog(), driver_); }, settings_, view_, random_,
        window_);
    player_->SetPanels(&panel_, &tracks_);
    player_->SetVolume(CPlayController::kMaxVolume);
    tracks_.entries.push_back({0, (dir / "tone.flac").string(), "tone", "", 0});
    player_->FollowRecordingPanel(true);
    ASSERT_EQ(player_->Play(), 0u);
    PumpUntilRest();
    player_.reset();

    const auto peakOf = [](const std::vector<uint8_t>& wave) {
        int peak = 0;
        for (size_t at = 44; at + 2 <= wave.size(); at += 2) {
            peak = std::max(peak, std::abs(int(int16_t(wave[at] | wave[at + 1] << 8))));
        }
        return peak;
    };
    ASSERT_EQ(
        testsupport::shell("ffmpeg -nostdin -v error -i '" + (dir / "tone.flac").string() +
                           "' -map_metadata -1 -bitexact '" + (dir / "plain.wav").string() + "'")
            .exitCode,
        0);
    const std::vector<uint8_t> heard = testsupport::readBytes(dir / "heard.wav");
    ASSERT_EQ(heard.size(), 44u + 44100u * 4);  // exactly the second it lasts
    EXPECT_NEAR(peakOf(heard), peakOf(testsupport::readBytes(dir / "plain.wav")) / 2.0, 2);
}

TEST_F(PlayControllerTest, NotificationsOfAClosedChainAreIgnored) {
    UseTracks(3);
    ASSERT_EQ(player_->Play(), 0u);  // its Started and Finished are posted at once
    player_->Select(2);              // closes that chain
    while (const auto m = window_.take(200)) {
        EXPECT_EQ(player_->SenderOf(m->lParam), CPlayController::Sender::Gone);
        player_->OnMessage(m->wParam, m->lParam);
    }
    EXPECT_EQ(player_->CurrentIndex(), 2);
    EXPECT_TRUE(view_.playButton.empty());
}

TEST_F(PlayControllerTest, AnItemThatCannotOpenStopsPlaybackAndReleasesPlay) {
    UseTracks(1);
    tracks_.entries.push_back({0, "::SLN", "broken", "", 0});
    ASSERT_EQ(player_->Play(), 0u);
    PumpUntilRest();
    EXPECT_EQ(view_.messages, std::vector<uint32_t>{nxss::kNoDecoder});
    EXPECT_EQ(view_.texts.back(), "このファイルを処理するデコーダが見つかりません。");
    EXPECT_EQ(player_->CurrentIndex(), 1);
    EXPECT_EQ(player_->Play(), nxss::kNoDecoder);
}

TEST_F(PlayControllerTest, SelectChecksTheIndexAndCdTracksWaitForTheRecording) {
    UseTracks(2);
    tracks_.entries.push_back({5, "", "Song", "", 200});
    EXPECT_EQ(player_->Select(3), nxss::kFail);
    EXPECT_EQ(player_->Select(-1), nxss::kFail);
    EXPECT_EQ(player_->CurrentIndex(), 0);
    const size_t shown = view_.titles.size();
    EXPECT_EQ(player_->Select(0), 0u);  // already current: nothing
    EXPECT_EQ(view_.titles.size(), shown);

    EXPECT_EQ(player_->Select(2), 0u);
    EXPECT_EQ(player_->CurrentPath(), "D:\\Track5.cda");
    EXPECT_EQ(view_.titles.back(), "Title:Song - Artist:Disc Artist    ");
    tracks_.recording = true;
    EXPECT_EQ(player_->Play(), nxss::kCdWhileRecording);
    tracks_.entries.insert(tracks_.entries.begin(), 2, tracks_.entries[0]);
    player_->OnListEvent(1);  // a CD track is found again by its number
    EXPECT_EQ(player_->CurrentIndex(), 4);
}

TEST_F(PlayControllerTest, AFileOnlyRecordingListWithoutADiscIsFollowedToo) {
    tracks_.disc = -1;
    UseTracks(2);
    EXPECT_EQ(player_->SourceKind(), CPlayController::kRecordingKind);
    EXPECT_EQ(player_->FollowedKind(), CPlayController::kRecordingKind);
    EXPECT_EQ(player_->CurrentIndex(), 0);
}

TEST_F(PlayControllerTest, VolumeRepeatAndSettings) {
    struct Case {
        int32_t from;
        bool up;
        int32_t to;
    } volumes[] = {{9700, true, 10000}, {300, false, 0}, {5000, true, 5500}, {5000, false, 4500}};
    for (const Case& c : volumes) {
        player_->SetVolume(c.from);
        c.up ? player_->VolumeUp() : player_->VolumeDown();
        EXPECT_EQ(player_->Volume(), c.to);
    }
    std::vector<int32_t> cycle;
    for (int i = 0; i < 4; ++i) {
        player_->SetRepeat(-1);
        cycle.push_back(player_->RepeatMode());
    }
    EXPECT_EQ(cycle, (std::vector<int32_t>{1, 2, 0, 1}));
    player_->ToggleRepeatAll();
    EXPECT_EQ(player_->RepeatMode(), 2);
    player_->ToggleRepeatAll();
    EXPECT_EQ(player_->RepeatMode(), 0);

    player_->SetVolume(7300);
    player_->SetShuffle(true);
    player_->SetRepeat(2);
    player_.reset();
    EXPECT_EQ(settings_.read(app::settings::kVolume), 73);
    EXPECT_EQ(settings_.read(app::settings::kShuffleMode), 1);
    Rebuild();
    EXPECT_EQ(player_->Volume(), 7300);
    EXPECT_TRUE(player_->Shuffle());
    EXPECT_EQ(player_->RepeatMode(), 2);
}

// The list/edit panel's playlist from the database.
class PlayListTest : public PlayControllerTest {
  protected:
    PlayListTest() {
        for (const char* name : {"a", "b", "c"}) {
            items_.push_back(db_.addItem(std::string("/music/") + name + ".mp3", name, "Art"));
        }
        list_ = &db_.db->playlists().create("Mix");
        list_->insert(0, items_);
        panel_.list = list_;
        panel_.selected = 1;
    }

    mdbtest::Fixture db_;
    std::vector<mdb::MusicItem*> items_;
    mdb::MutableGroup* list_ = nullptr;
};

TEST_F(PlayListTest, FollowsTheListAndItsChanges) {
    player_->FollowListPanel(false);
    EXPECT_EQ(player_->CurrentIndex(), 1);
    EXPECT_EQ(player_->FollowedKind(), 2);
    EXPECT_EQ(view_.titles.back(), "Title:b - Artist:Art    ");
    EXPECT_EQ(panel_.playing.back(), 1);

    list_->move({1}, 0);  // b moves to the front
    EXPECT_EQ(player_->CurrentIndex(), 0);
    list_->removeAt({0});
    EXPECT_EQ(player_->CurrentIndex(), -1);  // gone from the list
    EXPECT_EQ(panel_.playing.back(), -1);

    settings_.write(app::settings::kControlActive, 1);
    panel_.selected = 0;
    player_->FollowListPanel(false);  // the recording panel feeds the player
    EXPECT_EQ(player_->CurrentIndex(), -1);
    player_->FollowListPanel(true);
    EXPECT_EQ(player_->CurrentIndex(), 0);

    db_.db->playlists().remove("Mix");  // deleting the list resets the player
    EXPECT_EQ(player_->CurrentIndex(), -1);
    EXPECT_EQ(player_->CurrentPath(), "");
    EXPECT_EQ(view_.titles.back(), "");
    EXPECT_EQ(view_.captions.back(), "MP3 Melodux");
    EXPECT_EQ(player_->Next(), 0u);
}

TEST(PlayerDisplay, TimeDigitsCountUpOrDownAndBlinkWhilePaused) {
    struct Case {
        int32_t mode, position, length;
        bool paused;
        uint32_t tick;
        app::display::TimeDigits digits;
    } cases[] = {
        {0, 3723000, 4000000, false, 0, {false, false, true, 1, 2, 3}},
        {1, 3723000, 4000000, false, 0, {false, true, true, 0, 4, 37}},
        {1, 5000, 4000, false, 0, {false, true, true, 0, 0, 0}},  // never below 0
        {0, 1000, 0, false, 0, {true, false, true, 0, 0, 0}},     // no length: blank
        {0, 59999, 60000, true, 700, {false, false, false, 0, 0, 59}},
        {0, 360000000, 400000000, false, 0, {false, false, true, 0, 0, 0}},  // 100 h wraps
    };
    for (const Case& c : cases) {
        const auto d = app::display::timeDigits(c.mode, c.position, c.length, c.paused, c.tick);
        EXPECT_EQ(std::tie(d.blank, d.minus, d.lit, d.hours, d.minutes, d.seconds),
                  std::tie(c.digits.blank, c.digits.minus, c.digits.lit, c.digits.hours,
                           c.digits.minutes, c.digits.seconds))
            << c.position;
    }
    EXPECT_EQ(app::display::titleText("Song", "", "/m/x.mp3"), "Title:Song    ");
    EXPECT_EQ(app::display::titleText("", "Me", "/m/01 Intro.v2.mp3"),
              "Title:01 Intro.v2 - Artist:Me    ");
    EXPECT_EQ(app::display::captionText(4, "Title:Song - Artist:Me    "),
              "MP3 Melodux  - 5.Title:Song - Artist:Me");
}

}  // namespace
