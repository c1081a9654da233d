#include "ui/record/DiscLookup.h"

namespace ui::record {
namespace {

constexpr int kWatchMs = 100;

}  // namespace

DiscLookup::DiscLookup(Done done, Tick tick) : done_(std::move(done)), tick_(std::move(tick)) {
    timer_.setInterval(kWatchMs);
    QObject::connect(&timer_, &QTimer::timeout, [this] { watch(); });
}

bool DiscLookup::start(const std::string& drive, int mode, const std::vector<std::string>& genres) {
    if (running()) {
        return false;
    }
    cdda_.SetgenreTable(genres);
    request_.drive = drive;
    request_.mode = mode;
    request_.disc.Remove();
    if (cdda_.GetAllDiscInfo(request_) != cdinfo::kCddaOk) {
        return false;
    }
    timer_.start();
    return true;
}

uint32_t DiscLookup::post(const cdinfo::CDiscID& disc, const std::vector<std::string>& genres) {
    if (running()) {
        return cdinfo::kCddaBusy;
    }
    cdda_.SetgenreTable(genres);
    request_.disc = disc;
    if (const uint32_t result = cdda_.SendPost(request_); result != cdinfo::kCddaOk) {
        return result;
    }
    timer_.start();
    return cdinfo::kCddaOk;
}

void DiscLookup::watch() {
    if (request_.status() == 1) {
        tick_();
        return;
    }
    timer_.stop();
    cdinfo::CDiscID disc = request_.disc;
    if (request_.kind == cdinfo::CDDB_REQDATA::kLookup) {
        keepStoredStates(disc);
    }
    done_(request_.kind, request_.result(), disc);
}

// A disc without titles may still have been recorded from before: its
// states and output paths are in the local database.
void DiscLookup::keepStoredStates(cdinfo::CDiscID& disc) const {
    if (disc.tracks.empty()) {
        return;
    }
    cdinfo::CDiscID stored = disc;
    if (cdda_.ReadLocalDB(stored) != cdinfo::kCddaOk ||
        stored.GetTrackCount() != disc.GetTrackCount()) {
        return;
    }
    for (size_t i = 0; i < disc.tracks.size(); ++i) {
        disc.tracks[i].state = stored.tracks[i].state;
        if (stored.tracks[i].state != 0) {
            disc.tracks[i].outputPath = stored.tracks[i].outputPath;
        }
    }
}

}  // namespace ui::record
