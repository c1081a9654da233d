#include "mp3/writer/Mp3RegistryStore.h"

// The store answers a missing value with the caller's default, so two reads
// with different defaults tell a missing value from a stored one.
std::optional<uint32_t> Mp3RegistryStore::readValue(std::string_view name) const {
    const uint32_t first = store_.ReadDword(name, 0);
    if (first != 0) {
        return first;
    }
    if (store_.ReadDword(name, 1) == 1) {
        return std::nullopt;
    }
    return 0u;
}

bool Mp3RegistryStore::writeValue(std::string_view name, uint32_t value) {
    return store_.WriteDword(name, value);
}
