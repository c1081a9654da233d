#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "app/PlayerPanels.h"
#include "app/PlayerSettings.h"
#include "app/PlayerView.h"
#include "app/ShuffleOrder.h"
#include "app/ShuffleRandom.h"
#include "mdb/ChangeNotifier.h"
#include "platform/MessageTarget.h"
#include "stream/CNxSSManager.h"
#include "stream/NxRef.h"

namespace mdb {
class Group;
}

namespace app {

// The player: plays the items of one list (a library group or playlist of
// the list/edit panel, or the recording panel's list) one after another, in
// list or shuffled order, with repeat, an optional silent gap and volume.
// It owns at most one chain for the current item, and, while it plays with
// no gap between items, the next item's source, which the current chain's
// renderer reads on from its end (see Follow()); the chains post their
// notifications to `window`, and the owner hands them back through
// OnMessage() on its own thread. Every operation runs on the owner's thread
// except CopyPlayingData() and GetOutputFormat(), which the spectrum display
// may call from its own.
class CPlayController : private mdb::ChangeListener {
  public:
    static constexpr int32_t kRecordingKind = 5;
    static constexpr uint32_t kNotifyMessage = 0x401;
    static constexpr int32_t kVolumeStep = 500;
    static constexpr int32_t kMaxVolume = 10000;
    enum Repeat : int32_t { kRepeatOff = 0, kRepeatOne = 1, kRepeatAll = 2 };
    // Where a posted notification comes from.
    enum class Sender { Item, Gap, Gone };

    // A new manager for one chain.
    using ChainFactory = std::function<NxRef<CNxSSManager>()>;

    // Reads "Volume", "ShuffleMode" and "RepeatMode".
    CPlayController(ChainFactory chains, PlayerSettings& settings, PlayerView& view,
                    ShuffleRandom& random, platform::MessageTarget& window);
    // Writes them back and closes the chain.
    ~CPlayController() override;
    CPlayController(const CPlayController&) = delete;
    CPlayController& operator=(const CPlayController&) = delete;

    // The panels, once they exist (null: none).
    void SetPanels(PlayerListPanel* listPanel, PlayerRecordingPanel* recordingPanel);

    // Transport: result codes, 0 for success.
    uint32_t Play();
    // Play, but an item that starts afresh starts at `ms`.
    uint32_t PlayFrom(int32_t ms);
    uint32_t Stop();
    uint32_t Pause();
    uint32_t Seek(int32_t ms);
    uint32_t Previous();
    uint32_t Next();
    uint32_t Select(int32_t index);
    // The Previous and Next buttons: they also play unless the player rests.
    uint32_t PressPrevious();
    uint32_t PressNext();

    void SetVolume(int32_t volume);
    void VolumeUp();
    void VolumeDown();
    // -1 cycles off, one, all.
    void SetRepeat(int32_t mode);
    void ToggleRepeatOne();
    void ToggleRepeatAll();
    void SetShuffle(bool on);
    // Whether items without a gap between them hand over on the open output
    // (on by default); off, each item ends and the next starts on its own.
    void SetGapless(bool on);

    int32_t GetLength();
    int32_t GetPosition();
    int32_t GetStatus();
    uint32_t CopyPlayingData(void* buffer, uint32_t frames);
    uint32_t GetOutputFormat(platform::WaveFormat& format);

    void SetEqualizerLevels(const std::array<double, 10>& levels);
    void SetEqualizerGain(int32_t gain);
    void SetEqualizerBypass(bool bypass);

    void FollowListPanel(bool force);
    void FollowRecordingPanel(bool force);
    // After a stop: the panel the player followed last.
    void FollowActivePanel();

    // A change of the source list, by change kind (1..6); the recording
    // panel reports changes of its list the same way.
    void OnListEvent(int32_t event);
    // A notification posted by a chain: message kNotifyMessage's parameters.
    void OnMessage(uintptr_t code, intptr_t sender);
    Sender SenderOf(intptr_t sender) const;
    // Notifications of the current item's chain and of the gap's.
    void OnNotify(uint32_t code);
    void OnGapNotify(uint32_t code);
    // The index the current item hands over to without a gap, if any.
    int32_t FollowOnIndex() const { return followOn_.chain ? followOn_.index : -1; }

