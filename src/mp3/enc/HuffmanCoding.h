#pragma once

#include "mp3/enc/BitWriter.h"
#include "mp3/enc/EncTypes.h"

namespace mp3::enc {

// The Huffman side of one granule: where the big-value and count1 regions
// end, which tables code them, and what that costs.
struct HuffmanChoice {
    int bigValues = 0;  // pairs
    int count1End = 0;  // lines
    int table[3] = {};
    int region0Count = 0;
    int region1Count = 0;
    bool count1TableB = false;
    bool singleTable = false;  // one table for all big values
    int bits = 0;              // part 3: big values and count1 with signs
};

// Bits and table for the pairs of ix[begin, end); the largest magnitude
// must be at most kMaxQuantValue.
struct TableCost {
    int table = 0;
    int bits = 0;
};
TableCost bestPairTable(const int* ix, int begin, int end);
int pairTableBits(const int* ix, int begin, int end, int table);

// Splits the spectrum into regions and picks tables. Long blocks use a fixed
// split unless fullSearch, which tries every region split; window-switched
// granules code both regions with one table, which keeps the result
// independent of how a decoder places their implied boundary.
HuffmanChoice chooseHuffman(const int* ix, const uint16_t* longBounds, bool windowSwitched,
                            bool fullSearch);

// Writes the part 3 data (big values, then count1 quadruples).
void writeHuffman(BitWriter& out, const int* ix, const HuffmanChoice& choice,
                  const uint16_t* longBounds);

}  // namespace mp3::enc
