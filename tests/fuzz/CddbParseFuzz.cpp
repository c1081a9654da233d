// libFuzzer target: CDDB server replies and freedb entries are outside data.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "cdinfo/CddbEntry.h"
#include "cdinfo/CddbReply.h"
#include "platform/TextCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text =
        platform::toUtf8Guess(std::string_view(reinterpret_cast<const char*>(data), size));
    if (const auto reply = cdinfo::parseCddbReply(text)) {
        cdinfo::chooseMatch(cdinfo::queryMatches(*reply), 0);
        cdinfo::siteList(*reply);
    }
    if (const auto entry = cdinfo::parseCddbEntry(text)) {
        // What we write must read back.
        const auto again = cdinfo::parseCddbEntry(cdinfo::renderCddbEntry(*entry, true));
        if (!again || again->title != entry->title || again->tracks.size() < entry->tracks.size()) {
            __builtin_trap();
        }
    }
    return 0;
}
