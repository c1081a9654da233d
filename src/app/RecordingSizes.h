#pragma once

#include <cstdint>
#include <string>

namespace app {

// A size as the recording panel shows it: "B" below 1024 bytes (and for
// negative values), else KB, MB or GB, one decimal below 100.
std::string recordingSizeText(int64_t bytes);

// What a recording of that length is likely to take at that bit rate
// (bits per second); 0 without a bit rate.
int64_t estimatedRecordingSize(uint32_t bitRate, int32_t seconds);

// "%02d:%02d", minutes and seconds.
std::string recordingLengthText(int64_t seconds);

}  // namespace app
