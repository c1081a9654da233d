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

using Command = int (*)(mdb::MusicDatabase&, const Args&);

Command commandNamed(const std::string& name) {
    static const std::pair<const char*, Command> kCommands[] = {
        {"add", library::runAdd},       {"list", library::runList},
        {"search", library::runSearch}, {"sync", library::runSync},
        {"remove", library::runRemove}, {"export", library::runExport},
        {"import", library::runImport}, {"playlist", library::runPlaylist},
    };
    for (const auto& [commandName, command] : kCommands) {
        if (name == commandName) {
            return command;
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

// Runs the command, then saves whatever it changed, also when it failed
// half-way: every database operation leaves the database whole.
int runIn(app::LibrarySession& session, Command command, const Args& args) {
    int code = 0;
    try {
        code = command(session.db(), args);
    } catch (const library::UsageError& e) {
        std::fprintf(stderr, "melodux-cli: library: %s\n", e.what());
        code = usage();
    } catch (const std::exception& e) {
        code = fail(e);
    }
    try {
        session.saveIfModified();
    } catch (const std::exception& e) {
        code = fail(e);
    }
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
    const Command command = commandNamed(args[at]);
    if (command == nullptr) {
        std::fprintf(stderr, "melodux-cli: library: unknown command '%s'\n", args[at].c_str());
        return usage();
    }
    try {
        app::LibrarySession session(folder.value_or(app::libraryFolder()),
                                    std::make_shared<app::StreamTagAccess>(engine().catalog()),
                                    (app::dataFolder() / "genre.dat").string());
        return runIn(session, command, Args(args.begin() + static_cast<long>(at) + 1, args.end()));
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
