#include "app/EntryFormat.h"

#include "app/ConversionJob.h"
#include "app/Engine.h"
#include "app/WriterPage.h"

namespace app {
namespace {

// A chain built for the writer's settings only writes nothing under it.
constexpr const char* kSettingsOnlyOutput = "temp";

uint32_t offerTo(CNxSSOptionPage& page, const NxRef<CNxSSWriterSettings>& own) {
    if (own) {
        page.SetSettings(own->Clone());
    }
    CNxSSFormatChoice* choice = formatChoiceOf(page);
    return choice != nullptr ? choice->CheckSettings() : 0;
}

}  // namespace

NxRef<CNxSSWriterSettings> savedWriterSettings(const Engine& engine, int32_t sinkKind) {
    if (!engine.canWrite(sinkKind)) {
        return {};
    }
    auto manager = engine.makeManager();
    if (manager->CreateChain("", kSettingsOnlyOutput, sinkKind) != 0) {
        return {};
    }
    const NxRef<CNxSSOptionPage> page = writerPage(*manager);
    return page ? page->Settings().Clone() : NxRef<CNxSSWriterSettings>();
}

int32_t entrySinkKind(const RecordingEntry& entry, int32_t fallback) {
    return entry.format ? entry.format->GetSinkKind() : fallback;
}

uint32_t offerSettings(CNxSSManager& chain, const NxRef<CNxSSWriterSettings>& own) {
    const NxRef<CNxSSOptionPage> page = writerPage(chain);
    return page ? offerTo(*page, own) : 0;
}

uint32_t applyEntryFormat(ConversionJob& job, const RecordingEntry& entry) {
    if (!entry.format) {
        return 0;
    }
    const NxRef<CNxSSOptionPage> page = job.optionPage();
    return page ? offerTo(*page, entry.format) : 0;
}

}  // namespace app
