#pragma once

#include <cstddef>
#include <cstdint>

namespace mp3 {

// The LAME extension of a "Xing" or "Info" frame: 36 bytes after the Xing
// fields, ending in a CRC-16 of every byte of the frame before the CRC.
inline constexpr size_t kLameTagBytes = 36;
inline constexpr size_t kLameEncoderBytes = 9;
inline constexpr size_t kLameDelayAt = 21;  // 12 bits delay, 12 bits padding
inline constexpr size_t kLameCrcAt = 34;
inline constexpr uint32_t kLameMaxDelay = 4095;

// What the extension tells of the stream's real samples.
struct Mp3LameTag {
    uint32_t frames = 0;   // audio frames after the header frame; 0 when not given
    uint32_t delay = 0;    // samples the encoder put before the first real one
    uint32_t padding = 0;  // samples it put after the last real one
};

// The CRCs the extension carries (CRC-16 with the reflected 0x8005
// polynomial, starting from 0); `crc` carries a CRC on over more data.
uint16_t lameTagCrc(const uint8_t* data, size_t count, uint16_t crc = 0);

// Where the LAME extension of the frame at `frame` starts, past the Xing
// fields its flags announce; 0 when the frame holds no "Xing" or "Info".
size_t lameTagOffset(const uint8_t* frame, size_t available);

// The extension's facts; false without one, or when its CRC does not match,
// so that garbage is never taken for a delay.
bool parseLameTag(const uint8_t* frame, size_t available, Mp3LameTag& tag);

}  // namespace mp3
