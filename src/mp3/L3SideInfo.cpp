#include <algorithm>

#include "mp3/L3Stages.h"

namespace mp3 {

namespace {
constexpr uint32_t kMaxBigValues = kGranuleLines / 2;

void readGranuleSide(L3BitReader& reader, bool lsf, L3GranuleSide& g) {
    g = L3GranuleSide{};
    g.part23Length = reader.get(12);
    g.bigValues = std::min(reader.get(9), kMaxBigValues);
    g.globalGain = reader.get(8);
    g.scalefacCompress = reader.get(lsf ? 9 : 4);
    g.windowSwitching = reader.bit();
    if (g.windowSwitching) {
        g.blockType = reader.get(2);
        g.mixedBlock = reader.bit();
        g.tableSelect[0] = reader.get(5);
        g.tableSelect[1] = reader.get(5);
        for (uint32_t& gain : g.subblockGain) {
            gain = reader.get(3);
        }
        // Implied region counts: region 1 takes everything above region 0.
        g.region0Count = g.shortBlocks() && !g.mixedBlock ? 8 : 7;
        g.region1Count = 20 - g.region0Count;
    } else {
        for (uint32_t& table : g.tableSelect) {
            table = reader.get(5);
        }
        g.region0Count = reader.get(4);
        g.region1Count = reader.get(3);
    }
    if (!lsf) {
        g.preflag = reader.bit();
    }
    g.scalefacScale = reader.bit();
    g.count1TableB = reader.bit();
}
}  // namespace

int l3SideInfoBytes(const Mp3FrameHeader& header) {
    if (header.version == kMp3Version1) {
        return header.channels == 1 ? 17 : 32;
    }
    return header.channels == 1 ? 9 : 17;
}

void l3ReadSideInfo(L3BitReader& reader, const Mp3FrameHeader& header, L3SideInfo& side) {
    const bool lsf = header.lowSamplingFrequency();
    const int channels = static_cast<int>(header.channels);
    side.mainDataBegin = reader.get(lsf ? 8 : 9);
    side.privateBits = reader.get(lsf ? (channels == 1 ? 1 : 2) : (channels == 1 ? 5 : 3));
    for (int ch = 0; ch < channels; ++ch) {
        for (bool& reuse : side.scfsi[ch]) {
            reuse = lsf ? false : reader.bit();
        }
    }
    const int granules = lsf ? 1 : 2;
    for (int gr = 0; gr < granules; ++gr) {
        for (int ch = 0; ch < channels; ++ch) {
            readGranuleSide(reader, lsf, side.granule[gr][ch]);
        }
    }
}

uint16_t l3ProtectedCrc(const uint8_t* frame, int sideInfoBytes) {
    uint32_t crc = 0xFFFF;
    const auto feed = [&crc](uint8_t byte) {
        for (int bit = 7; bit >= 0; --bit) {
            const bool carry = ((crc >> 15) ^ (byte >> bit)) & 1;
            crc = (crc << 1) & 0xFFFF;
            if (carry) {
                crc ^= 0x8005;
            }
        }
    };
    feed(frame[2]);
    feed(frame[3]);
    for (int i = 0; i < sideInfoBytes; ++i) {
        feed(frame[6 + i]);  // after the header and the check word
    }
    return static_cast<uint16_t>(crc);
}

}  // namespace mp3
