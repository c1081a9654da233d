#include <algorithm>
#include <cstdio>

#include "app/MusicFiles.h"
#include "cli/LibraryCommand.h"

namespace cli::library {

namespace {

using Positional = std::vector<std::string>;

int listPlaylists(mdb::MusicDatabase& db, const Positional&, std::string&) {
    for (const std::string& name : db.playlists().getNames()) {
        std::printf("%s\n", name.c_str());
    }
    return 0;
}

int showPlaylist(mdb::MusicDatabase& db, const Positional& p, std::string&) {
    const mdb::MutableGroup& playlist = db.playlists().get(p[0]);
    std::vector<mdb::MusicItem*> items;
    for (size_t i = 0; i < playlist.count(); ++i) {
        items.push_back(playlist.itemAt(i));
    }
    printItems(items);
    return 0;
}

int createPlaylist(mdb::MusicDatabase& db, const Positional& p, std::string&) {
    db.playlists().create(p[0]);
    return 0;
}

int renamePlaylist(mdb::MusicDatabase& db, const Positional& p, std::string&) {
    db.playlists().rename(p[0], p[1]);
    return 0;
}

int deletePlaylist(mdb::MusicDatabase& db, const Positional& p, std::string&) {
    db.playlists().get(p[0]);  // a name that is not there is an error here
    db.playlists().remove(p[0]);
    return 0;
}

// Files not yet in the library are added to it first.
int addToPlaylist(mdb::MusicDatabase& db, const Positional& p, std::string& report) {
    mdb::MutableGroup& playlist = db.playlists().get(p[0]);
    const Filed filed = fileIntoLibrary(db, Positional(p.begin() + 1, p.end()));
    playlist.insert(playlist.count(), filed.items);
    report += std::to_string(filed.items.size()) + " added to " + p[0] + ", " +
              std::to_string(filed.failed) + " failed\n";
    return filed.failed == 0 ? 0 : 1;
}

int exportPlaylist(mdb::MusicDatabase& db, const Positional& p, std::string&) {
    db.playlists().get(p[0]).exportTo(app::absolutePath(p[1]), app::fileFormatFor(p[1]));
    return 0;
}

// Imports into the named playlist, made when missing; entries must be in
// the library already.
int importPlaylist(mdb::MusicDatabase& db, const Positional& p, std::string& report) {
    const std::vector<std::string> names = db.playlists().getNames();
    const bool existed = std::find(names.begin(), names.end(), p[0]) != names.end();
    mdb::MutableGroup& playlist = db.playlists().create(p[0]);
    std::vector<std::string> failed;
    const size_t before = playlist.count();
    try {
        playlist.importAppending(app::absolutePath(p[1]), app::fileFormatFor(p[1]), failed);
    } catch (...) {
        if (!existed) {
            db.playlists().remove(p[0]);
        }
        throw;
    }
    report += std::to_string(playlist.count() - before) + " added to " + p[0] + "\n";
    for (const std::string& path : failed) {
        reportFailure(path, "not in the library");
    }
    return failed.empty() ? 0 : 1;
}

struct Subcommand {
    const char* name;
    size_t minArgs;
    size_t maxArgs;
    bool writes;
    int (*run)(mdb::MusicDatabase&, const Positional&, std::string&);
};

constexpr Subcommand kSubcommands[] = {
    {"list", 0, 0, false, listPlaylists},    {"show", 1, 1, false, showPlaylist},
    {"create", 1, 1, true, createPlaylist},  {"rename", 2, 2, true, renamePlaylist},
    {"delete", 1, 1, true, deletePlaylist},  {"add", 2, SIZE_MAX, true, addToPlaylist},
    {"export", 2, 2, false, exportPlaylist}, {"import", 2, 2, true, importPlaylist},
};

}  // namespace

bool playlistWrites(const Args& args) {
    const auto parsed = CliOptions::parse(args, {}, {});
    if (!parsed || parsed->positional().empty()) {
        return false;  // a usage error: nothing to open for writing
    }
    for (const Subcommand& sub : kSubcommands) {
        if (parsed->positional()[0] == sub.name) {
            return sub.writes;
        }
    }
    return false;
}

int runPlaylist(mdb::MusicDatabase& db, const Args& args, std::string& report) {
    const CliOptions parsed = parseArgs(args, {}, {});
    if (parsed.positional().empty()) {
        throw UsageError("playlist needs a command");
    }
    const Positional rest(parsed.positional().begin() + 1, parsed.positional().end());
    for (const Subcommand& sub : kSubcommands) {
        if (parsed.positional()[0] == sub.name) {
            if (rest.size() < sub.minArgs || rest.size() > sub.maxArgs) {
                throw UsageError(std::string("wrong arguments for playlist ") + sub.name);
            }
            return sub.run(db, rest, report);
        }
    }
    throw UsageError("unknown playlist command '" + parsed.positional()[0] + "'");
}

}  // namespace cli::library
