#include <gtest/gtest.h>

#include <utility>

#include "mp3/L3HuffmanLookup.h"

namespace mp3 {
namespace {

// Writes one code word MSB first at the start of a zeroed buffer.
std::array<uint8_t, 16> codeBytes(uint32_t code, int length) {
    std::array<uint8_t, 16> bytes{};
    for (int i = 0; i < length; ++i) {
        if ((code >> (length - 1 - i)) & 1) {
            bytes[static_cast<size_t>(i / 8)] |= static_cast<uint8_t>(0x80 >> (i % 8));
        }
    }
    return bytes;
}

template <int Select>
void expectEveryCodeDecodes(int count) {
    const L3HuffLookup lookup = L3LookupFor<Select>::value();
    const L3HuffCodeTable& t = L3LookupFor<Select>::kCodes;
    for (int c = 0; c < count; ++c) {
        const auto bytes = codeBytes(t.codes[c], t.lengths[c]);
        L3BitReader reader(bytes.data(), 8);
        const uint32_t entry = l3DecodeHuffman(reader, lookup);
        ASSERT_EQ(reader.position(), t.lengths[c]) << "table " << Select << " code " << c;
        ASSERT_EQ((entry >> 4) & 15, static_cast<uint32_t>(c / t.width)) << Select << "/" << c;
        ASSERT_EQ(entry & 15, static_cast<uint32_t>(c % t.width)) << Select << "/" << c;
    }
}

template <size_t... Select>
void expectTables(std::index_sequence<Select...>) {
    (([] {
         constexpr int s = static_cast<int>(Select);
         if constexpr (kPairTables[s].code.width != 0) {
             expectEveryCodeDecodes<s>(kPairTables[s].code.width * kPairTables[s].code.width);
         }
     }()),
     ...);
}

TEST(Huffman, EveryPairCodeDecodesToItsValuesAndLength) {
    expectTables(std::make_index_sequence<32>());
}

TEST(Huffman, CodeTablesAreCompletePrefixCodes) {
    // A complete prefix code has Kraft sum exactly 1; the lookup would
    // otherwise hold undefined entries.
    for (const L3PairTable& p : kPairTables) {
        if (p.code.width == 0) {
            continue;
        }
        double kraft = 0.0;
        for (int c = 0; c < p.code.width * p.code.width; ++c) {
            kraft += 1.0 / static_cast<double>(1u << p.code.lengths[c]);
        }
        EXPECT_DOUBLE_EQ(kraft, 1.0);
    }
    double kraft = 0.0;  // count1 table A
    for (const uint8_t length : kQuadLengthsA) {
        kraft += 1.0 / static_cast<double>(1u << length);
    }
    EXPECT_DOUBLE_EQ(kraft, 1.0);
}

TEST(BitReader, ReadsPastTheEndAsZeros) {
    const uint8_t data[2 + kL3ReaderPad] = {0xAB, 0xFF, 0xFF, 0xFF};  // only 2 bytes are data
    L3BitReader reader(data, 2);
    EXPECT_EQ(reader.get(8), 0xABu);
    EXPECT_EQ(reader.get(12), 0xFF0u);
    EXPECT_TRUE(reader.overrun());
    EXPECT_EQ(reader.get(32), 0u);
}

}  // namespace
}  // namespace mp3
