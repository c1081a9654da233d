#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "stream/CNxSSManager.h"
#include "stream/CNxSSOptionPage.h"
#include "stream/NxRef.h"

namespace app {
class Engine;
}

namespace ui::options {

// A writer the recording page offers: a chain of that writer alone, kept
// for its settings object (loaded from the component settings) and page.
struct RecordingWriter {
    std::string name;
    int32_t sinkKind = 0;
    NxRef<CNxSSManager> manager;
    NxRef<CNxSSOptionPage> page;  // null when the writer has none
};

// MP3, WMA and WAVE, in that order; a writer the engine cannot build is
// left out.
std::vector<RecordingWriter> recordingWriters(const app::Engine& engine);

// The entry of that sink kind, else the first; -1 for an empty list.
int writerEntryOf(const std::vector<RecordingWriter>& writers, int32_t sinkKind);

}  // namespace ui::options
