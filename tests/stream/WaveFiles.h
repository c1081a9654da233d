#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/MessageQueue.h"
#include "platform/WaveFormat.h"
#include "stream/CNxSSComponent.h"
#include "stream/CNxSSException.h"
#include "stream/CNxSSManager.h"
#include "support/Files.h"

// Byte-level RIFF images for tests, and helpers that drive chains.
namespace wavetest {

inline const platform::WaveFormat kCd = platform::WaveFormat::pcm(2, 44100, 16);

// The code of the CNxSSException `call` throws; 0 when it returns.
template <class Call>
uint32_t ThrownCode(Call&& call) {
    try {
        call();
    } catch (const CNxSSException& e) {
        return e.Code();
    }
    return 0;
}

// The interface `id` of `object`, with the reference GetInterface gave.
template <class T>
NxRef<T> Interface(CNxSSObject& object, uint32_t id) {
    void* out = nullptr;
    object.GetInterface(id, &out);
    return NxRef<T>::adopt(static_cast<T*>(out));
}

std::string Le16(uint16_t v);
std::string Le32(uint32_t v);
// A chunk with its pad byte; `size` overrides the size field.
std::string Chunk(std::string_view id, std::string_view body,
                  std::optional<uint32_t> size = std::nullopt);
std::string Form(std::string_view type, std::string_view body,
                 std::optional<uint32_t> size = std::nullopt);
std::string FormatBody(const platform::WaveFormat& format);
// "RIFF" "WAVE" with "fmt " and "data".
std::string WaveImage(const platform::WaveFormat& format, std::string_view data);

using testsupport::readText;
using testsupport::writeText;

// 16-bit stereo 44.1 kHz PCM whose every frame carries its own index, so
// that any byte offset can be recognised.
std::string CountingPcm(uint32_t frames);

// Everything a source delivers until end of stream, read `frames` at a time.
std::vector<uint8_t> ReadAll(CNxSSComponent& source, uint32_t frames = 4096);

// Starts the manager's sink, reporting to `window`, and waits for Finished
// or a failure code.
uint32_t RunToEnd(CNxSSManager& manager, platform::MessageQueue& window);

}  // namespace wavetest
