#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/Commands.h"
#include "mdb/MusicDatabase.h"

// The parts of "melodux-cli library". Each sub-command works on the opened
// database and returns the exit code: 0 done, 1 some paths or entries
// failed (each reported on stderr). Failures of the database propagate as
// exceptions; the caller reports them and saves what changed. Commands that
// change the library put their result text into `report`, which is printed
// only once the change is saved.
namespace cli::library {

// A command line that does not fit the command's usage.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The command's options and positional arguments; throws UsageError for
// an option it does not take.
CliOptions parseArgs(const Args& args, const std::vector<std::string>& valued,
                     const std::vector<std::string>& flags);
// Throws UsageError unless there are `min` to `max` positional arguments.
void expectPositional(const CliOptions& parsed, size_t min, size_t max);

// "melodux-cli: library: PATH: why" on stderr.
void reportFailure(const std::string& path, const std::string& why);

// One line per item: the path, then title, artist, album, genre number,
// comment, year, track, play time (ms), size and modification time,
// separated by tabs.
void printItems(const std::vector<mdb::MusicItem*>& items);
// A field name of the command line (path, title, ... modified).
mdb::MusicInfo::Type fieldNamed(const std::string& name);

int runAdd(mdb::MusicDatabase& db, const Args& args, std::string& report);
int runList(mdb::MusicDatabase& db, const Args& args);
int runSearch(mdb::MusicDatabase& db, const Args& args);
int runSync(mdb::MusicDatabase& db, const Args& args, std::string& report);
int runRemove(mdb::MusicDatabase& db, const Args& args, std::string& report);
int runExport(mdb::MusicDatabase& db, const Args& args);
int runImport(mdb::MusicDatabase& db, const Args& args, std::string& report);
int runPlaylist(mdb::MusicDatabase& db, const Args& args, std::string& report);
// Whether the playlist command `args` changes the library (list, show and
// export only look).
bool playlistWrites(const Args& args);

// The outcome of filing files into the library.
struct Filed {
    std::vector<mdb::MusicItem*> items;  // in order, those already there included
    size_t added = 0;                    // new to the library
    size_t failed = 0;                   // reported on stderr
};
// Files the music files behind `paths` (folders searched for music files)
// into the library.
Filed fileIntoLibrary(mdb::MusicDatabase& db, const std::vector<std::string>& paths);

}  // namespace cli::library
