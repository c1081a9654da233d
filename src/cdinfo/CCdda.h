#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cdinfo/CDDB_REQDATA.h"
#include "cdinfo/CDiscID.h"
#include "cdinfo/CServeList.h"
#include "cdinfo/CddaConfig.h"
#include "cdinfo/CddaResult.h"
#include "cdinfo/GenreMap.h"
#include "platform/MessageTarget.h"

namespace cdinfo {

// The CD information connection: drives, disc information, the local CD
// database and CDDB. Calls return a CddaResult (0 for success) unless
// noted. Lookups and submissions run on one worker thread, one at a time;
// everything else runs on the caller's thread. Not itself thread-safe: one
// owner thread calls it.
class CCdda {
  public:
    using ConfigSource = std::function<CddaConfig()>;

    CCdda();  // configured from the settings at each call
    explicit CCdda(ConfigSource config);
    ~CCdda();  // abandons a running exchange and waits for the worker
    CCdda(const CCdda&) = delete;
    CCdda& operator=(const CCdda&) = delete;

    uint32_t Initialize(platform::MessageTarget* owner);
    uint32_t SetgenreTable(const std::vector<std::string>& names);

    // One entry per drive, its letter first ("D: /dev/sr0").
    uint32_t GetDriveList(std::vector<std::string>& drives) const;
    // Synchronous; kCddaNetworkError when the server cannot be reached.
    uint32_t GetServerList(CServeList& list) const;
    // present = 1 with an audio disc in the drive; identity changes with the
    // disc (empty without one).
    uint32_t GetMediaPresent(const std::string& drive, int& present, std::string* identity) const;
    // Fills the disc from the drive's table of contents and, when the local
    // database has titles for it, from there (0); kCddaNotFound otherwise.
    uint32_t GetLocalDiscInfo(const std::string& drive, CDiscID& disc) const;
    // The stored entry for the disc (its id and layout), titles, states and
    // output paths included.
    uint32_t ReadLocalDB(CDiscID& disc) const;
    uint32_t WriteLocalDB(const CDiscID& disc) const;

    // Start a lookup (request.drive, request.mode) or a submission
    // (request.disc); the result shows in the request.
    uint32_t GetAllDiscInfo(CDDB_REQDATA& request);
    uint32_t SendPost(CDDB_REQDATA& request);
    bool IsBusy() const { return busy_.load(std::memory_order_acquire); }

    uint32_t DoEject(const std::string& drive) const;
    // Nonzero when a drive can write CD-R media.
    uint32_t IsCdrExist() const;

  private:
    uint32_t start(CDDB_REQDATA& request, std::function<uint32_t(CDDB_REQDATA&)> job);
    uint32_t lookup(CDDB_REQDATA& request, const CddaConfig& config, const GenreMap& genres,
                    const std::string& drive, int mode) const;
    uint32_t submit(CDDB_REQDATA& request, const CddaConfig& config, const GenreMap& genres) const;
    uint32_t readDisc(const CddaConfig& config, const std::string& drive, CDiscID& disc) const;

    ConfigSource config_;
    platform::MessageTarget* owner_ = nullptr;
    GenreMap genres_;
    std::atomic<bool> busy_{false};
    std::atomic<bool> cancel_{false};
    std::thread worker_;
};

}  // namespace cdinfo
