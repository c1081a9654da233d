#include "app/TemporaryPlaylistFile.h"

#include <stdlib.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "platform/UniqueFd.h"

namespace app {
namespace {

constexpr std::string_view kPattern = "mxXXXXXX.m3u";
constexpr int kSuffixLength = 4;  // ".m3u": readers tell a playlist by it

}  // namespace

TemporaryPlaylistFile::TemporaryPlaylistFile(const std::filesystem::path& folder) {
    std::string name = (folder / kPattern).string();
    const platform::UniqueFd fd(::mkstemps(name.data(), kSuffixLength));
    if (!fd.valid()) {
        throw std::system_error(errno, std::generic_category(), name);
    }
    path_ = name;
}

TemporaryPlaylistFile::~TemporaryPlaylistFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
}

}  // namespace app
