#include "mdb/PlaylistFiles.h"

#include <algorithm>
#include <stdexcept>

#include "mdb/AtomicLineFile.h"
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
    AtomicLineFile file(files, path);
    const auto writer = makeWriter(format, file, std::move(baseDir));
    source.enumerate(*writer);
    writer->finish();
    file.commit();
}

PreparedImport::PreparedImport(const std::string& path, int format)
    : file_(path), baseDir_(checkedBaseDir(path)), format_(format) {
    checkFormat(format);
}

void PreparedImport::readInto(ImportTarget& target, TagAccess& tags, ImportResult& result) const {
    const auto reader = makeReader(format_, file_, baseDir_, tags);
    target.readFrom(*reader, result);
    const auto& skipped = reader->skipped();
    result.problems.insert(result.problems.end(), skipped.begin(), skipped.end());
    std::stable_sort(result.problems.begin(), result.problems.end(),
                     [](const LineProblem& a, const LineProblem& b) { return a.line < b.line; });
}

}  // namespace mdb
