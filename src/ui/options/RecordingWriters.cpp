#include "ui/options/RecordingWriters.h"

#include <array>

#include "app/Engine.h"
#include "app/WriterPage.h"

namespace ui::options {
namespace {

struct WriterName {
    const char* name;
    const char* settingsOutput;  // names the writer; nothing is written
};
constexpr std::array<WriterName, 3> kWriters{{
    {"MPEG Audio Layer-3", "temp.mp3"},
    {"Windows Media Audio", "temp.wma"},
    {"Windows Wave File", "temp.wav"},
}};

}  // namespace

std::vector<RecordingWriter> recordingWriters(const app::Engine& engine) {
    std::vector<RecordingWriter> writers;
    for (const WriterName& w : kWriters) {
        RecordingWriter writer{
            w.name, CNxSSManager::SinkKindFor(w.settingsOutput), engine.makeManager(), {}};
        if (!engine.canWrite(writer.sinkKind) ||
            writer.manager->CreateChainFor("", w.settingsOutput) != 0) {
            continue;
        }
        writer.page = app::writerPage(*writer.manager);
        writers.push_back(std::move(writer));
    }
    return writers;
}

int writerEntryOf(const std::vector<RecordingWriter>& writers, int32_t sinkKind) {
    for (size_t i = 0; i < writers.size(); ++i) {
        if (writers[i].sinkKind == sinkKind) {
            return static_cast<int>(i);
        }
    }
    return writers.empty() ? -1 : 0;
}

}  // namespace ui::options
