#include "WaveFiles.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "stream/CNxSSPacket.h"
#include "stream/ResultCodes.h"

namespace wavetest {

std::string Le16(uint16_t v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}

std::string Le32(uint32_t v) {
    return Le16(static_cast<uint16_t>(v)) + Le16(static_cast<uint16_t>(v >> 16));
}

std::string Chunk(std::string_view id, std::string_view body, std::optional<uint32_t> size) {
    std::string chunk = std::string(id) + Le32(size.value_or(static_cast<uint32_t>(body.size())));
    chunk += body;
    if (body.size() % 2 != 0) {
        chunk += '\0';
    }
    return chunk;
}

std::string Form(std::string_view type, std::string_view body, std::optional<uint32_t> size) {
    return Chunk("RIFF", std::string(type) + std::string(body), size);
}

std::string FormatBody(const platform::WaveFormat& format) {
    const auto bytes = format.bytes();
    return std::string(bytes.begin(), bytes.end());
}

std::string WaveImage(const platform::WaveFormat& format, std::string_view data) {
    return Form("WAVE", Chunk("fmt ", FormatBody(format)) + Chunk("data", data));
}

std::string CountingPcm(uint32_t frames) {
    std::string pcm;
    pcm.reserve(size_t{frames} * 4);
    for (uint32_t i = 0; i < frames; ++i) {
        pcm += Le32(i);
    }
    return pcm;
}

std::vector<uint8_t> ReadAll(CNxSSComponent& source, uint32_t frames) {
    platform::WaveFormat format;
    if (!source.GetFormat(format)) {
        throw std::runtime_error("source without a format");
    }
    auto packet = MakeNx<CNxSSPacket>(nullptr);
    packet->Allocate(format, frames);
    std::vector<uint8_t> all;
    for (;;) {
        source.Read(*packet);
        if (packet->EndOfStream()) {
            return all;
        }
        all.insert(all.end(), packet->Data(), packet->Data() + packet->Bytes());
    }
}

uint32_t RunToEnd(CNxSSManager& manager, platform::MessageQueue& window) {
    manager.Advise(&window, 0x401, 0);
    manager.Start();
    for (;;) {
        const auto message = window.take(60000);
        if (!message) {
            throw std::runtime_error("the writer did not finish");
        }
        const auto code = static_cast<uint32_t>(message->wParam);
        if (code != nxss::kStarted) {
            return code;
        }
    }
}

}  // namespace wavetest
