#pragma once

#include <alsa/asoundlib.h>

#include <memory>
#include <string>

#include "platform/WaveFormat.h"
#include "platform/WaveOut.h"

namespace platform {

struct AlsaPcmCloser {
    void operator()(snd_pcm_t* pcm) const { snd_pcm_close(pcm); }
};
using AlsaPcmHandle = std::unique_ptr<snd_pcm_t, AlsaPcmCloser>;

// Stops ALSA from printing its own diagnostics on stderr; the wave results
// carry what the program reports.
void silenceAlsaDiagnostics();

// The wave result for a failed snd_pcm_open (a negative errno).
MmResult alsaOpenResult(int err, bool isDefault);

// Opens a PCM for non-blocking interleaved playback of `format`. A busy
// device gives kMmAllocated; a missing one kMmNoDriver for the default
// device and kMmBadDeviceId for a named one; a format it cannot play
// kWaveBadFormat.
MmResult openAlsaPcm(const std::string& name, bool isDefault, const WaveFormat& format,
                     AlsaPcmHandle& pcm);

}  // namespace platform
