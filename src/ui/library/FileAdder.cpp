#include "ui/library/FileAdder.h"

#include <algorithm>
#include <chrono>

#include "app/MusicFiles.h"
#include "mdb/Exceptions.h"
#include "mdb/MusicItem.h"
#include "mdb/MusicItemList.h"

namespace ui::library {
namespace {

// A batch goes to the UI thread at this size or this age, whichever first.
constexpr size_t kBatchFiles = 64;
constexpr auto kBatchAge = std::chrono::milliseconds(40);

}  // namespace

FileAdder::FileAdder(mdb::MusicDatabase& db, std::shared_ptr<mdb::TagAccess> tags,
                     std::vector<std::string> extensions)
    : db_(db), tags_(std::move(tags)), extensions_(std::move(extensions)) {}

FileAdder::~FileAdder() {
    cancelled_ = true;
}

bool FileAdder::start(std::vector<std::string> paths, Progress progress, Done done) {
    if (running_) {
        return false;
    }
    if (worker_.joinable()) {
        worker_.join();
    }
    running_ = true;
    cancelled_ = false;
    result_ = {};
    addedPaths_.clear();
    progress_ = std::move(progress);
    done_ = std::move(done);
    worker_ =
        std::jthread([this, paths = std::move(paths)]() mutable { search(std::move(paths)); });
    return true;
}

// On the worker: nothing here touches the database.
void FileAdder::search(std::vector<std::string> paths) {
    std::vector<std::string> files;
    try {
        files = app::expandMusicPaths(paths, extensions_);
    } catch (const std::exception&) {
        files = paths;  // each then fails on its own
    }
    std::vector<Found> batch;
    auto since = std::chrono::steady_clock::now();
    size_t done = 0;
    for (const std::string& path : files) {
        if (cancelled_) {
            break;
        }
        batch.push_back({path, mdb::readFileRecord(*tags_, path)});
        ++done;
        if (batch.size() >= kBatchFiles || std::chrono::steady_clock::now() - since > kBatchAge) {
            post(std::exchange(batch, {}), done, files.size(), false);
            since = std::chrono::steady_clock::now();
        }
    }
    post(std::move(batch), done, files.size(), true);
}

void FileAdder::post(std::vector<Found> batch, size_t done, size_t total, bool last) {
    QMetaObject::invokeMethod(
        &receiver_,
        [this, batch = std::move(batch), done, total, last] {
            if (!cancelled_) {
                file(batch);
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

// On the UI thread: the records go in as the library's own file adding
// would put them (refused types and relative paths fail).
void FileAdder::file(const std::vector<Found>& batch) {
    auto guard = db_.lock();
    mdb::MusicItemList& library = db_.library();
    std::vector<mdb::MusicInfo> records;
    std::vector<const std::string*> paths;
    for (const Found& found : batch) {
        if (found.record) {
            records.push_back(*found.record);
            paths.push_back(&found.path);
        }
    }
    result_.failed += batch.size() - records.size();
    const std::vector<size_t> indices = library.addRecords(records);
    for (size_t i = 0; i < indices.size(); ++i) {
        if (indices[i] == mdb::kNoIndex) {
            ++result_.failed;
        } else {
            result_.added.push_back(library.itemAt(indices[i]));
            addedPaths_.push_back(*paths[i]);
        }
    }
}

// The caller holds the database lock.
bool FileAdder::stillThere(const mdb::MusicItem* item, const std::string& path) const {
    const std::vector<mdb::MusicItem*> held = db_.library().itemsWithPath(path);
    if (std::find(held.begin(), held.end(), item) != held.end()) {
        return true;
    }
    try {
        db_.library().indexOf(item);  // its path was edited meanwhile
        return true;
    } catch (const mdb::NotFoundException&) {
        return false;
    }
}

void FileAdder::finish() {
    running_ = false;
    // Items removed while the run went on are left out (the pointer is
    // only looked up, never followed). By path first: the library's table
    // of positions is rebuilt for all its items after every change.
    {
        auto guard = db_.lock();
        std::vector<mdb::MusicItem*> kept;
        for (size_t i = 0; i < result_.added.size(); ++i) {
            if (stillThere(result_.added[i], addedPaths_[i])) {
                kept.push_back(result_.added[i]);
            }
        }
        result_.added = std::move(kept);
        addedPaths_.clear();
    }
    result_.cancelled = cancelled_;
    const Done done = std::move(done_);
    if (done) {
        done(result_);
    }
}

}  // namespace ui::library
