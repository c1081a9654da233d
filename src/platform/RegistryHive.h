#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/AsciiText.h"
#include "platform/Registry.h"

namespace platform {

// The keys and values of one hive in memory, in stored order. Key paths are
// kept normalised (see normaliseKey) in the spelling they were created with;
// lookups ignore ASCII case and take constant time, so that reading a hive
// grows linearly with its size.
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
    // The same for a key of this hive (valid until the next createKey).
    bool set(Key& key, std::string_view name, const RegValue& value);
    bool erase(std::string_view key, std::string_view name);

    std::vector<std::string> valueNames(std::string_view key) const;
    // Names of the keys directly below `key` (every top-level key for "").
    std::vector<std::string> subkeyNames(std::string_view key) const;

    const std::vector<Key>& keys() const { return keys_; }
    bool empty() const { return keys_.empty(); }
    friend bool operator==(const RegistryHive& a, const RegistryHive& b) {
        return a.keys_ == b.keys_;
    }

  private:
    // Positions of the names in a list, found without regard to ASCII case.
    // The list keeps the names: `nameAt(i)` gives the i-th. Short lists are
    // searched in place, longer ones through an open-addressing table, so
    // nothing is allocated per name.
    class NameIndex {
      public:
        template <typename NameAt>
        std::optional<size_t> find(std::string_view name, const NameAt& nameAt) const;
        // The list grew by one name.
        template <typename NameAt>
        void added(const NameAt& nameAt);
        // The list lost a name: indexes it again with `count` names.
        template <typename NameAt>
        void rebuild(size_t count, const NameAt& nameAt);

      private:
        template <typename NameAt>
        void grow(const NameAt& nameAt);
        void insert(size_t hash, size_t position);

        size_t count_ = 0;
        std::vector<uint32_t> slots_;  // position + 1, 0 for a free slot
    };

    Key* findKeyMutable(std::string_view key);
    auto keyPaths() const;
    static auto valueNamesOf(const Key& key);
    size_t position(const Key& key) const { return static_cast<size_t>(&key - keys_.data()); }

    std::vector<Key> keys_;
    NameIndex keyIndex_;                 // key paths -> keys_
    std::vector<NameIndex> valueIndex_;  // per key: value names -> Key::values
};

}  // namespace platform
