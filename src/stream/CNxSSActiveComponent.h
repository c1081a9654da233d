#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/Event.h"
#include "platform/MessageTarget.h"
#include "stream/CNxSSComponent.h"
#include "stream/NxRef.h"

// A component with its own worker thread. Callers post commands to a locked,
// coalescing queue; the worker runs them through OnCommand and posts the
// results to the registered windows.
class CNxSSActiveComponent : public CNxSSComponent {
  public:
    enum Command : uint32_t {
        kCmdQuit = 1,
        kCmdStart = 2,
        kCmdStop = 3,
        kCmdPause = 4,
        kCmdSeek = 5,
        kCmdIdle = 10,
        kCmdBlockDone = 10001,
    };
    static constexpr int kPriorityNormal = 0;
    static constexpr int kPriorityHighest = 2;

    explicit CNxSSActiveComponent(CNxSSObject* parent);
    // Derived classes stop the thread in their own destructors, while their
    // OnCommand can still run; this is only a backstop.
    ~CNxSSActiveComponent() override;

    virtual void Start() { PostCommand(kCmdStart, 0, 0, false); }
    // A start that begins at `ms` instead of the beginning, so that nothing
    // before it is heard (writers start at the beginning regardless).
    void StartAt(int32_t ms) { PostCommand(kCmdStart, ms, 0, false); }
    virtual void Stop() { PostCommand(kCmdStop, 0, 0, false); }
    virtual void Pause() { PostCommand(kCmdPause, 0, 0, false); }
    virtual void Seek(int32_t ms) { PostCommand(kCmdSeek, ms, 0, false); }
    virtual int32_t GetStatus() { return GetState(); }
    virtual uint32_t SeekAndWait(int32_t ms);
    // Drops every queued command but quit, then ends the thread.
    virtual void Shutdown();
    bool IsStopping() const { return stopping_; }

    virtual bool HasVolume() { return false; }
    virtual bool SetVolume(uint32_t) { return false; }
    virtual uint32_t GetVolume() { return 0; }
    virtual bool GetOutputFormat(platform::WaveFormat&) { return false; }

    // Taps on the audio being heard (the renderer's; none elsewhere).
    virtual bool GetPlayingData(NxRef<CNxSSPacket>&, uint32_t&, uint32_t) { return false; }
    virtual bool CopyPlayingData(void*, uint32_t) { return false; }
    virtual const uint8_t* GetPlayingPointer(uint32_t) { return nullptr; }
    virtual void ReleasePlayingData() {}

    // Throws CNxSSException(0x80004005) when a thread exists already.
    void StartThread(int priority);
    // Queues a command; with wait set, blocks until it ran and returns its
    // result (param1 when it was dropped). Throws
    // CNxSSException(0x80004005) without a thread.
    uint32_t PostCommand(uint32_t code, int32_t param1, int32_t param2, bool wait);
    void StopThread();
    // Notifications go to window as message(code, lParam), in the order of
    // registration. The window must outlive the component's thread.
    void Advise(platform::MessageTarget* window, uint32_t message, intptr_t lParam);

  protected:
    // Runs one command on the worker thread; returns the code to report
    // (0: nothing). The base knows no command.
    virtual uint32_t OnCommand(uint32_t code, int32_t param1, int32_t param2);
    // The stop step after a command failed with an exception.
    virtual void OnCommandFailed() {}
    // Time-out of the worker's wait; 0 makes the idle tick run continuously.
    void SetWaitTimeout(int ms);
    void Notify(uint32_t code);
    size_t QueueLength();

  private:
    struct Reply {
        uint32_t* result;
        platform::Event* done;
    };
    struct Entry {
        uint32_t code;
        int32_t param1;
        int32_t param2;
        std::vector<Reply> replies;  // waiters, including those of coalesced entries
    };
    struct Sink {
        platform::MessageTarget* window;
        uint32_t message;
        intptr_t lParam;
    };

    void ThreadMain();
    bool TakeNext(Entry& entry);
    static void Answer(const std::vector<Reply>& replies, uint32_t result);
    void AnswerRemaining();
    uint32_t Dispatch(uint32_t code, int32_t param1, int32_t param2);
    static void SetThreadPriority(int priority);

    platform::Event commandEvent_{platform::Event::Reset::Auto};
    std::thread thread_;
    std::mutex queueMutex_;
    std::deque<Entry> queue_;
    int waitTimeout_ = platform::Event::kInfinite;  // worker-thread only
    std::atomic<bool> stopping_{false};
    std::mutex sinksMutex_;
    std::vector<Sink> sinks_;
};
