#include "ui/library/LibrarySync.h"

#include <chrono>

#include "mdb/MusicItem.h"
#include "mdb/MusicItemList.h"

namespace ui::library {
namespace {

// A batch goes to the UI thread at this size or this age, whichever first.
constexpr size_t kBatchFiles = 64;
constexpr auto kBatchAge = std::chrono::milliseconds(40);

}  // namespace

LibrarySync::LibrarySync(mdb::MusicDatabase& db, std::shared_ptr<mdb::TagAccess> tags)
    : db_(db), tags_(std::move(tags)) {}

LibrarySync::~LibrarySync() {
    cancelled_ = true;
}

bool LibrarySync::start(Progress progress, Done done) {
    if (running_) {
        return false;
    }
    if (worker_.joinable()) {
        worker_.join();
    }
    std::vector<Known> known;
    {
        auto guard = db_.lock();
        const mdb::MusicItemList& library = db_.library();
        known.reserve(library.count());
        for (size_t i = 0; i < library.count(); ++i) {
            const mdb::MusicItem* item = library.itemAt(i);
            known.push_back({item->pathRef(), item->number(mdb::MusicInfo::Modified)});
        }
    }
    running_ = true;
    cancelled_ = false;
    result_ = {};
    progress_ = std::move(progress);
    done_ = std::move(done);
    worker_ = std::jthread([this, known = std::move(known)]() mutable { check(std::move(known)); });
    return true;
}

// On the worker: nothing here touches the database.
void LibrarySync::check(std::vector<Known> known) {
    std::vector<Seen> batch;
    auto since = std::chrono::steady_clock::now();
    size_t done = 0;
    for (const Known& record : known) {
        if (cancelled_) {
            break;
        }
        Seen seen{record.path, {tags_->status(record.path), std::nullopt}};
        if (seen.look.status && mdb::MusicItemList::needsTag(record.stored, *seen.look.status)) {
            seen.look.tag = tags_->read(record.path);
        }
        batch.push_back(std::move(seen));
        ++done;
        if (batch.size() >= kBatchFiles || std::chrono::steady_clock::now() - since > kBatchAge) {
            post(std::exchange(batch, {}), done, known.size(), false);
            since = std::chrono::steady_clock::now();
        }
    }
    post(std::move(batch), done, known.size(), true);
}

void LibrarySync::post(std::vector<Seen> batch, size_t done, size_t total, bool last) {
    QMetaObject::invokeMethod(
        &receiver_,
        [this, batch = std::move(batch), done, total, last] {
            if (!cancelled_) {
                apply(batch);
                if (progress_) {
                    progress_(done, total);
                }
            }
            if (last) {
                finish();
            }
        },
        Qt::QueuedConnection);
}

// On the UI thread. Items are found again by path: one removed or renamed
// meanwhile is simply not met.
void LibrarySync::apply(const std::vector<Seen>& batch) {
    auto guard = db_.lock();
    mdb::MusicItemList& library = db_.library();
    std::vector<size_t> gone;
    for (const Seen& seen : batch) {
        for (mdb::MusicItem* item : library.itemsWithPath(seen.path)) {
            bool changed = false;
            if (!library.follow(*item, seen.look, changed)) {
                gone.push_back(library.indexOf(item));
            } else if (changed) {
                ++result_.updated;
            }
        }
    }
    // With the item every playlist and group lets go of it too.
    if (!gone.empty()) {
        library.removeAt(gone);
        result_.removed += gone.size();
    }
}

void LibrarySync::finish() {
    running_ = false;
    {
        auto guard = db_.lock();
        db_.flushAll();
    }
    result_.cancelled = cancelled_;
    const Done done = std::move(done_);
    if (done) {
        done(result_);
    }
}

}  // namespace ui::library
