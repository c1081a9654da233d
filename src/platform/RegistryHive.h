#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"

namespace platform {

// True when a and b are equal with ASCII letters folded to lower case.
bool equalsIgnoreCase(std::string_view a, std::string_view b);

// The keys and values of one hive in memory, in stored order. Key paths are
// kept normalised (see normaliseKey) in the spelling they were created with;
// lookups ignore ASCII case.
class RegistryHive {
  public:
    struct Value {
        std::string name;
        RegValue value;
        friend bool operator==(const Value&, const Value&) = default;
    };
    struct Key {
        std::string path;
        std::vector<Value> values;
        friend bool operator==(const Key&, const Key&) = default;
    };

    // Drops empty components: "\A\\B\" becomes "A\B".
    static std::string normaliseKey(std::string_view key);

    const Key* findKey(std::string_view key) const;
    // Finds or appends the key; `key` must be normalised and non-empty.
    Key& createKey(std::string_view key);
    const RegValue* find(std::string_view key, std::string_view name) const;
    // Both return true when the hive changed.
    bool set(std::string_view key, std::string_view name, const RegValue& value);
    bool erase(std::string_view key, std::string_view name);

    std::vector<std::string> valueNames(std::string_view key) const;
    // Names of the keys directly below `key` (every top-level key for "").
    std::vector<std::string> subkeyNames(std::string_view key) const;

    const std::vector<Key>& keys() const { return keys_; }
    bool empty() const { return keys_.empty(); }
    friend bool operator==(const RegistryHive&, const RegistryHive&) = default;

  private:
    Key* findKeyMutable(std::string_view key);

    std::vector<Key> keys_;
};

}  // namespace platform
