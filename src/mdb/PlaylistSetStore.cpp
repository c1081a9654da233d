#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "mdb/AtomicLineFile.h"
#include "mdb/Csv.h"
#include "mdb/DatabaseStore.h"
#include "mdb/Exceptions.h"
#include "mdb/MusicDatabase.h"
#include "mdb/PathRules.h"
#include "mdb/PlaylistFiles.h"
#include "mdb/TextFile.h"
#include "platform/TextCodec.h"

namespace mdb {

namespace {

constexpr std::string_view kForbiddenInFileNames = "\\/:*?\"<>|";
// Leaves room for the number and extension within the usual 255-byte
// file-name limit, so that a long playlist name never makes saving fail.
constexpr size_t kMaxStemBytes = 200;

struct IndexLine {
    size_t number;
    IndexEntry entry;
};

std::string indexPath(const std::string& dir) {
    return joinPath(dir, "PlayListSet.csv");
}

// Where an interrupted save of the earlier kind moved a playlist file.
std::string legacyBackupOf(const std::string& file) {
    return file + ".tmp";
}

std::string normalForm(const std::string& file) {
    return std::filesystem::path(file).lexically_normal().string();
}

// Only files directly in the folder are playlists of the library: an index
// naming "/proc/self/mem" or "../x" is not followed.
bool insideFolder(const std::string& file, const std::string& dir) {
    const std::filesystem::path path(normalForm(file));
    return path.has_filename() && path.parent_path() == dir;
}

// The lines with a file and a name, the file resolved against the folder.
// The others are told in `bad` when given.
std::vector<IndexLine> parseIndex(const TextFile& index, const std::string& dir,
                                  std::vector<LineProblem>* bad) {
    std::vector<IndexLine> lines;
    std::string line;
    for (TextFile::Cursor at; index.nextLine(at, line);) {
        CsvFields fields(line);
        const auto file = at.tooLong ? std::nullopt : fields.text();
        const auto name = file ? fields.text() : std::nullopt;
        if (name && !name->empty() && !file->empty()) {
            lines.push_back({at.line, {resolvePath(*file, dir), *name}});
        } else if (bad) {
            bad->push_back(
                {at.line, at.tooLong
                              ? "longer than " + std::to_string(TextFile::kMaxLineBytes) + " bytes"
                              : "cannot be read"});
        }
    }
    return lines;
}

// The entries of the index on disk now, their files in normal form;
// nothing when it cannot be read.
std::vector<IndexEntry> presentEntries(FileOps& files, const std::string& dir) {
    std::vector<IndexEntry> entries;
    if (!files.exists(indexPath(dir))) {
        return entries;
    }
    try {
        for (IndexLine& line : parseIndex(TextFile(indexPath(dir)), dir, nullptr)) {
            entries.push_back({normalForm(line.entry.file), std::move(line.entry.name)});
        }
    } catch (const FileIOException&) {
        // Nothing to replace or delete then; the save writes a new index.
    }
    return entries;
}

// Notes a line of the index that the next save drops, so that the save
// copies the index before it replaces it.
void noteDroppedLine(MusicDatabase& db, const std::string& dir, size_t line, std::string what) {
    noteProblems(db, indexPath(dir), {{line, std::move(what)}});
}

// Notes a line of the index that saves keep as it is.
void keepLine(MusicDatabase& db, const std::string& dir, const IndexLine& line, std::string what) {
    db.findings().problems.push_back({indexPath(dir), line.number, std::move(what)});
    db.findings().kept.push_back(line.entry);
}

// The file to read for an entry: its own, else the backup an interrupted
// save of the earlier kind left. Empty when neither exists.
std::string sourceOf(MusicDatabase& db, const std::string& file) {
    FileOps& files = db.files();
    if (files.exists(file)) {
        return file;
    }
    if (files.exists(legacyBackupOf(file))) {
        return legacyBackupOf(file);
    }
    return "";
}

// Reads one playlist into the set. A file that cannot be read leaves no
// trace in the set but stays in the index (LoadFindings::kept).
void loadEntry(MusicDatabase& db, const std::string& dir, const IndexLine& line,
               std::map<std::string, std::string>& loadedFrom) {
    const IndexEntry& entry = line.entry;
    if (!insideFolder(entry.file, dir)) {
        keepLine(db, dir, line,
                 "not read, the file lies outside the library folder: " + entry.file);
        return;
    }
    if (const auto why = MutableGroupList::nameProblem(entry.name)) {
        keepLine(db, dir, line, *why);
        return;
    }
    const std::string file = normalForm(entry.file);
    const std::string source = sourceOf(db, file);
    if (source.empty()) {
        noteDroppedLine(db, dir, line.number,
                        "playlist " + entry.name + " is dropped, its file is missing: " + file);
        return;
    }
    MutableGroupList& playlists = db.playlists();
    const auto earlier = loadedFrom.find(entry.name);
    ImportResult result;
    try {
        MutableGroup& playlist = playlists.create(entry.name);
        try {
            playlist.importReplacing(source, kFormatM3u, result);
        } catch (...) {
            if (earlier == loadedFrom.end()) {
                playlists.remove(entry.name);
            }
            throw;
        }
    } catch (const FileIOException&) {
        db.findings().problems.push_back(
            {source, 0, "cannot be read, playlist " + entry.name + " is left as it is"});
        db.findings().kept.push_back(entry);
        return;
    }
    if (earlier != loadedFrom.end()) {
        noteDroppedLine(db, dir, line.number,
                        "playlist " + entry.name + " is named again, " + source +
                            " replaces the entries of " + earlier->second);
        db.findings().damaged.insert(earlier->second);
    }
    if (source != file) {
        db.findings().legacyBackups.push_back(source);
    }
    loadedFrom[entry.name] = source;
    noteProblems(db, source, result.problems);
}

// The file each playlist is saved in, in the order of `playlists`. A
// playlist keeps the file the index gave it under the same name; other
// files that exist, and those of the kept entries, are not taken.
std::vector<IndexEntry> planFiles(SaveTarget& target, const std::vector<PlaylistCopy>& playlists,
                                  const std::vector<IndexEntry>& present,
                                  const std::vector<IndexEntry>& kept) {
    std::set<std::string> chosen;
    for (const IndexEntry& entry : kept) {
        chosen.insert(normalForm(entry.file));
    }
    std::set<std::pair<std::string, std::string>> own;
    for (const IndexEntry& entry : present) {
        own.emplace(entry.file, entry.name);
    }
    std::vector<IndexEntry> plan;
    for (const PlaylistCopy& playlist : playlists) {
        const std::string& name = playlist.name;
        const auto taken = [&](const std::string& file) {
            return chosen.contains(file) ||
                   (!own.contains({file, name}) && target.files.exists(file));
        };
        plan.push_back({choosePlaylistFile(target.dir, name, taken), name});
        chosen.insert(plan.back().file);
    }
    return plan;
}

// The entries of a playlist as records of their paths, for its M3U file.
class PathRecords : public RecordSource {
  public:
    explicit PathRecords(const std::vector<std::string>& paths) : paths_(paths) {}
    void enumerate(RecordWriter& writer) const override {
        MusicInfo record;
        for (const std::string& path : paths_) {
            record.path = path;
            writer.write(record);
        }
    }

