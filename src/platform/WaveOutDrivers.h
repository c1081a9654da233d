#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/WaveClock.h"
#include "platform/WaveOut.h"

namespace platform {

enum class WavePacing {
    RealTime,  // blocks take as long as they would on a sound card
    Unpaced,   // blocks are done as soon as they are written (tests, conversion)
};

// The back ends behind makeWaveOutDriver(). All apply the volume in
// software and report volume control in their capabilities. A null clock
// means the monotonic system clock.

// Plays in real time and discards the sound. Every device id opens it.
std::shared_ptr<WaveOutDriver> makeNullWaveOutDriver(std::shared_ptr<WaveClock> clock = nullptr);

// Plays like the null driver and writes what was heard to a WAVE file (see
// WaveFileWriter). One device at a time: a second open reports the device
// busy. Every device id opens it.
std::shared_ptr<WaveOutDriver> makeFileWaveOutDriver(std::filesystem::path path,
                                                     WavePacing pacing = WavePacing::RealTime,
                                                     std::shared_ptr<WaveClock> clock = nullptr);

// Plays through ALSA. Without a PCM name, device id -1 opens "default" and
// id N opens card N ("plughw:N"); with a name, every id opens that PCM.
std::shared_ptr<WaveOutDriver> makeAlsaWaveOutDriver(std::string pcmName = {});

}  // namespace platform
