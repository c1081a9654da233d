#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "stream/NxRef.h"
#include "stream/NxRefCounted.h"

// The settings store the writers' settings objects persist themselves
// through: the registry functions applied to one current subkey.
class CNxSSRegistryStore : public NxRefCounted {
  public:
    static constexpr size_t kMaxKeyLength = 260;

    uint32_t QueryInterface(uint32_t id, void** out);

    // Makes subkey (relative to the product key) the current path; keys are
    // created by the first write, so `create` needs no action of its own.
    void OpenKey(std::string_view subkey, bool create);
    void Close() {}

    bool WriteString(std::string_view name, const std::string* text);
    bool WriteDword(std::string_view name, uint32_t value);
    bool WriteBinary(std::string_view name, const std::vector<uint8_t>* data);
    std::string ReadString(std::string_view name, std::string_view defaultValue);
    uint32_t ReadDword(std::string_view name, uint32_t defaultValue);
    std::vector<uint8_t> ReadBinary(std::string_view name);

    const std::string& CurrentKey() const { return key_; }

  private:
    friend NxRef<CNxSSRegistryStore> CreateSettingsStore();
    CNxSSRegistryStore() = default;
    ~CNxSSRegistryStore() override = default;

    std::string key_;
};

NxRef<CNxSSRegistryStore> CreateSettingsStore();
