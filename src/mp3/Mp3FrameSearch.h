#pragma once

#include <cstddef>
#include <cstdint>

#include "mp3/Mp3FrameHeader.h"
#include "mp3/Mp3Ssc.h"

namespace mp3 {

// Where the frame sync finds the first Layer III frame of `data` (treated
// as the whole stream), with its header (a free-format one measured).
// False when there is none.
bool findFirstMp3Frame(const uint8_t* data, size_t size, size_t& offset, Mp3FrameHeader& header);

// Why `data` yields no Layer III frame: kWrongLayer when frames of another
// MPEG audio layer are there, else kSyncEof.
Mp3Ssc mp3StreamFailure(const uint8_t* data, size_t size);

}  // namespace mp3
