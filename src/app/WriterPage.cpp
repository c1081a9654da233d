#include "app/WriterPage.h"

#include "app/Engine.h"
#include "stream/CNxSSWriter.h"

namespace app {

namespace {

// The name of the output of a chain built for its settings only; nothing
// is written under it.
constexpr const char* kSettingsOnlyOutput = "temp";

}  // namespace

NxRef<CNxSSOptionPage> writerPage(CNxSSManager& manager) {
    void* out = nullptr;
    if (manager.Sink() == nullptr ||
        manager.GetInterface(CNxSSWriter::kOptionPageInterface, &out) != 0) {
        return {};
    }
    return NxRef<CNxSSOptionPage>::adopt(static_cast<CNxSSOptionPage*>(out));
}

std::optional<WriterCheck> checkWriter(const Engine& engine, int32_t sinkKind) {
    if (!engine.canWrite(sinkKind)) {
        return std::nullopt;
    }
    WriterCheck check;
    auto manager = engine.makeManager();
    if ((check.code = manager->CreateChain("", kSettingsOnlyOutput, sinkKind)) != 0) {
        return check;
    }
    const NxRef<CNxSSOptionPage> page = writerPage(*manager);
    if (!page) {
        return std::nullopt;
    }
    if (CNxSSFormatChoice* choice = formatChoiceOf(*page)) {
        if ((check.code = choice->CheckSettings()) != 0) {
            check.reason = choice->ErrorText();
            return check;
        }
    }
    check.description = page->Settings().Describe();
    return check;
}

}  // namespace app
