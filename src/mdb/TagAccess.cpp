#include "mdb/TagAccess.h"

#include <sys/stat.h>

namespace mdb {

std::optional<FileStatus> TagAccess::status(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return FileStatus{static_cast<uint64_t>(st.st_size), static_cast<int64_t>(st.st_mtime)};
}

}  // namespace mdb
