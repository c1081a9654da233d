#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/RecordingFormat.h"
#include "mdb/MusicInfo.h"
#include "ui/PoolWork.h"

namespace app {
class Engine;
}

namespace mdb {
class MusicDatabase;
}

namespace ui::record {

// What a music file added for conversion comes to: its length, whether
// the writer takes its saved settings for it, and the library's record of
// it. Opening a file is slow enough to add up over many files.
struct ProbedFile {
    std::string path;
    uint32_t error = 0;  // the chain could not be built: the file is no use
    int32_t lengthSeconds = 0;
    bool refused = false;
    int64_t size = 0;  // estimated in the format probed for; 0 when refused
    std::optional<mdb::MusicInfo> record;
};

// Reads files on pool threads, one job per file, and hands each answer to
// the UI thread as it comes.
class FileProbe {
  public:
    using Done = std::function<void(const ProbedFile& file)>;

    FileProbe(const app::Engine& engine, Done done) : engine_(engine), done_(std::move(done)) {}

    // `db` (may be null) must outlive the probe; the chain is built as the
    // writer of `format` would write the file.
    void probe(const std::vector<std::string>& paths, const app::RecordingFormat& format,
               mdb::MusicDatabase* db);
    // Answers still on their way are dropped (the list was rebuilt).
    void forget() { ++generation_; }
    bool busy() const { return waiting_ > 0; }

  private:
    ProbedFile read(const std::string& path, const app::RecordingFormat& format,
                    mdb::MusicDatabase* db) const;

    const app::Engine& engine_;
    Done done_;
    uint64_t generation_ = 0;
    size_t waiting_ = 0;
    PoolWork work_;  // last: its end waits for the files
};

}  // namespace ui::record
