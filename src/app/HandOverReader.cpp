#include "app/HandOverReader.h"

#include <algorithm>

#include "platform/Processors.h"

namespace app {
namespace {

// Fewer files than this to a share would cost more in hand-offs than the
// reading saves.
constexpr size_t kFilesPerShare = 32;

size_t sharesFor(size_t files) {
    return std::clamp<size_t>(files / kFilesPerShare, 1, platform::usableProcessors());
}

}  // namespace

HandOverReader::HandOverReader(std::vector<std::string> files, const std::vector<bool>& known,
                               BackgroundWork& work, const TagsMaker& makeTags,
                               std::function<void()> done)
    : shared_(std::make_shared<Shared>()) {
    const size_t count = files.size();
    shared_->files = std::move(files);
    shared_->records.resize(count);
    shared_->gone.resize(count);
    shared_->struck = std::make_unique<std::atomic<bool>[]>(count);
    for (size_t i = 0; i < known.size() && i < count; ++i) {
        shared_->struck[i] = known[i];
    }
    shared_->done = std::move(done);
    const size_t shares = sharesFor(count);
    shared_->sharesLeft = shares;
    for (size_t share = 0; share < shares; ++share) {
        const size_t begin = count * share / shares, end = count * (share + 1) / shares;
        work.run(
            [shared = shared_, tags = makeTags(), begin, end] { read(*shared, *tags, begin, end); },
            [shared = shared_] {
                if (--shared->sharesLeft == 0 && !shared->abandoned) {
                    shared->done();
                }
            });
    }
}

HandOverReader::~HandOverReader() {
    shared_->abandoned = true;
}

void HandOverReader::read(Shared& shared, mdb::TagAccess& tags, size_t begin, size_t end) {
    for (size_t i = begin; i < end; ++i) {
        const auto status = tags.status(shared.files[i]);
        if (!status) {
            shared.gone[i] = 1;
        } else if (!shared.struck[i]) {
            shared.records[i] = mdb::readFileRecord(tags, shared.files[i], *status);
        }
    }
}

}  // namespace app
