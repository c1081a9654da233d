#pragma once

#include <cstdint>

namespace mp3 {

// Status code of every decoder-side operation. The two top bits give the
// class: 00 success, 01 information (output still usable), 10 warning,
// 11 error.
using Mp3Ssc = uint32_t;

namespace ssc {
inline constexpr Mp3Ssc kOk = 0x00000000;
inline constexpr Mp3Ssc kInvalidParameter = 0xC0000001;
inline constexpr Mp3Ssc kOutOfMemory = 0xC0000002;
inline constexpr Mp3Ssc kInvalidHandle = 0xC0000003;
inline constexpr Mp3Ssc kIoGeneric = 0x80010001;
inline constexpr Mp3Ssc kIoOpen = 0x80010002;
inline constexpr Mp3Ssc kIoClose = 0x80010003;
inline constexpr Mp3Ssc kIoRead = 0x80010004;
inline constexpr Mp3Ssc kCrcError = 0x41010001;
inline constexpr Mp3Ssc kMissingMainData = 0x41010002;
inline constexpr Mp3Ssc kDecoderGeneric = 0xC1010001;
inline constexpr Mp3Ssc kWrongLayer = 0xC1010002;
inline constexpr Mp3Ssc kBufferTooSmall = 0xC1010003;
inline constexpr Mp3Ssc kSyncSearched = 0x81010001;
inline constexpr Mp3Ssc kSyncLost = 0x81010002;
inline constexpr Mp3Ssc kSyncNeedData = 0x81010003;
inline constexpr Mp3Ssc kSyncEof = 0x81010004;
}  // namespace ssc

// A failure is any code whose class is warning or error.
constexpr bool mp3SscFailed(Mp3Ssc code) {
    return (code >> 30) >= 2;
}

constexpr bool mp3SscIsError(Mp3Ssc code) {
    return (code >> 30) == 3;
}

// The fixed text of a code; "(Mp3Ssc) unknown SSC" for any other value.
const char* mp3SscText(Mp3Ssc code);

}  // namespace mp3
