#include "platform/Registry.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <system_error>

#include "platform/HiveFile.h"
#include "platform/RegistryHive.h"
#include "platform/TextCodec.h"

namespace platform {

namespace {

std::filesystem::path envPath(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::filesystem::path(value) : std::filesystem::path();
}

std::filesystem::path homeFolder() {
    auto home = envPath("HOME");
    if (!home.empty()) {
        return home;
    }
    const passwd* pw = ::getpwuid(::getuid());
    return pw != nullptr && pw->pw_dir != nullptr ? std::filesystem::path(pw->pw_dir)
                                                  : std::filesystem::path("/");
}

// A key we can store: UTF-8 without control characters, not empty.
bool storableKey(std::string_view key) {
    for (const char c : key) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            return false;
        }
    }
    return !key.empty() && isValidUtf8(key);
}

bool storableValue(const RegValue& v) {
    switch (v.type) {
        case RegType::Dword:
            return v.data.size() == 4;
        case RegType::Sz:
        case RegType::Binary:
            return true;
    }
    return false;
}

// One hive file as last read, and whether its fault was already reported.
struct HiveCache {
    std::filesystem::path path;
    RegistryHive hive;
    FileStamp stamp;
    bool loaded = false;
    FileStamp reportedStamp;
    bool reported = false;

    void take(HiveFileState&& state) {
        if (!state.problem.empty() && (!reported || reportedStamp != state.stamp)) {
            std::fprintf(stderr, "melodux: 設定ファイル %s を使えません: %s。空として扱います。\n",
                         path.c_str(), state.problem.c_str());
            reported = true;
            reportedStamp = state.stamp;
        }
        hive = std::move(state.hive);
        stamp = state.stamp;
        loaded = true;
    }

    // The hive as it is on disk now; re-read only when the file changed.
    const RegistryHive& current() {
        if (!loaded || FileStamp::of(path) != stamp) {
            take(readHiveFile(path));
        }
        return hive;
    }
};

}  // namespace

struct Registry::Impl {
    mutable std::mutex mutex;
    mutable HiveCache user;
    mutable HiveCache machine;
    std::string lastError;

    HiveCache& cache(Hive h) const { return h == Hive::User ? user : machine; }

    template <typename Change>
    bool modify(Change&& change);
    bool failWrite(std::string error) {
        lastError = std::move(error);
        return false;
    }
};

// Re-reads the user file under the writers' lock so that a change another
// process made since our last read is kept, applies `change`, and replaces
// the file. A file that could not be parsed is kept as a .bad copy first.
template <typename Change>
bool Registry::Impl::modify(Change&& change) {
    std::error_code ec;
    std::filesystem::create_directories(user.path.parent_path(), ec);
    HiveLock lock(user.path);
    if (!lock.locked()) {
        return failWrite("cannot lock " + user.path.string() + ".lock");
    }
    HiveFileState state = readHiveFile(user.path);
    const bool damaged = !state.problem.empty();
    const mode_t mode = state.mode;
    user.take(std::move(state));
    RegistryHive next = user.hive;
    if (!change(next)) {
        return true;
    }
    std::string error;
    if (damaged && !keepBadCopy(user.path, error)) {
        return failWrite(error);
    }
    if (!writeHiveFile(user.path, next, mode, error)) {
        return failWrite(error);
    }
    user.hive = std::move(next);
    user.stamp = FileStamp::of(user.path);
    return true;
}

Registry::Registry(std::filesystem::path userHive, std::filesystem::path machineHive)
    : impl_(std::make_unique<Impl>()) {
    impl_->user.path = std::move(userHive);
    impl_->machine.path = std::move(machineHive);
}

Registry::~Registry() = default;

Registry& Registry::instance() {
    static Registry registry(defaultUserHivePath(), defaultMachineHivePath());
    return registry;
}

std::filesystem::path Registry::defaultUserHivePath() {
    if (auto dir = envPath("MELODUX_CONFIG_HOME"); !dir.empty()) {
        return dir / "registry";
    }
    auto config = envPath("XDG_CONFIG_HOME");
    if (config.empty() || config.is_relative()) {
        config = homeFolder() / ".config";
    }
    return config / "mp3-melodux" / "registry";
}

std::filesystem::path Registry::defaultMachineHivePath() {
    const auto dir = envPath("MELODUX_SYSTEM_CONFIG");
    return (dir.empty() ? std::filesystem::path("/etc/mp3-melodux") : dir) / "registry";
}

std::optional<RegValue> Registry::read(std::string_view key, std::string_view name) const {
    if (auto v = read(Hive::User, key, name)) {
        return v;
    }
    return read(Hive::Machine, key, name);
}

std::optional<RegValue> Registry::read(Hive hive, std::string_view key,
                                       std::string_view name) const {
    std::lock_guard lock(impl_->mutex);
    const RegValue* v = impl_->cache(hive).current().find(RegistryHive::normaliseKey(key), name);
    return v != nullptr ? std::optional(*v) : std::nullopt;
}

bool Registry::write(std::string_view key, std::string_view name, const RegValue& value) {
    const std::string path = RegistryHive::normaliseKey(key);
    std::lock_guard lock(impl_->mutex);
    if (!storableKey(path) || !storableValue(value)) {
        return impl_->failWrite("invalid key or value");
    }
    return impl_->modify([&](RegistryHive& h) { return h.set(path, name, value); });
}

bool Registry::remove(std::string_view key, std::string_view name) {
    const std::string path = RegistryHive::normaliseKey(key);
    std::lock_guard lock(impl_->mutex);
    return impl_->modify([&](RegistryHive& h) { return h.erase(path, name); });
}

std::vector<std::string> Registry::valueNames(Hive hive, std::string_view key) const {
    std::lock_guard lock(impl_->mutex);
    return impl_->cache(hive).current().valueNames(RegistryHive::normaliseKey(key));
}

std::vector<std::string> Registry::subkeyNames(Hive hive, std::string_view key) const {
    std::lock_guard lock(impl_->mutex);
    return impl_->cache(hive).current().subkeyNames(RegistryHive::normaliseKey(key));
}

bool Registry::keyExists(Hive hive, std::string_view key) const {
    std::lock_guard lock(impl_->mutex);
    const std::string path = RegistryHive::normaliseKey(key);
    const RegistryHive& h = impl_->cache(hive).current();
    return h.findKey(path) != nullptr || !h.subkeyNames(path).empty();
}

std::string Registry::lastWriteError() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->lastError;
}

const std::filesystem::path& Registry::userHivePath() const {
    return impl_->user.path;
}

const std::filesystem::path& Registry::machineHivePath() const {
    return impl_->machine.path;
}

}  // namespace platform
