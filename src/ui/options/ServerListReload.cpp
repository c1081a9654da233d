#include "ui/options/ServerListReload.h"

namespace ui::options {

ServerListReload::~ServerListReload() {
    cancel_ = true;
    if (worker_.joinable()) {
        worker_.join();
    }
}

bool ServerListReload::start(cdinfo::CddbClientOptions options, Done done) {
    if (running_) {
        return false;
    }
    finish();
    running_ = true;
    options.http.cancel = &cancel_;
    worker_ = std::thread([this, options = std::move(options), done = std::move(done)] {
        std::vector<cdinfo::CddbSite> sites;
        const cdinfo::CddbStatus status = cdinfo::CddbClient(options).sites(sites);
        QMetaObject::invokeMethod(
            &receiver_,
            [this, status, sites = std::move(sites), done]() mutable {
                finish();
                done(status, std::move(sites));
            },
            Qt::QueuedConnection);
    });
    return true;
}

// The worker has posted its last word by now.
void ServerListReload::finish() {
    if (worker_.joinable()) {
        worker_.join();
    }
    running_ = false;
}

}  // namespace ui::options
