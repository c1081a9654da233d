#include "app/MusicFiles.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "mdb/RecordIO.h"
#include "mdb/TextRules.h"
#include "platform/AsciiText.h"

namespace app {

namespace fs = std::filesystem;

namespace {

bool accepted(const fs::path& file, const std::vector<std::string>& extensions) {
    const std::string extension = file.extension().string();
    if (extension.size() < 2) {
        return false;
    }
    const std::string lower = platform::toLowerAscii(extension.substr(1));
    return std::find(extensions.begin(), extensions.end(), lower) != extensions.end();
}

// Unreadable folders below are passed over; links to folders are not
// followed, so a link loop cannot trap the search.
std::vector<std::string> musicFilesBelow(const fs::path& folder,
                                         const std::vector<std::string>& extensions) {
    std::vector<std::string> files;
    std::error_code ec;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError) && accepted(it->path(), extensions)) {
            files.push_back(it->path().string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

std::string absolutePath(const std::string& path) {
    std::string absolute = fs::absolute(path).lexically_normal().string();
    while (absolute.size() > 1 && absolute.back() == '/') {
        absolute.pop_back();
    }
    return absolute;
}

std::vector<std::string> expandMusicPaths(const std::vector<std::string>& paths,
                                          const std::vector<std::string>& extensions) {
    std::vector<std::string> files;
    for (const std::string& path : paths) {
        const std::string absolute = absolutePath(path);
        std::error_code ec;
        if (fs::is_directory(absolute, ec)) {
            const auto found = musicFilesBelow(absolute, extensions);
            files.insert(files.end(), found.begin(), found.end());
        } else {
            files.push_back(absolute);
        }
    }
    return files;
}

int fileFormatFor(const std::string& path) {
    const std::string extension = platform::toLowerAscii(fs::path(path).extension().string());
    if (extension == ".csv") {
        return mdb::kFormatLibraryCsv;
    }
    if (extension == ".m3u") {
        return mdb::kFormatM3u;
    }
    if (extension == ".pls") {
        return mdb::kFormatPls;
    }
    throw std::invalid_argument("unknown file format");
}

}  // namespace app
