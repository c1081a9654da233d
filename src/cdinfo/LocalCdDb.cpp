#include "cdinfo/LocalCdDb.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "cdinfo/DiscToc.h"
#include "cdinfo/GenreMap.h"
#include "platform/AtomicFile.h"
#include "platform/TextCodec.h"

namespace cdinfo {

namespace fs = std::filesystem;

namespace {

// No real entry comes near this; anything bigger is not read.
constexpr uintmax_t kMaxEntryBytes = 1 << 20;

// The entry replaces the file in one rename once it is on disk.
bool writeEntry(const fs::path& path, const std::string& text) {
    platform::AtomicFile file(path);
    return file.write(text) && (file.publish() || file.published());
}

bool sameDisc(const CddbEntry& entry, const std::vector<uint32_t>& offsets) {
    if (!entry.offsets.empty() && !offsets.empty()) {
        return entry.offsets == offsets;
    }
    return entry.trackCount() == offsets.size();
}

}  // namespace

LocalCdDb::LocalCdDb(fs::path root) : root_(std::move(root)) {}

fs::path LocalCdDb::defaultRoot() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] == '/') {
        return fs::path(data) / "mp3-melodux" / "cddb";
    }
    const char* home = std::getenv("HOME");
    return fs::path(home != nullptr ? home : ".") / ".local" / "share" / "mp3-melodux" / "cddb";
}

std::vector<std::string> LocalCdDb::categories() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(root_, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (isCddbCategory(name) && it->is_directory(ec)) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<CddbEntry> LocalCdDb::load(const fs::path& file) const {
    std::error_code ec;
    const uintmax_t size = fs::file_size(file, ec);
    if (ec || size > kMaxEntryBytes) {
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return in.bad() ? std::nullopt : parseCddbEntry(platform::toUtf8Guess(bytes));
}

std::optional<LocalCdDb::Found> LocalCdDb::find(uint32_t discId,
                                                const std::vector<uint32_t>& offsets) const {
    std::optional<Found> fallback;
    for (const std::string& category : categories()) {
        auto entry = load(root_ / category / discIdText(discId));
        if (!entry) {
            continue;
        }
        if (!entry->offsets.empty() && entry->offsets == offsets) {
            return Found{std::move(*entry), category};
        }
        if (!fallback && sameDisc(*entry, offsets)) {
            fallback = Found{std::move(*entry), category};
        }
    }
    return fallback;
}

bool LocalCdDb::store(uint32_t discId, const CddbEntry& entry, const std::string& category) const {
    if (!isCddbCategory(category)) {
        return false;
    }
    std::error_code ec;
    fs::create_directories(root_ / category, ec);
    const std::string name = discIdText(discId);
    if (ec || !writeEntry(root_ / category / name, renderCddbEntry(entry, true))) {
        return false;
    }
    for (const std::string& other : categories()) {
        const fs::path old = root_ / other / name;
        const auto stored = other == category ? std::nullopt : load(old);
        if (stored && sameDisc(*stored, entry.offsets)) {
            fs::remove(old, ec);
        }
    }
    return true;
}

}  // namespace cdinfo
