#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "stream/CNxSSFormatChoice.h"
#include "stream/CNxSSManager.h"
#include "stream/CNxSSOptionPage.h"
#include "stream/NxRef.h"

namespace app {

class Engine;

// The option page of the chain's writer, with the format of the audio that
// will reach it; nothing when the chain has no writer or it has no page.
NxRef<CNxSSOptionPage> writerPage(CNxSSManager& manager);

// The format choice a page offers beside its settings, or null.
inline CNxSSFormatChoice* formatChoiceOf(CNxSSOptionPage& page) {
    return dynamic_cast<CNxSSFormatChoice*>(&page);
}

// What the saved settings of one writer kind come to, as the recording
// options start from them: a chain of that writer alone. Nothing when the
// engine has no writer of that kind.
struct WriterCheck {
    uint32_t code = 0;        // 0, or why the writer cannot write its settings
    std::string reason;       // the setting error in words, when there is one
    std::string description;  // the settings in words, when code is 0
};
std::optional<WriterCheck> checkWriter(const Engine& engine, int32_t sinkKind);

}  // namespace app
