#include "platform/RegistryHive.h"

#include <algorithm>
#include <utility>

namespace platform {

namespace {

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool startsWithIgnoreCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

template <typename Values>
auto findValue(Values& values, std::string_view name) {
    return std::find_if(values.begin(), values.end(),
                        [&](const auto& v) { return equalsIgnoreCase(v.name, name); });
}

void addUnique(std::vector<std::string>& names, std::string_view name) {
    const bool known = std::any_of(names.begin(), names.end(),
                                   [&](const std::string& n) { return equalsIgnoreCase(n, name); });
    if (!known) {
        names.emplace_back(name);
    }
}

}  // namespace

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lowerAscii(x) == lowerAscii(y);
           });
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

const RegistryHive::Key* RegistryHive::findKey(std::string_view key) const {
    const auto it = std::find_if(keys_.begin(), keys_.end(),
                                 [&](const Key& k) { return equalsIgnoreCase(k.path, key); });
    return it == keys_.end() ? nullptr : &*it;
}

RegistryHive::Key* RegistryHive::findKeyMutable(std::string_view key) {
    return const_cast<Key*>(std::as_const(*this).findKey(key));
}

RegistryHive::Key& RegistryHive::createKey(std::string_view key) {
    if (Key* k = findKeyMutable(key)) {
        return *k;
    }
    return keys_.emplace_back(Key{std::string(key), {}});
}

const RegValue* RegistryHive::find(std::string_view key, std::string_view name) const {
    const Key* k = findKey(key);
    if (k == nullptr) {
        return nullptr;
    }
    const auto it = findValue(k->values, name);
    return it == k->values.end() ? nullptr : &it->value;
}

bool RegistryHive::set(std::string_view key, std::string_view name, const RegValue& value) {
    Key& k = createKey(key);
    const auto it = findValue(k.values, name);
    if (it == k.values.end()) {
        k.values.push_back(Value{std::string(name), value});
        return true;
    }
    if (it->value == value) {
        return false;
    }
    it->value = value;
    return true;
}

bool RegistryHive::erase(std::string_view key, std::string_view name) {
    Key* k = findKeyMutable(key);
    if (k == nullptr) {
        return false;
    }
    const auto it = findValue(k->values, name);
    if (it == k->values.end()) {
        return false;
    }
    k->values.erase(it);
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
    for (const Key& k : keys_) {
        if (k.path.size() > prefix.size() && startsWithIgnoreCase(k.path, prefix)) {
            const std::string_view rest = std::string_view(k.path).substr(prefix.size());
            addUnique(names, rest.substr(0, rest.find('\\')));
        }
    }
    return names;
}

}  // namespace platform
