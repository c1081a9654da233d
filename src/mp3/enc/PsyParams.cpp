#include "mp3/enc/PsyParams.h"

#include <algorithm>
#include <cfloat>
#include <string>

namespace mp3::enc {

namespace {
ThresholdParams thresholdDefaults(bool isShort, int sampleRate, int channels) {
    ThresholdParams t;
    if (isShort) {
        t.nmt = 6.0f;
        t.tmn = 18.0f;
        t.maskLow = 30.0f;
        t.maskHigh = 20.0f;
        t.chaosMethod = 1;
        t.cbMode = 12;
        t.rpmin = 0.05f;
        t.rpre = 10.0f;
        t.toneLimitFreq = 8000.0f;
    }
    // Lower rates carry fewer, wider bands; a single channel needs no
    // allowance for stereo unmasking.
    if (sampleRate < 32000) {
        t.tmn -= 2.0f;
    }
    if (channels == 1) {
        t.tmn -= 1.0f;
    }
    t.toneLimitFreq = std::min(t.toneLimitFreq, sampleRate / 2.0f);
    return t;
}

void applyCoding(const CodingParams& c, ThresholdParams& t) {
    t.peMin = c.peMin;
    t.peMax = c.peMax;
    t.minBitSpend = c.minBitSpend;
    t.maxBitSpend = c.maxBitSpend;
    std::copy_n(c.factors, 6, t.factors);
}

struct BlockNames {
    const char* nmt;
    const char* tmn;
    const char* maskLow;
    const char* maskHigh;
    const char* noHole;
    const char* toneLimit;
    const char* cbMode;
    const char* chaos;
    const char* comb;
    const char* rpmin;
    const char* rpre;
    const char* peMin;
    const char* peMax;
    const char* minBitSp;
    const char* maxBitSp;
};

constexpr BlockNames kLongNames = {"NMT",      "TMN",          "masklow",
                                   "maskhigh", "maskNoHole",   "TONE_LIMIT_FREQ",
                                   "CB_MODE",  "CHAOS_METHOD", "TONE_COMB_LIMIT_FREQ",
                                   "rpmin",    "rpre",         "peMin",
                                   "peMax",    "minBitSp",     "maxBitSp"};
constexpr BlockNames kShortNames = {"NMT_S",      "TMN_S",          "masklow_S",
                                    "maskhigh_S", "maskNoHole_S",   "TONE_LIMIT_FREQ_S",
                                    "CB_MODE_S",  "CHAOS_METHOD_S", "TONE_COMB_LIMIT_FREQ_S",
                                    "rpmin_s",    "rpre_s",         "peMin_s",
                                    "peMax_s",    "minBitSp_s",     "maxBitSp_s"};

constexpr const char* kCbHelp =
    "Normally, the mean threshold of all cb's, fitting into one sfb is used in the "
    "adapt-process. Under certain circumstances it makes sense to use the minimum instead in "
    "the low frequency region. This parameter controls the number of sfb's which do so.";

EncErrorPtr readBlock(OptionConfig& o, bool isShort, ThresholdParams& t) {
    const BlockNames& n = isShort ? kShortNames : kLongNames;
    const char* kind = isShort ? "short" : "long";
    const std::string chaosHelp =
        std::string(kind) +
        " block chaos method 0: euclidic dist., 1: fast euclidic dist., 2: peak filter, 3: fast "
        "peak filter, 4: combination of 0 and 2";
    const std::string combDescription =
        std::string(
            "Frequency limit for which peak filter chaos method is calculated (only "
            "relevant for -") +
        n.chaos + " 4)";
    const std::string peMinText = std::string("bitres tuning: pe Min ") + kind + " block ";
    const std::string peMaxText = std::string("bitres tuning: pe Max ") + kind + " block ";
    const float kMax = FLT_MAX;
    const int cbLimit = isShort ? 12 : 21;
    int peMin = t.peMin, peMax = t.peMax;
    EncErrorPtr e;
    (e = o.readFloat(
         n.nmt, 0, kMax,
         isShort ? "Noise masking tone for short blocks" : "Noise masking tone for long blocks", "",
         t.nmt)) ||
        (e = o.readFloat(
             n.tmn, 0, kMax,
             isShort ? "Tone masking noise for short blocks" : "Tone masking noise for long blocks",
             "", t.tmn)) ||
        (e = o.readFloat(n.maskLow, 0, kMax, "slope of spreading function for low frequencies", "",
                         t.maskLow)) ||
        (e = o.readFloat(n.maskHigh, 0, kMax, "slope of spreading function for high frequencies",
                         "", t.maskHigh)) ||
        (e = o.readSwitch(n.noHole,
                          isShort ? "no hole in spreading function for short blocks"
                                  : "no hole in spreading function for long blocks",
                          "disable the suspension hole in the spreading function", t.maskNoHole)) ||
        (e = o.readFloat(n.toneLimit, 0, kMax, "Frequency limit for which tonality is computed", "",
                         t.toneLimitFreq)) ||
        (e = o.readInt(n.cbMode, 0, cbLimit,
                       isShort ? "Number of sfb's where min. threshold is used in adapt (short)"
                               : "Number of sfb's where min. threshold is used in adapt (long)",
                       kCbHelp, t.cbMode)) ||
        (e = o.readInt(n.chaos, 0, 4,
                       isShort ? "chaos method for short blocks" : "chaos method for long blocks",
                       chaosHelp.c_str(), t.chaosMethod)) ||
        (e = o.readFloat(n.comb, 0, kMax, combDescription.c_str(), "", t.toneCombLimitFreq)) ||
        (e = o.readFloat(n.rpmin, 0, 1,
                         isShort ? "maximum preecho control impact (short blocks)"
                                 : "maximum preecho control impact (long blocks)",
                         "", t.rpmin)) ||
        (e = o.readFloat(n.rpre, 1, kMax,
                         isShort ? "Preecho control ratio (short blocks)"
                                 : "Preecho control ratio (long blocks)",
                         "", t.rpre)) ||
        (e = o.readInt(n.peMin, 0, 10000, peMinText.c_str(), "", peMin)) ||
        (e = o.readInt(n.peMax, 0, 10000, peMaxText.c_str(), "", peMax)) ||
        (e = o.readFloat(n.minBitSp, 0, 10000,
                         isShort ? "bitres tuning: minBitSpend  short block"
                                 : "bitres tuning: minBitSpend long block",
                         "", t.minBitSpend)) ||
        (e = o.readFloat(n.maxBitSp, 0, 10000,
                         isShort ? "bitres tuning: maxBitSpend short block"
                                 : "bitres tuning: maxBitSpend  long block",
                         "", t.maxBitSpend));
    t.peMin = peMin;
    t.peMax = peMax;
    return e;
}

EncErrorPtr readModuleSwitches(OptionConfig& o, PsyParams& p) {
    EncErrorPtr e;
    (e = o.readFloat("bw", 0, 48000, "Encoder bandwidth", "", p.bandwidth)) ||
        (e = o.readSwitch("noCmdct", "do not use complex mdct", "", p.noCmdct)) ||
        (e = o.readSwitch("nobmax", "disable bmax",
                          "the bmax values for short and long are set to 0", p.noBmax)) ||
        (e = o.readSwitch("lp-adjust", "enable adjustment of lowpass frequency",
                          "the lowpass frequencies for short and long are adjustedto the nearest "
                          "sfb-border",
                          p.lpAdjust)) ||
        (e = o.readSwitch("cst", "check short thresholds with low spectral resolution",
                          "the short thresholds (ratios) of cbs with low spectral resolution are "
                          "compared to the long cb ratios and the minimum of both is used",
                          p.checkShort)) ||
        (e = o.readSwitch("preNoTone", "preecho threshold calc. based only on NMT",
                          "to fill the preecho fifos a separate threshold calculation using no "
                          "tonalityis used",
                          p.preNoTone)) ||
        (e = o.readSwitch("starving", "perform starving", "", p.starving)) ||
        (e = o.readInt("blm", 0, 2, "block switch mode", "0:automatic, 1: only long, 2: only short",
                       p.blockSwitchMode)) ||
        (e = o.readSwitch("mixed", "Use mixed blocks", "", p.mixedBlocks)) ||
        (e = o.readInt("amp", 0, 3, "amplify mode",
                       "0 = ALL DISTORTED 1=WORST DISTORTED 2=MEAN IF ALL DISTORTED 3=MEAN IF 90% "
                       "DISTORTED",
                       p.ampMode)) ||
        (e = o.readSwitch("hfs", "huffman full search",
                          "after last loop run, perform a full huffman search", p.fullHuffman)) ||
        (e = o.readInt("mol", 1, 1000, "max outer loops",
                       "The maximum number of outer loops that will be executed",
                       p.maxOuterLoops)) ||
        (e = o.readInt("itm", 0, 4, "iteration mode", "", p.iterationMode));
    return e;
}
}  // namespace

EncErrorPtr buildPsyParams(OptionConfig& options, int bitrate, int sampleRate, int channels,
                           PsyParams& out) {
    CodingParams longCoding, shortCoding;
    if (auto e = lookupCodingParams(bitrate, sampleRate, channels, 0, longCoding)) {
        return e;
    }
    if (auto e = lookupCodingParams(bitrate, sampleRate, channels, 2, shortCoding)) {
        return e;
    }
    out.longBlock = thresholdDefaults(false, sampleRate, channels);
    out.shortBlock = thresholdDefaults(true, sampleRate, channels);
    applyCoding(longCoding, out.longBlock);
    applyCoding(shortCoding, out.shortBlock);
    out.bandwidth = longCoding.bandwidth;
    if (auto e = readBlock(options, false, out.longBlock)) {
        return e;
    }
    if (auto e = readBlock(options, true, out.shortBlock)) {
        return e;
    }
    if (auto e = readModuleSwitches(options, out)) {
        return e;
    }
    out.bandwidth = std::min(out.bandwidth, sampleRate / 2.0f);
    return nullptr;
}

std::string psyOptionsHelp() {
    OptionConfig help;
    help.setHelpMode(true);
    PsyParams unused;
    readBlock(help, false, unused.longBlock);
    readBlock(help, true, unused.shortBlock);
    readModuleSwitches(help, unused);
    int padding = 0;
    help.readInt("padding", 0, 2, "set the padding mode", "0 = iso, 1 = never, 2 = always",
                 padding);
    return help.helpText();
}

}  // namespace mp3::enc
