#include "cli/LibraryCommand.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

#include "app/AppSettings.h"
#include "app/DataFolder.h"
#include "app/Engine.h"
#include "app/LibrarySession.h"
#include "app/StreamTagAccess.h"
#include "mdb/Exceptions.h"

namespace cli {

namespace {

constexpr const char* kUsage =
    "usage: melodux-cli library [--db DIR] COMMAND\n"
    "  add PATH...                 add music files; folders are searched\n"
    "  list [--by artist|album|genre] [--group NAME] [--sort FIELD[:desc]]\n"
    "  search TEXT [--fields title,artist,album,comment,path] [--genre N] [--exact]\n"
    "  sync                        refresh the library from the files\n"
    "  remove PATH...              remove files (or everything below a folder)\n"
    "  export FILE | import FILE   .csv (library format), .m3u or .pls\n"
    "  playlist list | show NAME | create NAME | rename OLD NEW | delete NAME\n"
    "  playlist add NAME PATH... | export NAME FILE | import NAME FILE\n"
    "Items print as: path, title, artist, album, genre number, comment, year,\n"
    "track, play time (ms), size, modification time, separated by tabs.\n"
    "FIELD: path title artist album genre comment year track time size modified\n"
    "DIR defaults to the DefaultMdbPath setting, else ~/.local/share/mp3-melodux/MyData.\n";

struct Command {
    const char* name;
    int (*run)(mdb::MusicDatabase&, const Args&, std::string& report);
    // Whether the command changes the library, so that it must hold it.
    bool (*writes)(const Args&);
};

bool always(const Args&) {
    return true;
}

bool never(const Args&) {
    return false;
}

// Commands that only look print as they go.
template <int (*look)(mdb::MusicDatabase&, const Args&)>
int looking(mdb::MusicDatabase& db, const Args& args, std::string&) {
    return look(db, args);
}

const Command* commandNamed(const std::string& name) {
    static constexpr Command kCommands[] = {
        {"add", library::runAdd, always},
        {"list", looking<library::runList>, never},
        {"search", looking<library::runSearch>, never},
        {"sync", library::runSync, always},
        {"remove", library::runRemove, always},
        {"export", looking<library::runExport>, never},
        {"import", library::runImport, always},
        {"playlist", library::runPlaylist, library::playlistWrites},
    };
    for (const Command& command : kCommands) {
        if (name == command.name) {
            return &command;
        }
    }
    return nullptr;
}

// The failure as a user reads it; database messages are bare names.
std::string describe(const std::exception& e) {
    if (dynamic_cast<const mdb::NotFoundException*>(&e)) {
        return std::string("not found: ") + e.what();
    }
    if (dynamic_cast<const mdb::AlreadyExistsException*>(&e)) {
        return std::string("already exists: ") + e.what();
    }
    if (const auto* inUse = dynamic_cast<const mdb::LibraryInUseException*>(&e)) {
        const std::string holder =
            inUse->holder().empty() ? std::string("another process") : inUse->holder();
        return std::string("the library ") + e.what() + " is in use by " + holder +
               "; nothing was changed, try again once it is closed";
    }
    if (dynamic_cast<const mdb::FileIOException*>(&e)) {
        return std::string("cannot read or write ") + e.what();
    }
    if (dynamic_cast<const mdb::IOException*>(&e)) {
        return "cannot write the file";
    }
    return e.what();
}

int fail(const std::exception& e) {
    std::fprintf(stderr, "melodux-cli: library: %s\n", describe(e).c_str());
    return 1;
}

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

void tellProblems(const app::LibrarySession& session) {
    for (const mdb::LoadProblem& problem : session.problems()) {
        std::fprintf(stderr, "melodux-cli: library: %s\n", problem.text().c_str());
    }
}

void tellBackups(app::LibrarySession& session) {
    for (const std::string& backup : session.db().backups()) {
        std::fprintf(stderr, "melodux-cli: library: the file as it was is kept in %s\n",
                     backup.c_str());
    }
}

// Runs the command, then saves whatever it changed, also when it failed
// half-way: every database operation leaves the database whole. What the
// command reports is printed only once it is saved.
int runIn(app::LibrarySession& session, const Command& command, const Args& args, bool writes) {
    tellProblems(session);
    std::string report;
    int code = 0;
    try {
        code = command.run(session.db(), args, report);
    } catch (const library::UsageError& e) {
        std::fprintf(stderr, "melodux-cli: library: %s\n", e.what());
        code = usage();
    } catch (const std::exception& e) {
        code = fail(e);
    }
    if (writes) {
        try {
            session.saveIfModified();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "melodux-cli: library: not saved: %s\n", describe(e).c_str());
            return 1;
        }
        tellBackups(session);
    }
    std::fputs(report.c_str(), stdout);
    return code;
}

}  // namespace

int runLibrary(const Args& args) {
    size_t at = 0;
    std::optional<std::string> folder;
    if (at + 1 < args.size() && args[at] == "--db") {
        folder = args[at + 1];
        at += 2;
    }
    if (at >= args.size() || args[at] == "--help" || args[at] == "-h") {
        return usage();
    }
    const Command* command = commandNamed(args[at]);
    if (command == nullptr) {
        std::fprintf(stderr, "melodux-cli: library: unknown command '%s'\n", args[at].c_str());
        return usage();
    }
    const Args rest(args.begin() + static_cast<long>(at) + 1, args.end());
    const bool writes = command->writes(rest);
    try {
        app::LibrarySession session(folder.value_or(app::libraryFolder()),
                                    std::make_shared<app::StreamTagAccess>(engine().catalog()),
                                    (app::dataFolder() / "genre.dat").string(),
                                    writes ? app::LibrarySession::Access::ReadWrite
                                           : app::LibrarySession::Access::ReadOnly);
        return runIn(session, *command, rest, writes);
    } catch (const std::exception& e) {
        return fail(e);
    }
}

namespace library {

CliOptions parseArgs(const Args& args, const std::vector<std::string>& valued,
                     const std::vector<std::string>& flags) {
    auto parsed = CliOptions::parse(args, valued, flags);
    if (!parsed) {
        throw UsageError("unexpected option");
    }
    return *parsed;
}

void expectPositional(const CliOptions& parsed, size_t min, size_t max) {
    if (parsed.positional().size() < min) {
        throw UsageError("missing arguments");
    }
    if (parsed.positional().size() > max) {
        throw UsageError("unexpected argument '" + parsed.positional()[max] + "'");
    }
}

void reportFailure(const std::string& path, const std::string& why) {
    std::fprintf(stderr, "melodux-cli: library: %s: %s\n", path.c_str(), why.c_str());
}

}  // namespace library

}  // namespace cli
