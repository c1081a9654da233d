#include "ui/record/FileProbe.h"

#include <memory>

#include "app/Engine.h"
#include "app/EntryFormat.h"
#include "app/RecordingSizes.h"
#include "mdb/MusicDatabase.h"

namespace ui::record {
namespace {

// A chain built to look at a file writes nothing under this name.
constexpr const char* kLookOnlyOutput = "temp";

std::optional<mdb::MusicInfo> recordOf(mdb::MusicDatabase& db, const std::string& path) {
    const auto guard = db.lock();
    mdb::MusicCriterion samePath;
    samePath.path = path;
    samePath.mask = mdb::MusicInfo::Path;
    size_t index = 0;
    if (!db.library().findFirst(samePath, true, 0, index)) {
        return std::nullopt;
    }
    return db.library().itemAt(index)->getInfo();
}

}  // namespace

void FileProbe::probe(const std::vector<std::string>& paths, const app::RecordingFormat& format,
                      mdb::MusicDatabase* db) {
    for (const std::string& path : paths) {
        auto answer = std::make_shared<ProbedFile>();
        ++waiting_;
        work_.run([this, answer, path, format, db] { *answer = read(path, format, db); },
                  [this, answer, generation = generation_] {
                      --waiting_;
                      if (generation == generation_) {
                          done_(*answer);
                      }
                  });
    }
}

ProbedFile FileProbe::read(const std::string& path, const app::RecordingFormat& format,
                           mdb::MusicDatabase* db) const {
    ProbedFile file;
    file.path = path;
    auto chain = engine_.makeManager();
    if ((file.error = chain->CreateChain(path, kLookOnlyOutput, format.sinkKind)) != 0) {
        return file;
    }
    file.lengthSeconds = chain->GetLength() / 1000;
    file.refused = app::offerSettings(*chain, {}) != 0;
    file.size = file.refused ? 0 : app::estimatedRecordingSize(format.bitRate, file.lengthSeconds);
    if (db != nullptr) {
        file.record = recordOf(*db, path);
    }
    return file;
}

}  // namespace ui::record
