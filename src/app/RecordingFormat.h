#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace app {

class Engine;

// The recording format as the recording list shows and uses it: the
// writer's saved settings of one sink kind.
struct RecordingFormat {
    int32_t sinkKind = 0;  // 14 MP3, 15 WAVE, 16 WMA
    std::string extension;
    uint32_t bitRate = 0;  // bits per second; 0 when the format has none
    std::string description;

    // Nothing when the engine has no writer of that kind or the writer
    // refuses its saved settings.
    static std::optional<RecordingFormat> of(const Engine& engine, int32_t sinkKind);
};

}  // namespace app
