#include <filesystem>
#include <stdexcept>

#include "app/MusicFiles.h"
#include "cli/LibraryCommand.h"
#include "mdb/Exceptions.h"

namespace cli::library {

namespace {

// The items stored under `path`, or below it when it names a folder.
std::vector<size_t> indicesFor(const mdb::MusicItemList& library, const std::string& path) {
    mdb::MusicCriterion exact;
    exact.path = path;
    exact.mask = mdb::MusicInfo::Path;
    size_t index = 0;
    if (library.findFirst(exact, true, 0, index)) {
        return {index};
    }
    const std::string folder = path == "/" ? path : path + "/";
    std::vector<size_t> indices;
    for (size_t i = 0; i < library.count(); ++i) {
        if (library.itemAt(i)->getPath().starts_with(folder)) {
            indices.push_back(i);
        }
    }
    return indices;
}

// Files one music file; why it failed, or null.
const char* fileOne(mdb::MusicItemList& library, const std::string& path, Filed& filed) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        return "no such file";
    }
    const size_t before = library.count();
    size_t index = mdb::kNoIndex;
    try {
        index = library.addFile(path);
    } catch (const mdb::FileIOException&) {
        return "cannot be read";
    }
    if (index == mdb::kNoIndex) {
        return "not a music file the library takes";
    }
    filed.added += library.count() - before;
    filed.items.push_back(library.itemAt(index));
    return nullptr;
}

int reportFailed(const std::vector<std::string>& failed, const char* why) {
    for (const std::string& path : failed) {
        reportFailure(path, why);
    }
    return failed.empty() ? 0 : 1;
}

}  // namespace

Filed fileIntoLibrary(mdb::MusicDatabase& db, const std::vector<std::string>& paths) {
    mdb::MusicItemList& library = db.library();
    Filed filed;
    for (const std::string& path : app::expandMusicPaths(paths, library.getExtensions())) {
        if (const char* why = fileOne(library, path, filed)) {
            reportFailure(path, why);
            ++filed.failed;
        }
    }
    return filed;
}

int runAdd(mdb::MusicDatabase& db, const Args& args, std::string& report) {
    const CliOptions parsed = parseArgs(args, {}, {});
    expectPositional(parsed, 1, SIZE_MAX);
    const Filed filed = fileIntoLibrary(db, parsed.positional());
    report += std::to_string(filed.added) + " added, " +
              std::to_string(filed.items.size() - filed.added) + " already in the library, " +
              std::to_string(filed.failed) + " failed\n";
    return filed.failed == 0 ? 0 : 1;
}

int runSync(mdb::MusicDatabase& db, const Args& args, std::string& report) {
    expectPositional(parseArgs(args, {}, {}), 0, 0);
    const size_t before = db.library().count();
    db.library().synchronize();
    const size_t after = db.library().count();
    report += std::to_string(after) + " items, " + std::to_string(before - after) +
              " removed (file gone)\n";
    return 0;
}

int runRemove(mdb::MusicDatabase& db, const Args& args, std::string& report) {
    const CliOptions parsed = parseArgs(args, {}, {});
    expectPositional(parsed, 1, SIZE_MAX);
    std::vector<size_t> indices;
    std::vector<std::string> missing;
    for (const std::string& path : parsed.positional()) {
        const std::vector<size_t> found = indicesFor(db.library(), app::absolutePath(path));
        if (found.empty()) {
            missing.push_back(path);
        }
        indices.insert(indices.end(), found.begin(), found.end());
    }
    const size_t before = db.library().count();
    db.library().removeAt(indices);
    report += std::to_string(before - db.library().count()) + " removed\n";
    return reportFailed(missing, "not in the library");
}

int runExport(mdb::MusicDatabase& db, const Args& args) {
    const CliOptions parsed = parseArgs(args, {}, {});
    expectPositional(parsed, 1, 1);
    const std::string& file = parsed.positional()[0];
    db.library().exportTo(app::absolutePath(file), app::fileFormatFor(file));
    return 0;
}

int runImport(mdb::MusicDatabase& db, const Args& args, std::string& report) {
    const CliOptions parsed = parseArgs(args, {}, {});
    expectPositional(parsed, 1, 1);
    const std::string& file = parsed.positional()[0];
    std::vector<std::string> failed;
    const size_t before = db.library().count();
    db.library().importAppending(app::absolutePath(file), app::fileFormatFor(file), failed);
    report += std::to_string(db.library().count() - before) + " added\n";
    return reportFailed(failed, "not a music file the library takes");
}

}  // namespace cli::library
