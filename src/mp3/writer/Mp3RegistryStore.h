#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "mp3/enc/Mp3WriterSettings.h"
#include "stream/CNxSSRegistryStore.h"

// Lets the encoder's writer settings load and save themselves through the
// framework's settings store, under the key the store has open.
class Mp3RegistryStore : public mp3::enc::IMp3SettingsStore {
  public:
    explicit Mp3RegistryStore(CNxSSRegistryStore& store) : store_(store) {}

    // Nothing when the value is stored in neither hive.
    std::optional<uint32_t> readValue(std::string_view name) const override;
    bool writeValue(std::string_view name, uint32_t value) override;

  private:
    CNxSSRegistryStore& store_;
};
