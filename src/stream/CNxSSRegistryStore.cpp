#include "stream/CNxSSRegistryStore.h"

#include "stream/RegistryFunctions.h"
#include "stream/ResultCodes.h"

uint32_t CNxSSRegistryStore::QueryInterface(uint32_t, void** out) {
    if (out) {
        *out = nullptr;
    }
    return nxss::kNoInterface;
}

void CNxSSRegistryStore::OpenKey(std::string_view subkey, bool) {
    key_ = subkey.substr(0, kMaxKeyLength);
}

bool CNxSSRegistryStore::WriteString(std::string_view name, const std::string* text) {
    return nxss::WriteString(key_, name, text);
}

bool CNxSSRegistryStore::WriteDword(std::string_view name, uint32_t value) {
    return nxss::WriteDword(key_, name, value);
}

bool CNxSSRegistryStore::WriteBinary(std::string_view name, const std::vector<uint8_t>* data) {
    return nxss::WriteBinary(key_, name, data);
}

std::string CNxSSRegistryStore::ReadString(std::string_view name, std::string_view defaultValue) {
    return nxss::ReadString(key_, name, defaultValue);
}

uint32_t CNxSSRegistryStore::ReadDword(std::string_view name, uint32_t defaultValue) {
    return nxss::ReadDword(key_, name, defaultValue);
}

std::vector<uint8_t> CNxSSRegistryStore::ReadBinary(std::string_view name) {
    return nxss::ReadBinary(key_, name);
}

NxRef<CNxSSRegistryStore> CreateSettingsStore() {
    return NxRef(new CNxSSRegistryStore());
}
