#include "stream/RegistryFunctions.h"

#include "platform/ProductKey.h"
#include "platform/Registry.h"

namespace nxss {

using platform::productSubkey;
using platform::Registry;
using platform::RegValue;

uint32_t ReadDword(std::string_view subkey, std::string_view name, uint32_t defaultValue) {
    const auto value = Registry::instance().read(productSubkey(subkey), name);
    return value ? value->asDword().value_or(defaultValue) : defaultValue;
}

bool WriteDword(std::string_view subkey, std::string_view name, uint32_t value) {
    return Registry::instance().write(productSubkey(subkey), name, RegValue::dword(value));
}

std::string ReadString(std::string_view subkey, std::string_view name,
                       std::string_view defaultValue) {
    const auto value = Registry::instance().read(productSubkey(subkey), name);
    const auto text = value ? value->asText() : std::nullopt;
    return text ? *text : std::string(defaultValue);
}

bool WriteString(std::string_view subkey, std::string_view name, const std::string* text) {
    Registry& registry = Registry::instance();
    return text ? registry.write(productSubkey(subkey), name, RegValue::text(*text))
                : registry.remove(productSubkey(subkey), name);
}

std::vector<uint8_t> ReadBinary(std::string_view subkey, std::string_view name) {
    const auto value = Registry::instance().read(productSubkey(subkey), name);
    return value && value->type == platform::RegType::Binary ? value->data : std::vector<uint8_t>{};
}

bool WriteBinary(std::string_view subkey, std::string_view name, const std::vector<uint8_t>* data) {
    Registry& registry = Registry::instance();
    return data ? registry.write(productSubkey(subkey), name, RegValue::binary(*data))
                : registry.remove(productSubkey(subkey), name);
}

}  // namespace nxss