    int32_t CurrentIndex() const { return currentIndex_; }
    const std::string& CurrentPath() const { return currentPath_; }
    int32_t Count() const;
    int32_t Volume() const { return volume_; }
    int32_t RepeatMode() const { return repeat_; }
    bool Shuffle() const { return shuffle_; }
    bool GapPending() const { return gapPending_; }
    bool AtLastItem() const;
    const ShuffleOrder& Order() const { return order_; }
    int32_t SourceKind() const { return sourceKind_; }
    int32_t FollowedKind() const { return followedKind_; }

    // What the list tells about one of its items.
    struct Item {
        std::string path;
        std::string title;
        std::string artist;
        int32_t playTimeMs = 0;
        std::string album;
        int32_t track = 0;  // 0: unknown
    };
    // The current item, or nothing without one.
    std::optional<Item> CurrentItem() const;

  private:
    // The next item's chain, made of its source alone.
    struct FollowOn {
        NxRef<CNxSSManager> chain;
        int32_t index = -1;
        std::string path;
    };

    void onChange(const mdb::ChangeEvent& event) override;

    Item ItemAt(int32_t index) const;
    uint32_t OpenChain();
    void ReplaceChain(NxRef<CNxSSManager> chain);
    NxRef<CNxSSManager> MakeChain(const std::string& name, intptr_t& sender, uint32_t& rc);
    void ApplyEqualizer();
    void ShowFormatOf(CNxSSComponent* source);
    void MakeCurrent(int32_t index, const Item& item);
    std::optional<int32_t> FollowingIndex() const;
    float LevelOf(const std::string& path);
    void PrepareFollowOn();
    bool CancelFollowOn();
    void OnFollowed();
    bool ChainStopped();
    bool ChainRunning();
    uint32_t Advance();
    bool AdvanceGoesOn();
    void OnFinished();
    void StartGap();
    void CancelGap();
    void EndOfPlay();
    void ShowError(uint32_t code);
    void ShowTitleOf(const Item& item, int32_t index);
    void ShowNoTitle();
    void TellPlaying(int32_t index);
    void Reset();
    void Attach(int32_t kind, mdb::Group* list);
    void LetGoOfList();
    void FindCurrentAgain();
    void RebuildOrder(bool pinCurrent);
    int32_t ShuffledPosition();

    const ChainFactory chains_;
    PlayerSettings& settings_;
    PlayerView& view_;
    ShuffleRandom& random_;
    platform::MessageTarget& window_;
    PlayerListPanel* listPanel_ = nullptr;
    PlayerRecordingPanel* recordingPanel_ = nullptr;

    std::mutex lock_;  // changes of the chain, against the spectrum display
    NxRef<CNxSSManager> chain_;
    NxRef<CNxSSManager> gapChain_;  // the silence of a pending gap
    NxRef<CNxSSManager> fedChain_;  // the source heard after a follow-on
    FollowOn followOn_;
    intptr_t chainSender_ = 0;
    intptr_t gapSender_ = 0;
    intptr_t lastSender_ = 0;

    std::string currentPath_;
    int32_t currentIndex_ = -1;
    std::string titleText_;
    int32_t volume_;
    bool shuffle_;
    bool reorderPending_ = true;
    int32_t repeat_;
    int32_t equalizerGain_ = 100;
    bool equalizerBypass_ = false;
    std::array<double, 10> equalizerLevels_{};
    ShuffleOrder order_;
    int32_t sourceKind_ = 0;
    mdb::Group* sourceList_ = nullptr;
    int32_t followedKind_ = 0;
    int32_t discIdentity_ = -1;
    int32_t gapTenths_ = 0;
    bool gapPending_ = false;
    bool gapless_ = true;
};

}  // namespace app
