#include "platform/AlsaPcm.h"

#include <cerrno>
#include <cstdio>
#include <mutex>

namespace platform {

namespace {

constexpr unsigned kBufferMicros = 250'000;
constexpr unsigned kPeriodMicros = 50'000;

void quietHandler(const char*, int, const char*, int, const char*, ...) {}

struct HwParamsFree {
    void operator()(snd_pcm_hw_params_t* p) const { snd_pcm_hw_params_free(p); }
};
struct SwParamsFree {
    void operator()(snd_pcm_sw_params_t* p) const { snd_pcm_sw_params_free(p); }
};

snd_pcm_format_t alsaFormat(const WaveFormat& f) {
    if (f.tag() == kWaveFormatIeeeFloat) {
        return f.bitsPerSample() == 32 ? SND_PCM_FORMAT_FLOAT_LE : SND_PCM_FORMAT_FLOAT64_LE;
    }
    switch (f.bitsPerSample()) {
        case 8:
            return SND_PCM_FORMAT_U8;
        case 16:
            return SND_PCM_FORMAT_S16_LE;
        case 24:
            return SND_PCM_FORMAT_S24_3LE;
        default:
            return SND_PCM_FORMAT_S32_LE;
    }
}

MmResult setHardware(snd_pcm_t* pcm, const WaveFormat& f) {
    snd_pcm_hw_params_t* raw = nullptr;
    if (snd_pcm_hw_params_malloc(&raw) < 0) {
        return kMmNoMemory;
    }
    const std::unique_ptr<snd_pcm_hw_params_t, HwParamsFree> hw(raw);
    unsigned buffer = kBufferMicros, period = kPeriodMicros;
    const bool formatOk =
        snd_pcm_hw_params_any(pcm, raw) >= 0 &&
        snd_pcm_hw_params_set_access(pcm, raw, SND_PCM_ACCESS_RW_INTERLEAVED) >= 0 &&
        snd_pcm_hw_params_set_format(pcm, raw, alsaFormat(f)) >= 0 &&
        snd_pcm_hw_params_set_channels(pcm, raw, f.channels()) >= 0 &&
        snd_pcm_hw_params_set_rate(pcm, raw, f.samplesPerSec(), 0) >= 0;
    if (!formatOk) {
        return kWaveBadFormat;
    }
    snd_pcm_hw_params_set_buffer_time_near(pcm, raw, &buffer, nullptr);
    snd_pcm_hw_params_set_period_time_near(pcm, raw, &period, nullptr);
    return snd_pcm_hw_params(pcm, raw) >= 0 ? kMmNoError : kWaveBadFormat;
}

// Playing starts with the first frame written; the thread is woken when a
// period's worth of room is free.
MmResult setSoftware(snd_pcm_t* pcm) {
    snd_pcm_sw_params_t* raw = nullptr;
    if (snd_pcm_sw_params_malloc(&raw) < 0) {
        return kMmNoMemory;
    }
    const std::unique_ptr<snd_pcm_sw_params_t, SwParamsFree> sw(raw);
    snd_pcm_uframes_t buffer = 0, period = 0;
    const bool ok = snd_pcm_get_params(pcm, &buffer, &period) >= 0 &&
                    snd_pcm_sw_params_current(pcm, raw) >= 0 &&
                    snd_pcm_sw_params_set_start_threshold(pcm, raw, 1) >= 0 &&
                    snd_pcm_sw_params_set_avail_min(pcm, raw, period) >= 0 &&
                    snd_pcm_sw_params(pcm, raw) >= 0;
    return ok ? kMmNoError : kMmError;
}

}  // namespace

MmResult alsaOpenResult(int err, bool isDefault) {
    switch (-err) {
        case EBUSY:
        case EAGAIN:
            return kMmAllocated;
        case ENOENT:
        case ENODEV:
        case ENXIO:
        case EINVAL:
            return isDefault ? kMmNoDriver : kMmBadDeviceId;
        case ENOMEM:
            return kMmNoMemory;
        default:
            return kMmError;
    }
}

void silenceAlsaDiagnostics() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(quietHandler); });
}

MmResult openAlsaPcm(const std::string& name, bool isDefault, const WaveFormat& format,
                     AlsaPcmHandle& pcm) {
    silenceAlsaDiagnostics();
    snd_pcm_t* raw = nullptr;
    const int err = snd_pcm_open(&raw, name.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (err < 0) {
        const MmResult r = alsaOpenResult(err, isDefault);
        if (r == kMmError) {
            std::fprintf(stderr, "melodux: ALSA の \"%s\" を開けません: %s\n", name.c_str(),
                         snd_strerror(err));
        }
        return r;
    }
    AlsaPcmHandle handle(raw);
    if (const MmResult r = setHardware(raw, format)) {
        return r;
    }
    if (const MmResult r = setSoftware(raw)) {
        return r;
    }
    pcm = std::move(handle);
    return kMmNoError;
}

}  // namespace platform
