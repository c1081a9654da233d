#include "mp3/Mp3DecoderCore.h"

#include <algorithm>
#include <cstring>

#include "mp3/L3Bands.h"
#include "mp3/L3Stages.h"
#include "mp3/Mp3InputBuffer.h"

namespace mp3 {

namespace {
constexpr int kHeaderBytes = 4;
constexpr int kCrcBytes = 2;
}  // namespace

Mp3DecoderCore::Mp3DecoderCore(const Mp3DecoderOptions& options) : options_(options) {
    options_.resolution = std::clamp(options_.resolution, 0, 2);
    reset();
}

void Mp3DecoderCore::reset() {
    std::memset(static_cast<void*>(&state_), 0, sizeof state_);  // trivially copyable
    for (L3SynthesisState& s : state_.synthesis) {
        l3ResetSynthesis(s);
    }
}

int Mp3DecoderCore::outputChannels(const Mp3FrameHeader& header) const {
    return options_.downmix ? 1 : static_cast<int>(header.channels);
}

size_t Mp3DecoderCore::appendMainData(const uint8_t* data, size_t bytes) {
    // Older bytes than the farthest main_data_begin can reach are never used.
    size_t& held = state_.reservoirHeld;
    if (held > kMaxMainDataBegin) {
        std::memmove(state_.reservoir, state_.reservoir + held - kMaxMainDataBegin,
                     kMaxMainDataBegin);
        held = kMaxMainDataBegin;
    }
    const size_t before = held;
    bytes = std::min(bytes, kReservoirBytes - held);
    std::memcpy(state_.reservoir + held, data, bytes);
    held += bytes;
    return before;
}

Mp3Ssc Mp3DecoderCore::decodeFrame(const Mp3InputBuffer& input) {
    Mp3CoreState& s = state_;
    s.header = input.header();
    const Mp3FrameHeader& h = s.header;
    if (h.layer != 3) {
        return ssc::kWrongLayer;
    }
    const int length = std::min<int>(static_cast<int>(h.frameBytes()), kMaxFrameBytes);
    input.copy(0, s.frame, static_cast<size_t>(length));
    const int sideStart = kHeaderBytes + (h.crcPresent ? kCrcBytes : 0);
    const int sideBytes = l3SideInfoBytes(h);
    const int mainStart = sideStart + sideBytes;
    s.pcmSamples = (h.lowSamplingFrequency() ? 1 : 2) * kGranuleLines >> options_.resolution;
    if (mainStart > length) {
        conceal();
        return ssc::kMissingMainData;
    }
    L3BitReader sideReader(s.frame + sideStart, static_cast<size_t>(sideBytes));
    l3ReadSideInfo(sideReader, h, s.side);
    const bool crcFailed =
        h.crcPresent && l3ProtectedCrc(s.frame, sideBytes) != (s.frame[4] << 8 | s.frame[5]);
    const size_t before =
        appendMainData(s.frame + mainStart, static_cast<size_t>(length - mainStart));
    Mp3Ssc result = ssc::kOk;
    if (s.side.mainDataBegin > before || !decodeGranules(before - s.side.mainDataBegin)) {
        conceal();
        result = ssc::kMissingMainData;
    }
    if (crcFailed) {
        s.reservoirHeld = 0;
        result = result == ssc::kOk ? ssc::kCrcError : result;
    }
    return result;
}

bool Mp3DecoderCore::decodeGranules(size_t startByte) {
    Mp3CoreState& s = state_;
    const int granules = s.header.lowSamplingFrequency() ? 1 : 2;
    const int channels = static_cast<int>(s.header.channels);
    size_t totalBits = 0;
    for (int gr = 0; gr < granules; ++gr) {
        for (int ch = 0; ch < channels; ++ch) {
            totalBits += s.side.granule[gr][ch].part23Length;
        }
    }
    if (startByte * 8 + totalBits > s.reservoirHeld * 8) {
        return false;  // the granules claim more bits than the frame brought
    }
    L3BitReader reader(s.reservoir, s.reservoirHeld);
    reader.seek(startByte * 8);
    for (int gr = 0; gr < granules; ++gr) {
        for (int ch = 0; ch < channels; ++ch) {
            if (!decodeChannel(reader, gr, ch)) {
                return false;
            }
        }
        finishGranule(gr);
    }
    return true;
}

bool Mp3DecoderCore::decodeChannel(L3BitReader& reader, int gr, int ch) {
    Mp3CoreState& s = state_;
    const Mp3FrameHeader& h = s.header;
    L3GranuleSide& g = s.side.granule[gr][ch];
    const size_t end = reader.position() + g.part23Length;
    if (h.lowSamplingFrequency()) {
        const bool intensityRight = ch == 1 && h.mode == 1 && (h.modeExtension & 1) != 0;
        l3ReadScalefactorsLsf(reader, g, intensityRight, s.factors[ch]);
    } else {
        l3ReadScalefactors(reader, g, s.side.scfsi[ch], gr, s.factors[ch]);
    }
    if (reader.position() > end) {
        return false;
    }
    const L3BandTable& bands = l3BandTable(h.version, h.samplingIndex);
    L3BandRuns runs;
    l3BuildBandRuns(g, s.factors[ch], bands, h.version, runs);
    s.bounds[ch] = l3DecodeSpectrum(reader, end, g, bands, h.version, runs, s.xr[ch]);
    reader.seek(end);
    return s.bounds[ch] >= 0;
}

void Mp3DecoderCore::finishGranule(int gr) {
    Mp3CoreState& s = state_;
    const Mp3FrameHeader& h = s.header;
    const L3GranuleSide* granules = s.side.granule[gr];
    if (h.channels == 2) {
        const bool sameBlocks = granules[0].blockType == granules[1].blockType &&
                                granules[0].mixedBlock == granules[1].mixedBlock;
        if (options_.downmix && !sameBlocks) {
            foldDifferentBlocks(gr);
            return;
        }
        const L3StereoInput in{&h, &granules[1], &s.factors[1],
                               &l3BandTable(h.version, h.samplingIndex), options_.downmix};
        l3ProcessStereo(in, s.xr[0], s.xr[1], s.bounds);
    }
    for (int ch = 0; ch < outputChannels(h); ++ch) {
        synthesizeChannel(gr, ch, granules[ch], false);
    }
}

// Downmix of channels with different block shapes: both run through their own
// filterbank, halved, into the one output channel. Overlap-add is linear, so
// one overlap buffer holding the mean stays exact.
void Mp3DecoderCore::foldDifferentBlocks(int gr) {
    Mp3CoreState& s = state_;
    const Mp3FrameHeader& h = s.header;
    const L3StereoInput in{&h, &s.side.granule[gr][1], &s.factors[1],
                           &l3BandTable(h.version, h.samplingIndex), false};
    l3ProcessStereo(in, s.xr[0], s.xr[1], s.bounds);
    for (int ch = 0; ch < 2; ++ch) {
        for (int i = 0; i < s.bounds[ch]; ++i) {
            s.xr[ch][i] *= 0.5f;
        }
    }
    synthesizeChannel(gr, 1, s.side.granule[gr][1], true);
}

void Mp3DecoderCore::synthesizeChannel(int gr, int ch, const L3GranuleSide& granule, bool fold) {
    Mp3CoreState& s = state_;
    const L3BandTable& bands = l3BandTable(s.header.version, s.header.samplingIndex);
    const int subbands = kSubbands >> options_.resolution;
    float* out = s.subbandSamples;
    const int first = fold ? 0 : ch;
    for (int c = first; c <= ch; ++c) {
        const L3GranuleSide& g = fold ? s.side.granule[gr][c] : granule;
        s.bounds[c] = l3ReorderShort(s.xr[c], g, bands, s.bounds[c]);
        s.bounds[c] = l3Antialias(s.xr[c], g, s.bounds[c], subbands);
        l3Hybrid(s.xr[c], g, s.bounds[c], subbands, s.overlap[fold ? 0 : c], out, c > first);
    }
    l3FrequencyInversion(out, subbands);
    const int outCh = fold ? 0 : ch;
    float* pcm = s.pcm[outCh] + gr * kSlots * subbands;
    l3Synthesize(s.synthesis[outCh], out, options_.resolution, pcm);
}

void Mp3DecoderCore::conceal() {
    Mp3CoreState& s = state_;
    const int granules = s.header.lowSamplingFrequency() ? 1 : 2;
    const L3GranuleSide silent{};
    for (int gr = 0; gr < granules; ++gr) {
        for (int ch = 0; ch < outputChannels(s.header); ++ch) {
            s.bounds[ch] = 0;
            synthesizeChannel(gr, ch, silent, false);
        }
    }
}

}  // namespace mp3
