#include "platform/RegistryHive.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace platform {

namespace {

// Lists up to this long are searched name by name, which beats hashing.
constexpr size_t kSearchedInPlace = 8;

size_t foldedHash(std::string_view s) {
    uint64_t hash = 14695981039346656037u;  // FNV-1a
    for (const char c : s) {
        hash = (hash ^ static_cast<unsigned char>(lowerAscii(c))) * 1099511628211u;
    }
    return static_cast<size_t>(hash);
}

}  // namespace

template <typename NameAt>
std::optional<size_t> RegistryHive::NameIndex::find(std::string_view name,
                                                    const NameAt& nameAt) const {
    if (slots_.empty()) {
        for (size_t i = 0; i < count_; ++i) {
            if (equalsIgnoreCase(nameAt(i), name)) {
                return i;
            }
        }
        return std::nullopt;
    }
    const size_t mask = slots_.size() - 1;
    for (size_t slot = foldedHash(name) & mask; slots_[slot] != 0; slot = (slot + 1) & mask) {
        const size_t position = slots_[slot] - 1;
        if (equalsIgnoreCase(nameAt(position), name)) {
            return position;
        }
    }
    return std::nullopt;
}

template <typename NameAt>
void RegistryHive::NameIndex::added(const NameAt& nameAt) {
    ++count_;
    if (count_ > kSearchedInPlace && count_ * 2 > slots_.size()) {
        grow(nameAt);
    } else if (!slots_.empty()) {
        insert(foldedHash(nameAt(count_ - 1)), count_ - 1);
    }
}

template <typename NameAt>
void RegistryHive::NameIndex::rebuild(size_t count, const NameAt& nameAt) {
    count_ = count;
    slots_.clear();
    if (count_ > kSearchedInPlace) {
        grow(nameAt);
    }
}

template <typename NameAt>
void RegistryHive::NameIndex::grow(const NameAt& nameAt) {
    size_t size = 16;
    while (size < count_ * 4) {
        size *= 2;
    }
    slots_.assign(size, 0);
    for (size_t i = 0; i < count_; ++i) {
        insert(foldedHash(nameAt(i)), i);
    }
}

void RegistryHive::NameIndex::insert(size_t hash, size_t position) {
    const size_t mask = slots_.size() - 1;
    size_t slot = hash & mask;
    while (slots_[slot] != 0) {
        slot = (slot + 1) & mask;
    }
    slots_[slot] = static_cast<uint32_t>(position + 1);
}

std::string RegistryHive::normaliseKey(std::string_view key) {
    std::string out;
    size_t pos = 0;
    while (pos <= key.size()) {
        const size_t end = std::min(key.find('\\', pos), key.size());
        if (end > pos) {
            if (!out.empty()) {
                out += '\\';
            }
            out.append(key.substr(pos, end - pos));
        }
        pos = end + 1;
    }
    return out;
}

// What the indexes look names up in.
auto RegistryHive::keyPaths() const {
    return [this](size_t i) -> std::string_view { return keys_[i].path; };
}

auto RegistryHive::valueNamesOf(const Key& key) {
    return [&key](size_t i) -> std::string_view { return key.values[i].name; };
}

const RegistryHive::Key* RegistryHive::findKey(std::string_view key) const {
    const auto at = keyIndex_.find(key, keyPaths());
    return at ? &keys_[*at] : nullptr;
}

RegistryHive::Key* RegistryHive::findKeyMutable(std::string_view key) {
    return const_cast<Key*>(std::as_const(*this).findKey(key));
}

RegistryHive::Key& RegistryHive::createKey(std::string_view key) {
    if (Key* k = findKeyMutable(key)) {
        return *k;
    }
    keys_.push_back(Key{std::string(key), {}});
    valueIndex_.emplace_back();
    keyIndex_.added(keyPaths());
    return keys_.back();
}

const RegValue* RegistryHive::find(std::string_view key, std::string_view name) const {
    const Key* k = findKey(key);
    if (k == nullptr) {
        return nullptr;
    }
    const auto at = valueIndex_[position(*k)].find(name, valueNamesOf(*k));
    return at ? &k->values[*at].value : nullptr;
}

bool RegistryHive::set(std::string_view key, std::string_view name, const RegValue& value) {
    return set(createKey(key), name, value);
}

bool RegistryHive::set(Key& k, std::string_view name, const RegValue& value) {
    NameIndex& names = valueIndex_[position(k)];
    const auto at = names.find(name, valueNamesOf(k));
    if (!at) {
        k.values.push_back(Value{std::string(name), value});
        names.added(valueNamesOf(k));
        return true;
    }
    if (k.values[*at].value == value) {
        return false;
    }
    k.values[*at].value = value;
    return true;
}

bool RegistryHive::erase(std::string_view key, std::string_view name) {
    Key* k = findKeyMutable(key);
    if (k == nullptr) {
        return false;
    }
    NameIndex& names = valueIndex_[position(*k)];
    const auto at = names.find(name, valueNamesOf(*k));
    if (!at) {
        return false;
    }
    k->values.erase(k->values.begin() + static_cast<std::ptrdiff_t>(*at));
    names.rebuild(k->values.size(), valueNamesOf(*k));
    return true;
}

std::vector<std::string> RegistryHive::valueNames(std::string_view key) const {
    std::vector<std::string> names;
    if (const Key* k = findKey(key)) {
        for (const Value& v : k->values) {
            names.push_back(v.name);
        }
    }
    return names;
}

std::vector<std::string> RegistryHive::subkeyNames(std::string_view key) const {
    const std::string prefix = key.empty() ? std::string() : std::string(key) + '\\';
    std::vector<std::string> names;
    NameIndex seen;
    const auto seenAt = [&names](size_t i) -> std::string_view { return names[i]; };
    for (const Key& k : keys_) {
        if (k.path.size() > prefix.size() && startsWithIgnoreCase(k.path, prefix)) {
            const std::string_view rest = std::string_view(k.path).substr(prefix.size());
            const std::string_view name = rest.substr(0, rest.find('\\'));
            if (!seen.find(name, seenAt)) {
                names.emplace_back(name);
                seen.added(seenAt);
            }
        }
    }
    return names;
}

}  // namespace platform
