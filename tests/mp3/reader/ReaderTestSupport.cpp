#include "ReaderTestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

#include "stream/CNxSSPacket.h"

namespace mp3test {

std::filesystem::path fixture(const std::string& name) {
    return std::filesystem::path(MP3_FIXTURE_DIR) / name;
}

std::vector<uint8_t> id3v2Tag(uint32_t size) {
    std::vector<uint8_t> tag(10 + size, 0);
    std::memcpy(tag.data(), "ID3\x03\x00\x00", 6);
    for (int i = 0; i < 4; ++i) {
        tag[9 - i] = static_cast<uint8_t>((size >> (7 * i)) & 0x7F);
    }
    return tag;
}

std::vector<int16_t> reference16(const std::string& name) {
    const std::vector<uint8_t> raw = bytesOf(fixture(name + ".f32"));
    std::vector<int16_t> pcm(raw.size() / 4);
    for (size_t i = 0; i < pcm.size(); ++i) {
        float f;
        std::memcpy(&f, &raw[i * 4], 4);
        const double v = std::nearbyint(double(f) * 32768.0);
        pcm[i] = static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0));
    }
    return pcm;
}

std::vector<uint8_t> readAll(CNxSSMp3Reader& reader) {
    platform::WaveFormat format;
    std::vector<uint8_t> out;
    if (!reader.GetFormat(format)) {
        return out;
    }
    NxRef<CNxSSPacket> packet = MakeNx<CNxSSPacket>(nullptr);
    packet->Allocate(format, 1000);
    for (;;) {
        reader.Read(*packet);
        if (packet->Frames() == 0) {
            return out;
        }
        out.insert(out.end(), packet->Data(), packet->Data() + packet->Bytes());
    }
}

std::vector<int16_t> asPcm16(const std::vector<uint8_t>& bytes) {
    std::vector<int16_t> pcm(bytes.size() / 2);
    std::memcpy(pcm.data(), bytes.data(), pcm.size() * 2);
    return pcm;
}

}  // namespace mp3test
