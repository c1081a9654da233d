#include "mp3/enc/Layer3Encoder.h"

#include <algorithm>
#include <cmath>

#include "mp3/L3Bands.h"
#include "mp3/enc/ScalefactorCoding.h"

namespace mp3::enc {

namespace {
constexpr const char* kModule = "psymain";
constexpr float kInvSqrt2 = 0.70710678f;
constexpr int kFastOuterLoops = 6;
// Below this, direction is heard from the waveform, not only the level.
constexpr float kIntensityFloorHz = 3000.0f;

// Nominal stereo bitrate of a VBR quality, used to pick its parameter row.
int vbrNominalBitrate(int quality, int channels) {
    const int stereo = 32000 + 2000 * std::clamp(quality, 1, 100);
    return channels == 2 ? stereo : stereo / 2;
}

// Allowed noise against the model's threshold: 0 dB at quality 80, finer
// above, coarser below. Between qualities 20 and 40 the step is steeper:
// noise 6 to 12 dB above the threshold is heard on tones long before the
// bits it saves matter.
float vbrNoiseScale(int quality) {
    const float q = static_cast<float>(std::clamp(quality, 1, 100));
    float db = 0.0f;
    if (q >= 40.0f) {
        db = (80.0f - q) * (q >= 80.0f ? 0.2f : 0.15f);
    } else if (q >= 20.0f) {
        db = 6.0f + (40.0f - q) * 0.3f;
    } else {
        db = 12.0f + (20.0f - q) * 0.2f;
    }
    return std::pow(10.0f, db / 10.0f);
}
}  // namespace

EncErrorPtr Layer3Encoder::create(const Layer3Config& config, OptionConfig& options,
                                  std::unique_ptr<Layer3Encoder>& result) {
    if (config.channels != 1 && config.channels != 2) {
        return MP3ENC_ERROR(kModule, "only mono and stereo case implemented");
    }
    if (samplingIndexOf(config.sampleRate) < 0) {
        return MP3ENC_ERROR(kModule, "not a valid ISO sampling rate");
    }
    std::unique_ptr<Layer3Encoder> enc(new Layer3Encoder);
    if (auto e = enc->init(config, options)) {
        return e;
    }
    result = std::move(enc);
    return nullptr;
}

EncErrorPtr Layer3Encoder::init(const Layer3Config& config, OptionConfig& options) {
    config_ = config;
    channels_ = config.channels;
    const int type = bitstreamTypeOf(config.sampleRate);
    BitstreamParams bp;
    bp.sampleRate = config.sampleRate;
    bp.bitrate = config.vbr ? tableBitrate(type, 1) : config.bitrate;
    bp.flags = config.flags;
    bp.stereoMode = channels_ == 1                     ? StereoMode::Single
                    : config.stereoTools != kToolsNone ? StereoMode::Joint
                                                       : StereoMode::Stereo;
    bp.bitstreamMode = config.vbr ? BitstreamMode::Iso : config.bitstreamMode;
    if (auto e = BitstreamEncoder::create(options, bp, bitstream_)) {
        return MP3ENC_ERROR_CHAIN(kModule, "CreateBitstreamEncoder() failed", std::move(e));
    }
    granules_ = bitstream_->granules();
    const int lookupRate =
        config.vbr ? vbrNominalBitrate(config.vbrQuality, channels_) : config.bitrate;
    if (auto e = buildPsyParams(options, lookupRate, config.sampleRate, channels_, psyParams_)) {
        return e;
    }
    loop_.iterationMode = psyParams_.iterationMode;
    loop_.maxOuterLoops = psyParams_.maxOuterLoops;
    loop_.ampMode = psyParams_.ampMode;
    loop_.fullHuffman = psyParams_.fullHuffman;
    if (config.fast) {
        psyParams_.longBlock.chaosMethod = 3;
        psyParams_.shortBlock.chaosMethod = 3;
        // A short distortion loop from flat scale factors: most of the gain
        // of the full one at a fraction of its rounds.
        loop_.iterationMode = config.vbr ? 2 : 0;
        loop_.maxOuterLoops = kFastOuterLoops;
        loop_.ampMode = 2;
        loop_.fullHuffman = false;
    }
    const L3BandTable& bands = l3BandTable(
        static_cast<uint32_t>(type), static_cast<uint32_t>(samplingIndexOf(config.sampleRate)));
    makeShortOrder(bands, shortOrder_);
    layout_ = std::make_unique<PsyLayout>(bands, config.sampleRate, psyParams_);
    for (auto& row : quantizer_) {
        for (auto& q : row) {
            q = std::make_unique<GranuleQuantizer>(type, bands);
        }
    }
    for (int ch = 0; ch < channels_; ++ch) {
        channel_[ch].psy = std::make_unique<PsyModel>(*layout_, psyParams_);
        channel_[ch].blockSwitch = std::make_unique<BlockSwitch>(psyParams_.blockSwitchMode);
        for (auto& g : channel_[ch].subbands) {
            std::fill(&g[0][0], &g[0][0] + kSlots * kSubbands, 0.0f);
        }
    }
    const float lineHz = config.sampleRate / 2.0f / kGranuleLines;
    lowpassLine_ = std::clamp(static_cast<int>(psyParams_.bandwidth / lineHz), 1, kGranuleLines);
    if (psyParams_.lpAdjust) {
        const uint16_t* b = bands.longBounds;
        const uint16_t* up = std::lower_bound(b, b + kLongBands, lowpassLine_);
        const uint16_t* down = up == b ? up : up - 1;
        lowpassLine_ = *up - lowpassLine_ < lowpassLine_ - *down ? *up : *down;
        lowpassLine_ = std::max(lowpassLine_, 1);
    }
    lowpassShortLine_ = (lowpassLine_ + 2) / 3;
    if (channels_ == 2 && (config.stereoTools & kToolsIntensity) != 0 && !config.vbr) {
        intensity_ =
            std::make_unique<IntensityStereo>(type, bands, config.sampleRate, kIntensityFloorHz);
        // A mixed block's long part would need positions of its own.
        psyParams_.mixedBlocks = false;
    }
    noiseScale_ = config.vbr ? vbrNoiseScale(config.vbrQuality) : 1.0f;
    return nullptr;
}

int Layer3Encoder::delaySamples() const {
    // The analysis filterbank and the MDCT's half window; a decoder adds its
    // own 529 samples. The block-switching lookahead costs latency, not delay.
    return kGranuleLines - kSubbands - kSubbands / 2;
}

std::vector<int> Layer3Encoder::takeFrameSizes() {
    std::vector<int> sizes;
    sizes.swap(frameSizes_);
    return sizes;
}

void Layer3Encoder::encodeGranule(const float* const* pcm, std::vector<uint8_t>& out) {
    analyseGranule(pcm);
    if (++granulesSeen_ < 2) {
        return;
    }
    transformGranule(work_[pending_]);
    if (++pending_ == granules_) {
        encodeFrame(out);
        pending_ = 0;
    }
}

void Layer3Encoder::flush(std::vector<uint8_t>& out) {
    std::vector<float> silence(kGranuleLines, 0.0f);
    const float* planes[kMaxChannels] = {silence.data(), silence.data()};
    // The granule of lookahead, then enough coded granules that a decoder,
    // lagging by our delay and its own, still plays the last real sample;
    // then whole frames.
    constexpr int kDecoderDelay = 529;
    const int trailing = (delaySamples() + kDecoderDelay + kGranuleLines - 1) / kGranuleLines;
    for (int i = 0; i < 1 + trailing || pending_ != 0; ++i) {
        encodeGranule(planes, out);
    }
    bitstream_->flush(out);
}

void Layer3Encoder::analyseGranule(const float* const* pcm) {
    bool anyShort = false;
    for (int ch = 0; ch < channels_; ++ch) {
        ChannelState& c = channel_[ch];
        std::copy(&c.subbands[1][0][0], &c.subbands[1][0][0] + 2 * kSlots * kSubbands,
                  &c.subbands[0][0][0]);
        for (int t = 0; t < kSlots; ++t) {
            c.analysis.analyse(pcm[ch] + t * kSubbands, 1, c.subbands[2][t]);
        }
        c.wantsShort[0] = c.wantsShort[1];
        c.wantsShort[1] = c.blockSwitch->wantsShort(c.subbands[2]);
        anyShort = anyShort || c.wantsShort[1];
    }
    if (bitstream_->channels() == 2 && config_.stereoTools != kToolsNone) {
        // Mid/side and intensity need the same transform in both channels.
        channel_[0].wantsShort[1] = channel_[1].wantsShort[1] = anyShort;
    }
}

void Layer3Encoder::transformGranule(GranuleWork& work) {
    const bool complex = !psyParams_.noCmdct;
    for (int ch = 0; ch < channels_; ++ch) {
        ChannelState& c = channel_[ch];
        const int type = c.blockSwitch->decide(c.wantsShort[0], c.wantsShort[1]);
        work.blockType[ch] = type;
        work.mixed[ch] = type == kBlockShort && psyParams_.mixedBlocks;
        mdctGranule(c.subbands[0], c.subbands[1], type, work.mixed[ch], shortOrder_, work.xr[ch]);
        lowpass(work.xr[ch], type);
        if (complex) {
            mdstGranule(c.subbands[0], c.subbands[1], type, work.mixed[ch], shortOrder_,
                        work.xi[ch]);
            lowpass(work.xi[ch], type);
        }
        c.psy->analyse(work.xr[ch], type, work.mixed[ch], work.psy[ch],
                       complex ? work.xi[ch] : nullptr);
    }
}

void Layer3Encoder::lowpass(float* lines, int blockType) const {
    if (blockType != kBlockShort) {
        std::fill(lines + lowpassLine_, lines + kGranuleLines, 0.0f);
        return;
    }
    for (int w = 0; w < kWindows; ++w) {
        for (int f = lowpassShortLine_; f < kShortLines; ++f) {
            lines[shortOrder_.position[w][f]] = 0.0f;
        }
    }
}

namespace {
float costOf(float energy, float xmin, int width) {
    return static_cast<float>(width) * std::log10(std::max(energy / (xmin + 1e-20f), 1.0f));
}
}  // namespace

// Mid/side pays when coding the sum and difference costs fewer bits than
// left and right with the same (the lower of the two) allowed noise.
bool Layer3Encoder::decideMidSide() const {
    if (bitstream_->channels() != 2 || (config_.stereoTools & kToolsMidSide) == 0) {
        return false;
    }
    float costLr = 0.0f, costMs = 0.0f;
    for (int gr = 0; gr < granules_; ++gr) {
        const GranuleWork& w = work_[gr];
        const float* l = w.xr[0];
        const float* r = w.xr[1];
        for (int k = 0; k < kGranuleLines; k += 6) {
            float el = 0, er = 0, em = 0, es = 0;
            for (int i = k; i < k + 6; ++i) {
                el += l[i] * l[i];
                er += r[i] * r[i];
                em += 0.5f * (l[i] + r[i]) * (l[i] + r[i]);
                es += 0.5f * (l[i] - r[i]) * (l[i] - r[i]);
            }
            // Allowed noise per line from the band the lines lie in.
            const int band = w.blockType[0] == kBlockShort ? -1 : k;
            float xl = 0, xr = 0;
            if (band >= 0) {
                const uint16_t* b = layout_->longKind().bounds;
                const int sfb =
                    static_cast<int>(std::upper_bound(b, b + kLongBands + 1, k) - b) - 1;
                const float width = static_cast<float>(b[sfb + 1] - b[sfb]);
                xl = w.psy[0].xminLong[sfb] * 6 / width;
                xr = w.psy[1].xminLong[sfb] * 6 / width;
            } else {
                xl = el * 0.01f + 1e-12f;
                xr = er * 0.01f + 1e-12f;
            }
            const float xm = std::min(xl, xr);
            costLr += costOf(el, xl, 6) + costOf(er, xr, 6);
            costMs += costOf(em, xm, 6) + costOf(es, xm, 6);
        }
    }
    return costMs < costLr;
}

void Layer3Encoder::applyMidSide(GranuleWork& w) const {
    for (int i = 0; i < kGranuleLines; ++i) {
        const float l = w.xr[0][i];
        const float r = w.xr[1][i];
        w.xr[0][i] = (l + r) * kInvSqrt2;
        w.xr[1][i] = (l - r) * kInvSqrt2;
    }
    for (int b = 0; b < kLongBands; ++b) {
        const float x = std::min(w.psy[0].xminLong[b], w.psy[1].xminLong[b]);
        w.psy[0].xminLong[b] = w.psy[1].xminLong[b] = x;
    }
    for (int b = 0; b < kShortBands; ++b) {
        for (int win = 0; win < kWindows; ++win) {
            const float x = std::min(w.psy[0].xminShort[b][win], w.psy[1].xminShort[b][win]);
            w.psy[0].xminShort[b][win] = w.psy[1].xminShort[b][win] = x;
        }
    }
}

void Layer3Encoder::encodeFrame(std::vector<uint8_t>& out) {
    midSide_ = decideMidSide();
    if (intensity_) {
        for (int gr = 0; gr < granules_; ++gr) {
            for (int ch = 0; ch < channels_; ++ch) {
                std::copy_n(work_[gr].xr[ch], kGranuleLines, original_[gr][ch]);
                originalPsy_[gr][ch] = work_[gr].psy[ch];
            }
        }
    }
    if (midSide_) {
        for (int gr = 0; gr < granules_; ++gr) {
            applyMidSide(work_[gr]);
        }
    }
    frame_ = FrameCode{};
    frame_.granules = granules_;
    frame_.channels = bitstream_->channels();
    FrameSetup setup;
    intensityFrame_ = false;
    if (config_.vbr) {
        codeFrameVbr(setup);
    } else {
        setup = bitstream_->advance();
        intensityFrame_ = intensity_ && planIntensity(setup);
        codeFrameCbr(setup);
    }
    frame_.modeExtension = (midSide_ ? 2 : 0) | (intensityFrame_ ? 1 : 0);
    writeFrame(setup, out);
}

// Intensity coding where its error stays within the noise the frame would
// get anyway: a trial fit without it tells how far above the allowed noise
// the bitrate puts every band.
bool Layer3Encoder::planIntensity(const FrameSetup& setup) {
    setupGranules();
    const int offset = std::max(fitOffset(cbrTarget(setup)), 0);
    const float headroom = std::pow(10.0f, 0.15f * static_cast<float>(offset));
    bool any = false;
    StereoGranule in[kMaxGranules];
    for (int gr = 0; gr < granules_; ++gr) {
        in[gr] = {original_[gr][0], original_[gr][1], &originalPsy_[gr][0], &originalPsy_[gr][1],
                  work_[gr].blockType[0] == kBlockShort};
        plans_[gr] = intensity_->plan(in[gr], headroom);
        any = any || plans_[gr].active(in[gr].shortBlocks);
    }
    if (!any) {
        return false;
    }
    for (int gr = 0; gr < granules_; ++gr) {
        GranuleWork& w = work_[gr];
        intensity_->apply(plans_[gr], in[gr], w.xr[0], w.xr[1], w.psy[0]);
    }
    return true;
}

// How much of the pool a frame takes: its own space, plus or minus a share of
// the reservoir as its perceptual entropy asks.
int Layer3Encoder::frameTarget(const FrameSetup& setup, int pool, int minimum) const {
    bool anyShort = false;
    float pe = 0.0f;
    for (int gr = 0; gr < granules_; ++gr) {
        for (int ch = 0; ch < channels_; ++ch) {
            anyShort = anyShort || work_[gr].blockType[ch] == kBlockShort;
            pe += work_[gr].psy[ch].pe;
        }
    }
    pe /= static_cast<float>(granules_ * channels_);
    const ThresholdParams& t = anyShort ? psyParams_.shortBlock : psyParams_.longBlock;
    const float span = static_cast<float>(std::max(t.peMax - t.peMin, 1));
    const float demand = std::clamp((pe - static_cast<float>(t.peMin)) / span, 0.0f, 1.0f);
    const float spend = t.minBitSpend + demand * (t.maxBitSpend - t.minBitSpend);
    const int target =
        setup.mainDataBits + static_cast<int>(spend * static_cast<float>(setup.reservoirFill));
    return std::clamp(target, minimum, pool);
}

void Layer3Encoder::setupGranules() {
    for (int gr = 0; gr < granules_; ++gr) {
        GranuleWork& w = work_[gr];
        for (int ch = 0; ch < channels_; ++ch) {
            GranuleTask task;
            task.xr = w.xr[ch];
            task.psy = &w.psy[ch];
            task.blockType = w.blockType[ch];
            task.mixed = w.mixed[ch];
            task.noiseScale = noiseScale_;
            task.intensity = intensityFrame_ && ch == 1 ? &plans_[gr] : nullptr;
            quantizer_[gr][ch]->setup(task, loop_);
        }
    }
}

int Layer3Encoder::frameBits(int offset) {
    int total = 0;
    for (int gr = 0; gr < granules_; ++gr) {
        for (int ch = 0; ch < channels_; ++ch) {
            total += quantizer_[gr][ch]->bitsAt(offset);
        }
    }
    return total;
}

// The smallest gain offset, common to every granule and channel of the
// frame, whose bits fit the target: the noise then lies the same distance
// above (or below) the allowed noise everywhere.
int Layer3Encoder::fitOffset(int target) {
    int lo = -64, hi = 128;
    if (frameBits(lo) <= target) {
        return lo;
    }
    while (hi - lo > 1) {
        const int mid = (lo + hi) / 2;
        if (frameBits(mid) <= target) {
            hi = mid;
        } else {
            lo = mid;
        }
    }
    return hi;
}

// Codes every granule within the target: each gets what it needs at the
// common offset, and what is left over goes to the granules in turn.
void Layer3Encoder::codeGranules(int offset, int target) {
    int need[kMaxGranules][kMaxChannels] = {};
    int total = 0;
    for (int gr = 0; gr < granules_; ++gr) {
        for (int ch = 0; ch < channels_; ++ch) {
            need[gr][ch] = std::min(quantizer_[gr][ch]->bitsAt(offset), kMaxPart23Bits);
            total += need[gr][ch];
        }
    }
    int spare = std::max(target - total, 0);
    int left = target;
    for (int gr = 0; gr < granules_; ++gr) {
        for (int ch = 0; ch < channels_; ++ch) {
            const int budget = std::clamp(need[gr][ch] + spare, 0, std::min(left, kMaxPart23Bits));
            GranuleCode& code = frame_.granule[gr][ch];
            quantizer_[gr][ch]->code(budget, code);
            const int used = static_cast<int>(code.side.part23Length);
            left -= used;
            spare = std::max(spare - std::max(used - need[gr][ch], 0), 0);
        }
    }
}

int Layer3Encoder::cbrTarget(const FrameSetup& setup) const {
    const int pool = setup.mainDataBits + setup.reservoirFill;
    const int cap = bitstream_->frameBits().reservoirCap();
    return frameTarget(setup, pool, std::max(pool - cap, 0));
}

void Layer3Encoder::codeFrameCbr(const FrameSetup& setup) {
    const int target = cbrTarget(setup);
    setupGranules();
    codeGranules(fitOffset(target), target);
}

// Variable bitrate: every granule is coded to its allowed noise, then the
// smallest frame that holds it (with the reservoir) is taken.
void Layer3Encoder::codeFrameVbr(FrameSetup& setup) {
    const int type = bitstream_->type();
    const int fill = bitstream_->frameBits().reservoirFill();
    const auto mainBitsAt = [&](int index) {
        const int bytes =
            tableBitrate(type, index) * bitstream_->samplesPerFrame() / 8 / config_.sampleRate;
        return bytes * 8 - bitstream_->overheadBits();
    };
    const int top = type == kTypeMpeg25 ? 8 : 14;
    setupGranules();
    const int need = frameBits(0);
    int index = 1;
    while (index < top && mainBitsAt(index) + fill < need) {
        ++index;
    }
    const int pool = mainBitsAt(index) + fill;
    if (pool < need) {
        codeGranules(fitOffset(pool), pool);
    } else {
        codeGranules(0, need);
    }
    setup = bitstream_->advanceAt(index);
}

// MPEG-1: groups of long-block scale factors that the second granule repeats
// are sent once (scfsi).
void Layer3Encoder::shareScalefactors() {
    if (granules_ != 2) {
        return;
    }
    for (int ch = 0; ch < frame_.channels; ++ch) {
        GranuleCode& g0 = frame_.granule[0][ch];
        GranuleCode& g1 = frame_.granule[1][ch];
        if (g0.side.shortBlocks() || g1.side.shortBlocks()) {
            continue;
        }
        bool any = false;
        for (int group = 0; group < 4; ++group) {
            bool same = true;
            for (int b = kScfsiGroupStart[group]; b < kScfsiGroupStart[group + 1]; ++b) {
                same = same && g0.scalefacLong[b] == g1.scalefacLong[b];
            }
            frame_.scfsi[ch][group] = same;
            any = any || same;
        }
        if (!any) {
            continue;
        }
        const int part3 = static_cast<int>(g1.side.part23Length) - g1.part2Bits;
        const GranuleCode saved = g1;
        if (chooseScalefacCompress(g1, 0, frame_.scfsi[ch])) {
            g1.side.part23Length = static_cast<uint32_t>(part3 + g1.part2Bits);
        } else {
            g1 = saved;
            std::fill(frame_.scfsi[ch], frame_.scfsi[ch] + 4, false);
        }
    }
}

void Layer3Encoder::writeFrame(const FrameSetup& setup, std::vector<uint8_t>& out) {
    shareScalefactors();
    bitstream_->write(setup, frame_, out);
    frameSizes_.push_back(setup.frameBytes);
    ++framesWritten_;
}

}  // namespace mp3::enc
