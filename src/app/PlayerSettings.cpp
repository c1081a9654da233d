#include "app/PlayerSettings.h"

namespace app {

int32_t PlayerSettings::read(const settings::Int& entry) const {
    if (store_) {
        return store_->read(entry);
    }
    const auto it = values_.find(entry.name);
    return it == values_.end() ? entry.defaultValue : it->second;
}

void PlayerSettings::write(const settings::Int& entry, int32_t value) {
    if (store_) {
        store_->write(entry, value);
    } else {
        values_[std::string(entry.name)] = value;
    }
}

std::string PlayerSettings::read(const settings::Text& entry) const {
    if (store_) {
        return store_->read(entry);
    }
    const auto it = texts_.find(entry.name);
    return it == texts_.end() ? std::string(entry.defaultValue) : it->second;
}

void PlayerSettings::write(const settings::Text& entry, std::string_view value) {
    if (store_) {
        store_->write(entry, value);
    } else {
        texts_[std::string(entry.name)] = value;
    }
}

}  // namespace app
