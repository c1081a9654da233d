#include "mp3/enc/Mp3EncoderHandle.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <span>

#include "mp3/enc/FrameBits.h"

namespace mp3::enc {

namespace {
constexpr int kEncoderQualities[3] = {0, 5, 9};

bool isTableRate(int rate) {
    return samplingIndexOf(rate) >= 0;
}
}  // namespace

std::unique_ptr<Mp3EncoderHandle> Mp3EncoderHandle::create(double inputRate, int inputChannels,
                                                           int quality) {
    if (quality < 0 || quality > 2 || inputChannels < 1 || inputRate <= 0.0) {
        return nullptr;
    }
    std::unique_ptr<Mp3EncoderHandle> h(new (std::nothrow) Mp3EncoderHandle);
    if (h == nullptr) {
        return nullptr;
    }
    h->inputRate_ = inputRate;
    h->inputChannels_ = inputChannels;
    h->quality_ = kEncoderQualities[quality];
    h->outputRate_ = static_cast<int>(inputRate);
    h->outputChannels_ = inputChannels;
    h->bitrate_ = defaultBitrate(h->outputRate_, inputChannels);
    if (!h->initialise()) {
        return nullptr;
    }
    return h;
}

void Mp3EncoderHandle::fail(const std::string& message) {
    lastError_ = message;
}

void Mp3EncoderHandle::release() {
    engine_.reset();
    resampler_.reset();
    vbri_.reset();
    xing_.reset();
    converted_.clear();
    partial_.clear();
    pending_.clear();
    pendingRead_ = 0;
    flushed_ = false;
    engineKind_ = Mp3Engine::None;
}

bool Mp3EncoderHandle::initialise() {
    release();
    try {
        return buildEngine();
    } catch (const EncInvariantError& e) {
        fail(e.report());
    } catch (const std::bad_alloc&) {
        fail("out of memory");
    }
    release();
    return false;
}

// Engine choice: VBR always takes the fast engine; CBR takes the ISO encoder
// when the rate needs a conversion the fast engine does not do, or at the
// higher qualities for rich bitrates.
bool Mp3EncoderHandle::buildEngine() {
    const bool vbr = config_.vbrQuality != 0;
    const int input = static_cast<int>(inputRate_);
    if (!isTableRate(outputRate_) || outputChannels_ < 1 || outputChannels_ > 2) {
        fail("invalid samplerate");
        return false;
    }
    bool fast = vbr || simpleRatio(input, outputRate_);
    if (!vbr && quality_ != 0 && bitrate_ / outputChannels_ >= 40000 && bitrate_ != 320000) {
        fast = false;
    }
    if (vbr && outputRate_ < 16000) {
        fail("VBR needs an output rate of at least 16000 Hz");
        return false;
    }
    const Layer3Config stream = streamConfig(vbr);
    EncErrorPtr error = fast ? createFastEngine(stream, inputChannels_, options_, engine_)
                             : buildIsoEncoder(stream);
    engineKind_ = fast ? Mp3Engine::Fast : Mp3Engine::Iso;
    if (error) {
        fail(error->describe());
        return false;
    }
    if (input != outputRate_) {
        resampler_ = std::make_unique<platform::acm::Resampler>(
            static_cast<uint32_t>(input), static_cast<uint32_t>(outputRate_),
            static_cast<uint16_t>(outputChannels_));
    }
    config_.engineOutput = engine_->delay();
    if (vbr) {
        vbri_ = std::make_unique<VbriWriter>(outputRate_, outputChannels_, config_.copyright != 0,
                                             config_.original != 0, config_.privateBit != 0);
        vbri_->setDelay(engine_->samplesPerFrame() + engine_->delay());
        vbri_->setQuality(config_.vbrQuality);
    } else {
        xing_ = std::make_unique<XingWriter>(outputRate_, outputChannels_, bitrate_,
                                             config_.copyright != 0, config_.original != 0,
                                             config_.privateBit != 0);
        xing_->setDelay(engine_->delay());
        xing_->setQuality(quality_);
        xing_->setLowpass(engine_->bandwidth());
    }
    return true;
}

// The stream as the configuration and the output format describe it; the
// fast engine takes it as it is (never intensity stereo).
Layer3Config Mp3EncoderHandle::streamConfig(bool vbr) const {
    Layer3Config c;
    c.sampleRate = outputRate_;
    c.channels = outputChannels_;
    c.bitrate = vbr ? 0 : bitrate_;
    c.stereoTools = config_.allowMidSide != 0 ? kToolsMidSide : kToolsNone;
    c.flags = {config_.engineValue != 0, config_.copyright != 0, config_.original != 0,
               config_.privateBit != 0};
    c.bitstreamMode = BitstreamMode::Mixed;
    c.vbr = vbr;
    c.vbrQuality = config_.vbrQuality;
    c.fast = quality_ == 0;
    c.lowpass = config_.lowpass;
    c.padding = static_cast<PaddingMode>(config_.paddingMode);
    return c;
}

// The ISO encoder takes its stereo tools from the bitrate check and the
// rest through its parameter record.
EncErrorPtr Mp3EncoderHandle::buildIsoEncoder(Layer3Config stream) {
    BitrateCheck check;
    if (auto e = checkIsoBitrate(outputChannels_, bitrate_, static_cast<int>(inputRate_), quality_,
                                 config_.allowIntensity == 0, check)) {
        return e;
    }
    isoParams_ = IsoEncoderParams{};
    isoParams_.quality = quality_;
    isoParams_.disableIntensity = config_.allowIntensity == 0 ? 1 : 0;
    isoParams_.lowpass = config_.lowpass;
    isoParams_.paddingMode = config_.paddingMode;
    isoParams_.headerFlags = (config_.privateBit ? kHeaderPrivate : 0) |
                             (config_.copyright ? kHeaderCopyright : 0) |
                             (config_.original ? kHeaderOriginal : 0);
    stream.stereoTools =
        check.stereoTools & (kToolsIntensity | (config_.allowMidSide ? kToolsMidSide : 0));
    return createIsoEncoder(isoParams_, stream, check.fullSearch, inputChannels_, options_,
                            engine_);
}

bool Mp3EncoderHandle::setConfig(const Mp3EncoderConfig& config) {
    const bool vbr = config.vbrQuality != 0;
    const double limit = (vbr ? inputRate_ : outputRate_) / 2.0;
    if ((config.inputFormat != 0 && config.inputFormat != 1) || config.paddingMode < 0 ||
        config.paddingMode > 2 || config.vbrQuality < 0 || config.vbrQuality > 100 ||
        config.lowpass < 0.0f || config.lowpass > limit) {
        return false;
    }
    config_ = config;
    if (vbr) {
        outputRate_ = static_cast<int>(inputRate_);
        outputChannels_ = inputChannels_;
        bitrate_ = 0;
    }
    return initialise();
}

bool Mp3EncoderHandle::setOutputFormat(int sampleRate, int channels, int bitrate) {
    if (sampleRate == 0) {
        BitrateCheck check;
        int outChannels = inputChannels_;
        const int input = static_cast<int>(inputRate_);
        EncErrorPtr e = checkIsoBitrate(outChannels, bitrate, input, quality_,
                                        config_.allowIntensity == 0, check);
        if (e && config_.allowMono != 0) {
            outChannels = 1;
            e = checkIsoBitrate(1, bitrate, input, quality_, config_.allowIntensity == 0, check);
        }
        if (e) {
            fail(e->describe());
            return false;
        }
        sampleRate = check.sampleRate;
        channels = outChannels;
    } else if (channels < 1 || channels > inputChannels_ || sampleRate > inputRate_) {
        return false;
    }
    outputRate_ = sampleRate;
    outputChannels_ = channels;
    bitrate_ = bitrate;
    return initialise();
}

std::vector<Mp3Format> Mp3EncoderHandle::formats() const {
    std::vector<Mp3Format> list;
    for (const OfferedFormat& f : listOfferedFormats(static_cast<int>(inputRate_), inputChannels_,
                                                     quality_, config_.allowMono != 0)) {
        if (static_cast<int>(list.size()) == kMaxListedFormats) {
            break;
        }
        list.push_back({f.sampleRate, f.channels, f.bitrate});
    }
    return list;
}

bool Mp3EncoderHandle::offers(const Mp3Format& format) const {
    const auto all = listOfferedFormats(static_cast<int>(inputRate_), inputChannels_, quality_,
                                        config_.allowMono != 0);
    return std::any_of(all.begin(), all.end(), [&](const OfferedFormat& f) {
        return Mp3Format{f.sampleRate, f.channels, f.bitrate} == format;
    });
}

// Turns whole input frames into floats at the output's channel count (a
// stereo input for a mono output is averaged) and rate.
bool Mp3EncoderHandle::convertInput(const uint8_t* data, size_t frames) {
    std::vector<float> block(frames * static_cast<size_t>(outputChannels_));
    const size_t sampleBytes = config_.inputFormat == 0 ? 2 : 4;
    const auto sampleAt = [&](size_t frame, int ch) {
        const uint8_t* p =
            data +
            (frame * static_cast<size_t>(inputChannels_) + static_cast<size_t>(ch)) * sampleBytes;
        if (sampleBytes == 2) {
            int16_t v;
            std::memcpy(&v, p, 2);
            return static_cast<float>(v) / 32768.0f;
        }
        float v;
        std::memcpy(&v, p, 4);
        return v;
    };
    for (size_t f = 0; f < frames; ++f) {
        if (outputChannels_ == 1 && inputChannels_ == 2) {
            block[f] = (sampleAt(f, 0) + sampleAt(f, 1)) * 0.5f;
        } else {
            for (int ch = 0; ch < outputChannels_; ++ch) {
                block[f * static_cast<size_t>(outputChannels_) + static_cast<size_t>(ch)] =
                    sampleAt(f, ch);
            }
        }
    }
    if (!resampler_) {
        converted_.insert(converted_.end(), block.begin(), block.end());
        countSamples(frames);
        return true;
    }
    const size_t held = converted_.size();
    const size_t room = resampler_->outputFramesFor(frames) * static_cast<size_t>(outputChannels_);
    converted_.resize(held + room);
    const size_t made = resampler_->process(block, std::span<float>(converted_).subspan(held));
    converted_.resize(held + made * static_cast<size_t>(outputChannels_));
    countSamples(made);
    return true;
}

// The real samples at the output rate, which the padding is reckoned from.
void Mp3EncoderHandle::countSamples(size_t frames) {
    if (xing_) {
        xing_->addSamples(frames);
    }
}

// The resampler's look-ahead: the last input comes out only at the end.
void Mp3EncoderHandle::flushResampler() {
    if (!resampler_) {
        return;
    }
    const size_t channels = static_cast<size_t>(outputChannels_);
    for (;;) {
        const size_t held = converted_.size();
        converted_.resize(held + kGranuleLines * channels);
        const size_t made = resampler_->finish(std::span<float>(converted_).subspan(held));
        converted_.resize(held + made * channels);
        countSamples(made);
        if (made == 0) {
            return;
        }
    }
}

void Mp3EncoderHandle::feedGranules(bool final) {
    const size_t granule = static_cast<size_t>(kGranuleLines * outputChannels_);
    const size_t before = pending_.size();
    size_t at = 0;
    for (; converted_.size() - at >= granule; at += granule) {
        engine_->encode(converted_.data() + at, pending_);
    }
    converted_.erase(converted_.begin(), converted_.begin() + static_cast<std::ptrdiff_t>(at));
    if (final) {
        if (!converted_.empty()) {
            converted_.resize(granule, 0.0f);
            engine_->encode(converted_.data(), pending_);
            converted_.clear();
        }
        engine_->encode(nullptr, pending_);
    }
    if (xing_) {
        xing_->addAudio(pending_.data() + before, pending_.size() - before);
    }
    takeFrames();
}

void Mp3EncoderHandle::takeFrames() {
    const std::vector<int> sizes = engine_->takeFrameSizes();
    for (const int bytes : sizes) {
        if (vbri_) {
            vbri_->addFrame(bytes);
        }
        if (xing_) {
            xing_->addFrame(bytes);
        }
    }
}

size_t Mp3EncoderHandle::drain(uint8_t* out, size_t outSize) {
    const size_t n = std::min(outSize, pending_.size() - pendingRead_);
    if (n == 0) {
        return 0;  // an empty queue may have no storage to copy from
    }
    std::memcpy(out, pending_.data() + pendingRead_, n);
    pendingRead_ += n;
    if (pendingRead_ == pending_.size()) {
        pending_.clear();
        pendingRead_ = 0;
    }
    return n;
}

// Takes input a granule's worth at a time while the output waiting stays
// within what one call can hand out.
int Mp3EncoderHandle::encodeInput(const uint8_t* input, size_t inputBytes, size_t* consumed,
                                  size_t outSize) {
    const size_t frameBytes =
        static_cast<size_t>(inputChannels_) * (config_.inputFormat == 0 ? 2u : 4u);
    const size_t step = frameBytes * kGranuleLines;
    size_t taken = 0;
    while (taken < inputBytes && pending_.size() - pendingRead_ < outSize / 2) {
        const size_t chunk = std::min(step, inputBytes - taken);
        partial_.insert(partial_.end(), input + taken, input + taken + chunk);
        taken += chunk;
        const size_t frames = partial_.size() / frameBytes;
        convertInput(partial_.data(), frames);
        partial_.erase(partial_.begin(),
                       partial_.begin() + static_cast<std::ptrdiff_t>(frames * frameBytes));
        feedGranules(false);
    }
    *consumed = taken;
    return 0;
}

int Mp3EncoderHandle::encode(const void* input, size_t inputBytes, size_t* consumed, uint8_t* out,
                             size_t outSize) {
    size_t ignored = 0;
    size_t* used = consumed != nullptr ? consumed : &ignored;
    *used = 0;
    if (engine_ == nullptr || out == nullptr || outSize < kMinOutputBytes ||
        (input == nullptr && inputBytes != 0)) {
        return -1;
    }
    try {
        if (input == nullptr) {
            if (!flushed_) {
                flushResampler();
                feedGranules(true);
                flushed_ = true;
            }
        } else if (!flushed_) {
            encodeInput(static_cast<const uint8_t*>(input), inputBytes, used, outSize);
        }
        return static_cast<int>(drain(out, outSize));
    } catch (const EncInvariantError& e) {
        fail(e.report());
    } catch (const std::bad_alloc&) {
        fail("out of memory");
    }
    release();
    return -1;
}

size_t Mp3EncoderHandle::vbriHeader(uint8_t* buffer, size_t size) const {
    if (!vbri_ || buffer == nullptr) {
        return 0;
    }
    return vbri_->build(buffer, size);
}

size_t Mp3EncoderHandle::infoHeader(uint8_t* buffer, size_t size) const {
    if (!xing_ || buffer == nullptr) {
        return 0;
    }
    return xing_->build(buffer, size);
}

}  // namespace mp3::enc
