#include "ui/record/MediaWatch.h"

#include <memory>

#include "cdinfo/CCdda.h"
#include "cdinfo/CddaConfig.h"
#include "platform/Registry.h"

namespace ui::record {
namespace {

constexpr int kPollMs = 1000;

struct Answer {
    int present = 0;
    std::string identity;
};

}  // namespace

MediaWatch::MediaWatch(Drive drive, Allowed allowed, Changed changed)
    : drive_(std::move(drive)), allowed_(std::move(allowed)), changed_(std::move(changed)) {
    timer_.setInterval(kPollMs);
    QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
}

void MediaWatch::start() {
    if (!timer_.isActive()) {
        timer_.start();
        poll();
    }
}

// The settings are read here: the registry belongs to the UI thread.
void MediaWatch::poll() {
    if (asking_ || !allowed_()) {
        return;
    }
    asking_ = true;
    const auto config = cdinfo::CddaConfig::fromSettings(platform::Registry::instance());
    const std::string drive = drive_();
    auto answer = std::make_shared<Answer>();
    work_.run(
        [config, drive, answer] {
            const cdinfo::CCdda cdda([config] { return config; });
            cdda.GetMediaPresent(drive, answer->present, &answer->identity);
        },
        [this, answer] {
            asking_ = false;
            take(answer->present, answer->identity);
        });
}

// An answer that arrives while looking is not allowed is dropped: the next
// turn asks again.
void MediaWatch::take(int present, const std::string& identity) {
    if (!allowed_() || (known_ && present == present_ && identity == identity_)) {
        return;
    }
    known_ = true;
    present_ = present;
    identity_ = identity;
    changed_();
}

}  // namespace ui::record
