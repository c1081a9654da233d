#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "dsp/EqualizerSettings.h"
#include "dsp/PcmEqualizer.h"
#include "platform/WaveOut.h"
#include "stream/CNxSSActiveComponent.h"
#include "stream/CNxSSPacket.h"

// The sink that plays a chain on the wave output device. Its worker reads
// the source ahead into a ring of blocks, but hands them to the device in
// short pieces, filtering each piece just before it goes: an equalizer
// change is heard after the few pieces the device holds, not after the
// whole ring.
class CNxSSWaveOut : public CNxSSActiveComponent {
  public:
    struct Config {
        uint32_t blocks = 5;       // output blocks
        uint32_t blockTenths = 5;  // length of one block in tenths of a second
        int32_t deviceId = -1;     // -1: the default device

        // "DoZIrodiz\WaveOut": "Blocks" 3..20, "BlockSize" 1..10, else
        // the defaults; "DeviceID" as stored.
        static Config FromRegistry();
    };
    using SleepFn = std::function<void(int ms)>;

    // sleep is used between tries on a busy device (tests inject their own).
    CNxSSWaveOut(CNxSSObject* parent, std::shared_ptr<platform::WaveOutDriver> driver,
                 Config config = Config::FromRegistry(), SleepFn sleep = {});
    ~CNxSSWaveOut() override;

    NxRef<CNxSSOutputPin> CreateOutputPin() override { return {}; }
    int32_t GetLength() override;
    int32_t GetPosition() override;
    int32_t GetStatus() override;

    bool HasVolume() override { return volumeSupported_; }
    bool SetVolume(uint32_t volume) override;
    uint32_t GetVolume() override;
    bool GetOutputFormat(platform::WaveFormat& format) override;

    bool GetPlayingData(NxRef<CNxSSPacket>& packet, uint32_t& offset, uint32_t frames) override;
    bool CopyPlayingData(void* buffer, uint32_t frames) override;
    const uint8_t* GetPlayingPointer(uint32_t frames) override;
    void ReleasePlayingData() override;

    // Any thread; the worker takes the settings up with the next block it
    // fills.
    void SetEqualizer(const dsp::EqualizerSettings& settings);

    // The linear gain of the current source's samples (its loudness level),
    // from the next block read on.
    void SetGain(float factor);
    // The source read on from the end of the current one without closing
    // the device, so the two join without a gap; its samples take `gain`.
    // Replaces one offered before that is not yet read. False when nothing
    // plays or its format differs: the output must then be opened afresh.
    // Once the follow-on is heard, Notify(kFollowed) tells it; until then
    // length, position, seeks and stops still concern the source before.
    bool Follow(NxRef<CNxSSComponent> next, float gain);
    // Withdraws the follow-on; false when reading has moved on to it.
    bool Unfollow();

    const Config& Configuration() const { return config_; }
    size_t BlockCount() const;

    // The device holds three pieces and hands two back at a time: a change
    // waits at most for the next refill and the piece still playing, 48 ms,
    // and a whole piece is left queued while the worker tops up. Each
    // refill is one wake of the worker and one of the device, every 32 ms.
    static constexpr uint32_t kPieceMs = 16;
    static constexpr size_t kPiecesAhead = 3;

  protected:
    uint32_t OnCommand(uint32_t code, int32_t param1, int32_t param2) override;
    void OnCommandFailed() override;

  private:
    struct Block {
        NxRef<CNxSSPacket> packet;
        uint32_t start = 0;     // stream offset of its first byte
        uint32_t length = 0;    // bytes read into it; 0: free
        uint32_t sent = 0;      // bytes of it written to the device
        uint32_t inFlight = 0;  // pieces of it the device holds
        bool inUse = false;     // a display tap holds a pointer into it
        float gain = 1.0f;      // of the source it was read from
    };
    struct FollowOn {
        NxRef<CNxSSComponent> source;
        NxRef<CNxSSOutputPin> pin;
        float gain = 1.0f;
    };
    // A follow-on being read but not yet heard: where it starts in the
    // stream, and the source before it, to go back to.
    struct Handover {
        uint32_t at = 0;
        CNxSSPin* previousPin = nullptr;
        NxRef<CNxSSComponent> previous;
        float previousGain = 1.0f;
        int32_t previousEndMs = 0;
    };
    struct Piece {
        platform::WaveHeader header;
        Block* block = nullptr;  // while the device holds it
    };

    uint32_t DoStart(int32_t fromMs);
    uint32_t DoStop();
    uint32_t DoPause();
    uint32_t DoSeek(int32_t ms);
    uint32_t DoQuit();
    bool OpenDevice();
    void AllocateBlocks();
    void OpenWithRetries();
    void CloseDevice();
    uint32_t Refill();
    void ReclaimPieces();
    void FreePlayedBlocks();
    void SendPieces();
    void ReadBlocks();
    bool AllPlayed() const;
    void DropBlocks();
    uint32_t FinishStream();
    void Rewind(int32_t toMs = 0);
    void Check(platform::MmResult result) const;
    Block* PlayingBlock(uint32_t frames, uint32_t& offset);
    void TakeEqualizerSettings();
    bool TakeFollowOn();
    void UndoHandover();
    void CheckHeard();
    void DropFollowOn();
    bool PlayedBytes(uint32_t& played);

    const std::shared_ptr<platform::WaveOutDriver> driver_;
    const Config config_;
    const SleepFn sleep_;
    mutable std::recursive_mutex deviceMutex_;  // the device, the blocks, upstream calls
    std::atomic<bool> refillPosted_{false};     // a block-done refill waits for the worker
    std::unique_ptr<platform::WaveOutDevice> device_;
    std::vector<std::unique_ptr<Block>> blocks_;
    std::deque<Block*> filled_;  // blocks holding unheard bytes, in stream order
    std::vector<std::unique_ptr<Piece>> pieces_;
    bool endOfStream_ = false;
    platform::WaveFormat format_;
    uint32_t bytesRead_ = 0;  // stream bytes read ahead since open or seek
    bool volumeSupported_ = false;
    bool lrVolumeSupported_ = false;
    uint32_t volume_ = 10000;
    dsp::PcmEqualizer equalizer_;  // the worker's, under deviceMutex_
    std::mutex settingsMutex_;
    std::optional<dsp::EqualizerSettings> newSettings_;
    float gain_ = 1.0f;  // of the source being read; under deviceMutex_
    std::optional<FollowOn> followOn_;
    std::optional<Handover> handover_;
};
