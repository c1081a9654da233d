#include "mdb/PlaylistFiles.h"

#include <stdexcept>

#include "mdb/AtomicFile.h"
#include "mdb/PathRules.h"

namespace mdb {

namespace {

std::string checkedBaseDir(const std::string& path) {
    if (!isAbsolutePath(path)) {
        throw std::invalid_argument("Not absolute path.");
    }
    std::string dir;
    if (!directoryOf(path, dir)) {
        throw std::invalid_argument("No base directory.");
    }
    return dir;
}

}  // namespace

void exportToFile(FileOps& files, const RecordSource& source, const std::string& path, int format) {
    std::string baseDir = checkedBaseDir(path);
    checkFormat(format);
    AtomicFile file(files, path, AtomicFile::tempNameFor(path), path);
    const auto writer = makeWriter(format, file, std::move(baseDir));
    source.enumerate(*writer);
    writer->finish();
    file.commit(path);
}

PreparedImport::PreparedImport(const std::string& path, int format)
    : file_(path), baseDir_(checkedBaseDir(path)), format_(format) {
    checkFormat(format);
}

void PreparedImport::readInto(ImportTarget& target, TagAccess& tags,
                              std::vector<std::string>& failed) const {
    const auto reader = makeReader(format_, file_, baseDir_, tags);
    target.readFrom(*reader, failed);
}

}  // namespace mdb
