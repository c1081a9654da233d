#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "cdinfo/CddbClient.h"

namespace ui::options {

// Fetches a CDDB server's list of servers on a worker thread and hands the
// outcome to the UI thread. Going away abandons a running exchange.
class ServerListReload {
  public:
    using Done = std::function<void(cdinfo::CddbStatus, std::vector<cdinfo::CddbSite>)>;

    ServerListReload() = default;
    ~ServerListReload();
    ServerListReload(const ServerListReload&) = delete;
    ServerListReload& operator=(const ServerListReload&) = delete;

    // False, and nothing happens, while a reload runs. `done` runs on the
    // calling (UI) thread.
    bool start(cdinfo::CddbClientOptions options, Done done);
    bool running() const { return running_; }

  private:
    void finish();

    QObject receiver_;
    std::atomic<bool> cancel_{false};
    std::thread worker_;
    bool running_ = false;
};

}  // namespace ui::options
