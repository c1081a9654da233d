#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace mdb {

class TextFile;

// The values of one section of an INI-style file, read by the rules of
// the desktop's profile files: section and key names match without regard
// to ASCII case, the first section of a name and the first key in it win,
// blanks around keys and values are dropped, and one pair of matching
// quotes around a value is removed.
class ProfileSection {
  public:
    ProfileSection(const TextFile& file, std::string_view section);

    std::optional<std::string> text(std::string_view key) const;
    // The leading decimal integer of the value (0 when it has none), or
    // `fallback` when the key is missing.
    long long integer(std::string_view key, long long fallback) const;

  private:
    std::unordered_map<std::string, std::string> values_;  // keys lowercased
};

}  // namespace mdb
