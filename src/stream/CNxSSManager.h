#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/MessageTarget.h"
#include "platform/WaveFormat.h"
#include "platform/WaveOut.h"
#include "stream/CNxSSActiveComponent.h"
#include "stream/CNxSSComponentCatalog.h"
#include "stream/CNxSSInfo.h"
#include "stream/CNxSSObject.h"
#include "stream/CNxSSPacket.h"
#include "stream/NxRef.h"

// Owns one chain (a source and a sink) and is the framework's only door for
// the rest of the program. Every operation holds the manager's lock and
// returns a result code.
class CNxSSManager : public CNxSSObject {
  public:
    enum SinkKind : int32_t {
        kSinkNone = -1,
        kSinkRenderer = 0,
        kSinkMp3 = 14,
        kSinkWave = 15,
        kSinkWma = 16,
    };
    struct Equalizer {
        std::array<int32_t, 10> bandsDb{};
        bool enabled = false;
        int32_t extra = 0;
    };

    // driver: where renderers play (null: platform::WaveOutDriver::current()).
    explicit CNxSSManager(CNxSSComponentCatalog catalog = {},
                          std::shared_ptr<platform::WaveOutDriver> driver = nullptr);
    ~CNxSSManager() override;

    NxRef<CNxSSPacket> CreatePacket(CNxSSObject* owner);
    // Chooses and opens the source for a name: "::SLNCnnnn" silence, else by
    // extension, or by the file's first bytes when the extension names no
    // reader. 0x83EA000D when no reader takes the name.
    uint32_t OpenSource(const std::string& name, NxRef<CNxSSComponent>& source);
    // An empty sourceName makes a chain without a source (a writer whose
    // settings are wanted); with neither name nor output 0x80004005.
    uint32_t CreateChain(const std::string& sourceName, const std::string& outputPath,
                         int32_t sinkKind);
    // The sink follows outputPath: none = renderer, ".mp3", ".wma", ".wav".
    uint32_t CreateChainFor(const std::string& sourceName, const std::string& outputPath);
    uint32_t Connect(CNxSSComponent* source, CNxSSComponent* sink);

    int32_t GetLength();
    int32_t GetPosition();
    uint32_t Start();
    uint32_t StartAt(int32_t ms);
    uint32_t Stop();
    uint32_t Pause();
    uint32_t Seek(int32_t ms);
    uint32_t SetVolume(uint32_t volume);
    int32_t GetStatus();
    uint32_t GetOutputFormat(platform::WaveFormat& format);
    uint32_t CopyPlayingData(void* buffer, uint32_t frames);
    uint32_t GetInterface(uint32_t id, void** out) override;
    uint32_t Advise(platform::MessageTarget* window, uint32_t message, intptr_t lParam);
    // The information object of the named file (opened for the question
    // only), or of the current source when name is empty.
    uint32_t GetInfo(const std::string& name, NxRef<CNxSSInfo>& info);

    // Kept for every chain; the renderer filters with it (levels in dB, the
    // further integer the pre-amplifier gain in fifths of a dB, -50..50;
    // other values add no gain). Writers ignore it.
    void SetEqualizer(const Equalizer& equalizer);
    Equalizer GetEqualizer() const;

    // The renderer's linear gain for the current source's samples.
    uint32_t SetGain(float factor);
    // Gapless playback: the renderer plays `next`'s source on from the end
    // of its own, with `gain`; 0 when it takes it, 0x80004005 when it
    // cannot (not playing, no renderer, another format). `next` must
    // outlive that until Unfollow() or the notification that it is heard.
    uint32_t Follow(CNxSSManager& next, float gain);
    // False when the renderer reads the follow-on already.
    bool Unfollow();

    CNxSSComponent* Source() const { return source_.get(); }
    CNxSSActiveComponent* Sink() const { return sink_.get(); }

    static int32_t SinkKindFor(const std::string& outputPath);

  private:
    NxRef<CNxSSComponent> MakeSource(const std::string& name);
    NxRef<CNxSSActiveComponent> MakeSink(int32_t sinkKind, const std::string& outputPath);
    template <typename Call>
    uint32_t CommandSink(Call call);
    void ReleaseChain();
    static void Drop(NxRef<CNxSSComponent> component);

    const CNxSSComponentCatalog catalog_;
    const std::shared_ptr<platform::WaveOutDriver> driver_;
    mutable std::recursive_mutex lock_;
    NxRef<CNxSSComponent> source_;
    NxRef<CNxSSActiveComponent> sink_;
    Equalizer equalizer_;
};

// Makes a component as the manager's child (with the further constructor
// arguments) and opens it with open(component); one that fails to open
// leaves the manager's child list again.
template <typename T, typename Open, typename... Args>
NxRef<T> MakeOpened(CNxSSManager& manager, Open open, Args&&... args) {
    NxRef<T> component = MakeNx<T>(&manager, std::forward<Args>(args)...);
    try {
        open(*component);
    } catch (...) {
        component->SetParent(nullptr);
        throw;
    }
    return component;
}
