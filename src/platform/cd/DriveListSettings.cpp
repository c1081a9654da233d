// Kept apart from DriveList.cpp so that code given explicit options does not
// pull in the settings store.
#include <cstdlib>

#include "platform/ProductKey.h"
#include "platform/Registry.h"
#include "platform/cd/DriveList.h"

namespace platform::cd {

DriveListOptions DriveList::systemOptions() {
    DriveListOptions options;
    if (const char* env = std::getenv("MELODUX_CD_IMAGES")) {
        options.images = splitImageList(env, ':');
        return options;
    }
    const auto value = Registry::instance().read(productSubkey("Settings"), "CDImages");
    if (const auto text = value ? value->asText() : std::nullopt) {
        options.images = splitImageList(*text, '\n');
    }
    return options;
}

}  // namespace platform::cd
