// libFuzzer target: ADPCM decoding of arbitrary blocks and format records.
// The first byte picks codec, channels and block size; with bit 4 set the
// next 32 bytes become an MS ADPCM coefficient table.
#include <cstdint>
#include <vector>

#include "platform/acm/ImaAdpcm.h"
#include "platform/acm/MsAdpcm.h"
#include "platform/acm/Stream.h"

using namespace platform::acm;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const uint8_t pick = data[0];
    const uint16_t channels = (pick & 2) ? 2 : 1;
    static constexpr uint16_t kBlocks[] = {256, 512, 1024, 36};
    const bool ms = (pick & 1) != 0;
    auto format =
        ms ? MsAdpcm::standardFormat(channels, 22050) : ImaAdpcm::standardFormat(channels, 22050);
    format.setBlockAlign(static_cast<uint16_t>(kBlocks[(pick >> 2) & 3] * channels));
    size_t at = 1;
    if (ms && (pick & 0x10) != 0 && size >= at + 32) {
        format.setExtra(std::span<const uint8_t>(data + at, 32));
        at += 32;
    }
    const auto codecs = CodecRegistry::standard();
    Stream stream;
    if (stream.open(codecs, format, platform::WaveFormat::pcm(channels, 22050, 16)) != kOk) {
        return 0;
    }
    std::vector<uint8_t> source(data + at, data + size);
    size_t room = 0;
    stream.destinationSize(source.size(), room);
    std::vector<uint8_t> destination(room + 1);
    StreamHeader header;
    header.source = source;
    header.destination = destination;
    stream.prepareHeader(header);
    header.sourceLength = source.size();
    stream.convert(header, kConvertBlockAlign);
    const size_t rest = header.sourceLength - header.sourceLengthUsed;
    if (rest > 0) {
        std::vector<uint8_t> tail(source.end() - static_cast<long>(rest), source.end());
        std::copy(tail.begin(), tail.end(), source.begin());
        header.sourceLength = rest;
        stream.convert(header, kConvertEnd);
    }
    stream.unprepareHeader(header);
    return 0;
}
