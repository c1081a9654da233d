#include "app/RecordingFormat.h"

#include "app/Engine.h"
#include "app/WriterPage.h"

namespace app {

namespace {

// A chain built for the writer's settings only writes nothing under it.
constexpr const char* kSettingsOnlyOutput = "temp";

}  // namespace

std::optional<RecordingFormat> RecordingFormat::of(const Engine& engine, int32_t sinkKind) {
    if (!engine.canWrite(sinkKind)) {
        return std::nullopt;
    }
    auto manager = engine.makeManager();
    if (manager->CreateChain("", kSettingsOnlyOutput, sinkKind) != 0) {
        return std::nullopt;
    }
    const NxRef<CNxSSOptionPage> page = writerPage(*manager);
    if (!page) {
        return std::nullopt;
    }
    if (CNxSSFormatChoice* choice = formatChoiceOf(*page); choice && choice->CheckSettings() != 0) {
        return std::nullopt;
    }
    const CNxSSWriterSettings& settings = page->Settings();
    return RecordingFormat{sinkKind, settings.GetExtension(), settings.GetBitrate(),
                           settings.Describe()};
}

}  // namespace app
