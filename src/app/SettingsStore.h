#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/Settings.h"

namespace platform {
class Registry;
}

namespace app {

// The program's settings: values under the product key joined with a
// section ("Settings", "CDDB"). A read takes the user's value, else the
// machine's, else the caller's default; a write goes to the user's hive
// only and creates the key as needed. Each call stands alone, so values
// another process wrote are seen at the next read.
class SettingsStore {
  public:
    // The process's registry (platform::Registry::instance()).
    SettingsStore();
    explicit SettingsStore(platform::Registry& registry);

    // A value stored as anything but a DWORD reads as the default.
    int32_t ReadInt(std::string_view section, std::string_view name, int32_t defaultValue) const;
    bool WriteInt(std::string_view section, std::string_view name, int32_t value);
    // A missing value reads as the default; one stored as anything but a
    // string reads as empty.
    std::string ReadString(std::string_view section, std::string_view name,
                           std::string_view defaultValue) const;
    bool WriteString(std::string_view section, std::string_view name, std::string_view value);

    // The same for an entry of the settings table, with its default.
    int32_t read(const settings::Int& entry) const {
        return ReadInt(entry.section, entry.name, entry.defaultValue);
    }
    std::string read(const settings::Text& entry) const {
        return ReadString(entry.section, entry.name, entry.defaultValue);
    }
    bool write(const settings::Int& entry, int32_t value) {
        return WriteInt(entry.section, entry.name, value);
    }
    bool write(const settings::Text& entry, std::string_view value) {
        return WriteString(entry.section, entry.name, value);
    }

  private:
    platform::Registry* registry_;
};

}  // namespace app
