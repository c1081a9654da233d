#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "app/Settings.h"
#include "app/SettingsStore.h"

namespace app {

// The player's settings: through the settings store, or held in memory
// only, for a program that must leave the user's settings as they are.
class PlayerSettings {
  public:
    explicit PlayerSettings(SettingsStore& store) : store_(&store) {}
    PlayerSettings() = default;

    int32_t read(const settings::Int& entry) const;
    void write(const settings::Int& entry, int32_t value);
    std::string read(const settings::Text& entry) const;
    void write(const settings::Text& entry, std::string_view value);

  private:
    SettingsStore* store_ = nullptr;
    std::map<std::string, int32_t, std::less<>> values_;  // without a store
    std::map<std::string, std::string, std::less<>> texts_;
};

}  // namespace app
