#include "app/LibrarySession.h"

#include <stdexcept>

#include "app/Engine.h"
#include "mdb/Exceptions.h"

namespace app {

LibrarySession::LibrarySession(const std::string& folder, std::shared_ptr<mdb::TagAccess> tags,
                               const std::string& genreFile, Access access)
    : folder_(folder) {
    if (access == Access::ReadWrite) {
        lock_.emplace(folder_);
    }
    db_ = std::make_unique<mdb::MusicDatabase>(std::move(tags), loadGenres(genreFile));
    for (const std::string& extension : Engine::musicExtensions()) {
        db_->library().addExtension(extension);
    }
    db_->load(folder_);
}

bool LibrarySession::saveIfModified() {
    if (!db_->isModified()) {
        return false;
    }
    if (!lock_) {
        throw std::logic_error("a library opened for reading cannot be saved");
    }
    db_->save(folder_);
    return true;
}

std::shared_ptr<mdb::GenreTable> LibrarySession::loadGenres(const std::string& genreFile) {
    auto genres = std::make_shared<mdb::GenreTable>();
    try {
        genres->load(genreFile);
    } catch (const mdb::FileIOException&) {
        // The built-in genres serve when the file cannot be read.
    }
    return genres;
}

}  // namespace app
