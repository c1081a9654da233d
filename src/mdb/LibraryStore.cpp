#include <filesystem>

#include "mdb/AtomicLineFile.h"
#include "mdb/DatabaseStore.h"
#include "mdb/Exceptions.h"
#include "mdb/MusicDatabase.h"
#include "mdb/PathRules.h"

namespace mdb {

namespace {

// Far more copies than any folder collects; beyond it something is amiss.
constexpr int kMaxBackups = 1000;

// Appended piece by piece: GCC 12 at -O3 takes "-" + std::string&& for an
// overlapping copy (a false -Wrestrict).
std::string backupName(const std::string& file, int number) {
    std::string name = file + ".bak";
    if (number != 1) {
        name += '-';
        name += std::to_string(number);
    }
    return name;
}

}  // namespace

void saveLibrary(SaveTarget& target, const std::vector<MusicInfo>& records) {
    const std::string path = joinPath(target.dir, "Library.csv");
    backUpIfDamaged(target, path);
    // The new file replaces the old one in a single rename once its data
    // are on disk: there is always a complete library file.
    AtomicLineFile file(target.files, path);
    const auto writer = makeWriter(kFormatLibraryCsv, file, target.dir);
    for (const MusicInfo& record : records) {
        writer->write(record);
    }
    writer->finish();
    file.commit();
}

void loadLibrary(MusicDatabase& db, const std::string& dir) {
    const std::string path = joinPath(dir, "Library.csv");
    MusicItemList& library = db.library();
    if (!db.files().exists(path)) {
        library.clear();
    } else {
        ImportResult result;
        library.importReplacing(path, kFormatLibraryCsv, result);
        noteProblems(db, path, result.problems);
    }
    library.clearModified();
}

std::string databaseFolder(const std::string& dir) {
    std::string folder = std::filesystem::absolute(dir).lexically_normal().string();
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return folder;
}

void noteProblems(MusicDatabase& db, const std::string& file,
                  const std::vector<LineProblem>& problems) {
    LoadFindings& findings = db.findings();
    for (const LineProblem& problem : problems) {
        findings.problems.push_back({file, problem.line, problem.what});
    }
    if (!problems.empty()) {
        findings.damaged.insert(file);
    }
}

void backUpIfDamaged(SaveTarget& target, const std::string& file) {
    LoadFindings& findings = target.findings;
    if (!findings.damaged.contains(file)) {
        return;
    }
    FileOps& files = target.files;
    if (!files.exists(file)) {
        findings.damaged.erase(file);  // nothing left to lose
        return;
    }
    for (int number = 1; number <= kMaxBackups; ++number) {
        const std::string backup = backupName(file, number);
        if (files.exists(backup)) {
            continue;
        }
        if (!files.copyToNew(file, backup)) {
            if (files.exists(backup)) {
                continue;  // made by someone else meanwhile
            }
            throw FileIOException(backup);
        }
        findings.backups.push_back(backup);
        findings.damaged.erase(file);
        return;
    }
    throw FileIOException(backupName(file, kMaxBackups));
}

}  // namespace mdb
