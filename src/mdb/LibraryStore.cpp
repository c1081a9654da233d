#include <filesystem>

#include "mdb/AtomicFile.h"
#include "mdb/DatabaseStore.h"
#include "mdb/MusicDatabase.h"
#include "mdb/PathRules.h"

namespace mdb {

void saveLibrary(MusicDatabase& db, const std::string& dir) {
    const std::string target = joinPath(dir, "Library.csv");
    MusicItemList& library = db.library();
    {
        // The new file replaces the old one in a single rename once its data
        // are on disk: there is always a complete library file.
        AtomicFile file(db.files(), target, joinPath(dir, "Library.tmp"));
        const auto writer = makeWriter(kFormatLibraryCsv, file, dir);
        library.enumerate(*writer);
        writer->finish();
        file.commit();
    }
    library.clearModified();
}

void loadLibrary(MusicDatabase& db, const std::string& dir) {
    const std::string path = joinPath(dir, "Library.csv");
    MusicItemList& library = db.library();
    if (!db.files().exists(path)) {
        library.clear();
    } else {
        std::vector<std::string> refused;
        library.importReplacing(path, kFormatLibraryCsv, refused);
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

}  // namespace mdb
