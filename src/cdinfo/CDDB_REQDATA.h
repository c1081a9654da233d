#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "cdinfo/CDiscID.h"
#include "platform/Event.h"
#include "platform/MessageTarget.h"

namespace cdinfo {

// One asynchronous CDDB request. The caller fills kind, drive, disc and
// mode, hands it to CCdda and then only reads status(), stage() and
// result() until status() is no longer 1; after that `disc` holds the
// result. The request must stay alive until wait() returned or the CCdda
// that runs it is destroyed.
class CDDB_REQDATA {
  public:
    enum Kind : int { kLookup = 0, kSubmit = 1 };
    // The mode values: 1 local database only, 2 network only, 3 local first.
    enum Mode : int { kLocalOnly = 1, kNetworkOnly = 2, kLocalFirst = 3 };
    enum class Stage { Idle, ReadingDisc, LocalLookup, Querying, Submitting, Saving, Done };
    // Posted to `owner` when the request ends: wParam the kind, lParam the result.
    static constexpr uint32_t kDoneMessage = 0x0410;

    CDDB_REQDATA() = default;
    CDDB_REQDATA(const CDDB_REQDATA&) = delete;
    CDDB_REQDATA& operator=(const CDDB_REQDATA&) = delete;

    int kind = kLookup;
    std::string drive;
    CDiscID disc;
    int mode = kNetworkOnly;
    platform::MessageTarget* owner = nullptr;

    int status() const { return status_.load(std::memory_order_acquire); }  // 1 while running
    Stage stage() const { return stage_.load(std::memory_order_acquire); }
    uint32_t result() const { return result_.load(std::memory_order_acquire); }
    // Waits until the request is not running; false on time-out.
    bool wait(int timeoutMs = platform::Event::kInfinite) { return idle_.wait(timeoutMs); }

  private:
    friend class CCdda;

    void begin();
    void advance(Stage stage) { stage_.store(stage, std::memory_order_release); }
    void finish(uint32_t result);

    std::atomic<int> status_{0};
    std::atomic<Stage> stage_{Stage::Idle};
    std::atomic<uint32_t> result_{0};
    platform::Event idle_{platform::Event::Reset::Manual, true};
};

}  // namespace cdinfo