  private:
    const std::vector<std::string>& paths_;
};

void appendIndexLine(AtomicLineFile& index, const IndexEntry& entry, const std::string& dir) {
    std::string line;
    appendCsvText(line, relativeForm(entry.file, dir));
    line += ',';
    appendCsvText(line, entry.name);
    index.writeLine(line);
}

// Writes every playlist file, then the index, which replaces the old one
// last: until then the old index names complete files, each holding the
// old or the new entries of its own playlist. Files new to the folder are
// removed again when the save fails.
void writePlaylists(SaveTarget& target, const std::vector<PlaylistCopy>& playlists,
                    const std::vector<IndexEntry>& plan, const std::vector<IndexEntry>& kept) {
    FileOps& files = target.files;
    std::vector<std::string> created;
    try {
        for (size_t i = 0; i < plan.size(); ++i) {
            const IndexEntry& entry = plan[i];
            if (!files.exists(entry.file)) {
                created.push_back(entry.file);
            }
            backUpIfDamaged(target, entry.file);
            exportToFile(files, PathRecords(playlists[i].paths), entry.file, kFormatM3u);
        }
        backUpIfDamaged(target, indexPath(target.dir));
        AtomicLineFile index(files, indexPath(target.dir));
        for (const auto* entries : {&plan, &kept}) {
            for (const IndexEntry& entry : *entries) {
                appendIndexLine(index, entry, target.dir);
            }
        }
        index.commit();
    } catch (...) {
        for (const std::string& file : created) {
            files.remove(file);
        }
        throw;
    }
}

// After the new index is in place: the files only the old one named go,
// and so do the backups of the earlier kind that were read.
void removeReplaced(SaveTarget& target, const std::vector<IndexEntry>& present,
                    const std::vector<IndexEntry>& plan, const std::vector<IndexEntry>& kept) {
    const std::string& dir = target.dir;
    const auto named = [](const std::vector<IndexEntry>& entries, const std::string& file) {
        return std::any_of(entries.begin(), entries.end(),
                           [&](const IndexEntry& e) { return normalForm(e.file) == file; });
    };
    std::vector<std::string> doomed;
    for (const IndexEntry& entry : present) {
        if (insideFolder(entry.file, dir) && !named(plan, entry.file) && !named(kept, entry.file)) {
            doomed.push_back(entry.file);
        }
    }
    LoadFindings& findings = target.findings;
    if (findings.dir == dir) {
        doomed.insert(doomed.end(), findings.legacyBackups.begin(), findings.legacyBackups.end());
        findings.legacyBackups.clear();
    }
    for (const std::string& file : doomed) {
        backUpIfDamaged(target, file);
        target.files.remove(file);
    }
}

}  // namespace

std::string choosePlaylistFile(const std::string& dir, const std::string& name,
                               const std::function<bool(const std::string&)>& taken) {
    std::string stem = name;
    std::replace_if(
        stem.begin(), stem.end(),
        [](char c) { return kForbiddenInFileNames.find(c) != std::string_view::npos; }, ' ');
    stem = std::string(platform::utf8Truncate(stem, kMaxStemBytes));
    const std::string base = joinPath(dir, stem);
    std::string file = base + ".m3u";
    for (int n = 2; taken(file); ++n) {
        file = base + "-" + std::to_string(n) + ".m3u";
    }
    return file;
}

void savePlaylistSet(SaveTarget& target, const std::vector<PlaylistCopy>& playlists) {
    const LoadFindings& findings = target.findings;
    const std::vector<IndexEntry> kept =
        findings.dir == target.dir ? findings.kept : std::vector<IndexEntry>{};
    const std::vector<IndexEntry> present = presentEntries(target.files, target.dir);
    const std::vector<IndexEntry> plan = planFiles(target, playlists, present, kept);
    writePlaylists(target, playlists, plan, kept);
    removeReplaced(target, present, plan, kept);
}

void loadPlaylistSet(MusicDatabase& db, const std::string& dir) {
    MutableGroupList& playlists = db.playlists();
    playlists.clear();
    if (db.files().exists(indexPath(dir))) {
        const TextFile index(indexPath(dir));
        std::vector<LineProblem> bad;
        const std::vector<IndexLine> lines = parseIndex(index, dir, &bad);
        noteProblems(db, indexPath(dir), bad);
        std::map<std::string, std::string> loadedFrom;
        for (const IndexLine& line : lines) {
            loadEntry(db, dir, line, loadedFrom);
        }
    }
    playlists.clearModified();
    playlists.flush();
}

}  // namespace mdb
