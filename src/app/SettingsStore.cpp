#include "app/SettingsStore.h"

#include "platform/ProductKey.h"
#include "platform/Registry.h"

namespace app {

using platform::productSubkey;
using platform::RegValue;

SettingsStore::SettingsStore() : registry_(&platform::Registry::instance()) {}

SettingsStore::SettingsStore(platform::Registry& registry) : registry_(&registry) {}

int32_t SettingsStore::ReadInt(std::string_view section, std::string_view name,
                               int32_t defaultValue) const {
    const auto value = registry_->read(productSubkey(section), name);
    const auto dword = value ? value->asDword() : std::nullopt;
    return dword ? static_cast<int32_t>(*dword) : defaultValue;
}

bool SettingsStore::WriteInt(std::string_view section, std::string_view name, int32_t value) {
    return registry_->write(productSubkey(section), name,
                            RegValue::dword(static_cast<uint32_t>(value)));
}

std::string SettingsStore::ReadString(std::string_view section, std::string_view name,
                                      std::string_view defaultValue) const {
    const auto value = registry_->read(productSubkey(section), name);
    if (!value) {
        return std::string(defaultValue);
    }
    return value->asText().value_or(std::string());
}

bool SettingsStore::WriteString(std::string_view section, std::string_view name,
                                std::string_view value) {
    return registry_->write(productSubkey(section), name, RegValue::text(value));
}

}  // namespace app
