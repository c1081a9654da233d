#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Cuts the encoder's delay off the start of decoded PCM and holds back the
// padding's length, so that the stream's end, wherever a play began, never
// lets its padding out. Counts are in bytes of whole sample frames.
class Mp3PcmTrim {
  public:
    Mp3PcmTrim() = default;
    Mp3PcmTrim(size_t startBytes, size_t endBytes) : start_(startBytes), end_(endBytes) {}

    // Forgets what it holds; a play from the stream's start drops the delay
    // again.
    void restart(bool fromStart);
    void push(const uint8_t* data, size_t count);
    // Hands out what lies before the held-back end; returns the bytes written.
    size_t take(uint8_t* out, size_t count);

  private:
    size_t start_ = 0;
    size_t end_ = 0;
    size_t toDrop_ = 0;
    std::vector<uint8_t> held_;
    size_t read_ = 0;
};
