#include <algorithm>
#include <filesystem>
#include <utility>
#include <vector>

#include "mdb/AtomicFile.h"
#include "mdb/Csv.h"
#include "mdb/DatabaseStore.h"
#include "mdb/Exceptions.h"
#include "mdb/MusicDatabase.h"
#include "mdb/PathRules.h"
#include "mdb/PlaylistFiles.h"
#include "platform/TextCodec.h"

namespace mdb {

namespace {

constexpr std::string_view kForbiddenInFileNames = "\\/:*?\"<>|";
// Leaves room for the number and extension within the usual 255-byte
// file-name limit, so that a long playlist name never makes saving fail.
constexpr size_t kMaxStemBytes = 200;

struct IndexEntry {
    std::string file;
    std::string name;
};

std::string indexPath(const std::string& dir) {
    return joinPath(dir, "PlayListSet.csv");
}

std::string backupOf(const std::string& file) {
    return file + ".tmp";
}

// The index's entries with a file and a name, in file order. Whether the
// files exist is left to the caller.
std::vector<IndexEntry> readIndex(const std::string& dir) {
    std::vector<IndexEntry> entries;
    const TextFile index(indexPath(dir));
    std::string line;
    for (size_t pos = 0; index.nextLine(pos, line);) {
        CsvFields fields(line);
        const auto file = fields.text();
        const auto name = file ? fields.text() : std::nullopt;
        if (name && !name->empty()) {
            entries.push_back({resolvePath(*file, dir), *name});
        }
    }
    return entries;
}

std::vector<IndexEntry> readIndexIfPresent(FileOps& files, const std::string& dir) {
    return files.exists(indexPath(dir)) ? readIndex(dir) : std::vector<IndexEntry>{};
}

// Moves the playlist files of the present index aside as backups. Only
// files in the database folder are ours to move.
std::vector<std::string> backUpPlaylistFiles(FileOps& files, const std::string& dir) {
    std::vector<IndexEntry> entries;
    try {
        entries = readIndexIfPresent(files, dir);
    } catch (const FileIOException&) {
        // An unreadable index has nothing to back up; the save replaces it.
    }
    std::vector<std::string> moved;
    for (const IndexEntry& entry : entries) {
        const bool ours = entry.file == joinPath(dir, fileNameOf(entry.file));
        if (ours && std::find(moved.begin(), moved.end(), entry.file) == moved.end() &&
            files.rename(entry.file, backupOf(entry.file))) {
            moved.push_back(entry.file);
        }
    }
    return moved;
}

// Writes every playlist and the new index; the index replaces the old one
// last, so until then the old index and its files stay valid.
void writePlaylists(MusicDatabase& db, const std::string& dir, std::vector<std::string>& written) {
    const std::string tempIndex = indexPath(dir) + ".tmp";
    AtomicFile index(db.files(), indexPath(dir), tempIndex);
    MutableGroupList& playlists = db.playlists();
    for (const std::string& name : playlists.getNames()) {
        const std::string file = choosePlaylistFile(db, dir, name);
        exportToFile(db.files(), playlists.get(name), file, kFormatM3u);
        written.push_back(file);
        std::string line;
        appendCsvText(line, relativeForm(file, dir));
        line += ',';
        appendCsvText(line, name);
        index.writeLine(line);
    }
    index.commit(tempIndex);
}

void restoreBackups(FileOps& files, const std::vector<std::string>& written,
                    const std::vector<std::string>& backups) {
    for (const std::string& file : written) {
        if (std::find(backups.begin(), backups.end(), file) == backups.end()) {
            files.remove(file);
        }
    }
    for (const std::string& file : backups) {
        files.rename(backupOf(file), file);
    }
}

// An interrupted save may have moved a playlist file aside without writing
// its successor: bring the backup back before leftovers are cleared.
void recoverInterruptedSave(FileOps& files, const std::string& dir,
                            const std::vector<IndexEntry>& entries) {
    for (const IndexEntry& entry : entries) {
        if (!files.exists(entry.file) && files.exists(backupOf(entry.file))) {
            files.rename(backupOf(entry.file), entry.file);
        }
    }
    for (const std::string& name : files.list(dir)) {
        if (name.ends_with(".tmp")) {
            files.remove(joinPath(dir, name));
        }
    }
}

}  // namespace

std::string choosePlaylistFile(MusicDatabase& db, const std::string& dir, const std::string& name) {
    std::string stem = name;
    std::replace_if(
        stem.begin(), stem.end(),
        [](char c) { return kForbiddenInFileNames.find(c) != std::string_view::npos; }, ' ');
    stem = std::string(platform::utf8Truncate(stem, kMaxStemBytes));
    const std::string base = joinPath(dir, stem);
    std::string file = base + ".m3u";
    for (int n = 2; db.files().exists(file); ++n) {
        file = base + "-" + std::to_string(n) + ".m3u";
    }
    return file;
}

void savePlaylistSet(MusicDatabase& db, const std::string& dir) {
    FileOps& files = db.files();
    const std::vector<std::string> backups = backUpPlaylistFiles(files, dir);
    std::vector<std::string> written;
    try {
        writePlaylists(db, dir, written);
    } catch (...) {
        restoreBackups(files, written, backups);
        throw;
    }
    for (const std::string& file : backups) {
        files.remove(backupOf(file));
    }
    db.playlists().clearModified();
}

void loadPlaylistSet(MusicDatabase& db, const std::string& dir) {
    FileOps& files = db.files();
    const std::vector<IndexEntry> entries = readIndexIfPresent(files, dir);
    recoverInterruptedSave(files, dir, entries);
    MutableGroupList& playlists = db.playlists();
    playlists.clear();
    for (const IndexEntry& entry : entries) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(entry.file, error)) {
            continue;  // an entry naming the folder itself, or a file since deleted
        }
        std::vector<std::string> missing;
        playlists.create(entry.name).importReplacing(entry.file, kFormatM3u, missing);
    }
    playlists.clearModified();
    playlists.flush();
}

}  // namespace mdb
