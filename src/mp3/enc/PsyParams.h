#pragma once

#include <string>

#include "mp3/enc/CodingParams.h"
#include "mp3/enc/EncError.h"
#include "mp3/enc/OptionConfig.h"

namespace mp3::enc {

// Threshold parameters of one block kind (long or short).
struct ThresholdParams {
    float nmt = 6.0f;        // dB a noise masker masks below its level
    float tmn = 30.0f;       // dB a tone masks below its level
    float maskLow = 27.0f;   // dB per Bark toward lower frequencies
    float maskHigh = 15.0f;  // dB per Bark toward higher frequencies
    bool maskNoHole = false;
    float toneLimitFreq = 16000.0f;
    int cbMode = 21;  // every band: the partitions' least threshold density
    int chaosMethod = 4;
    float toneCombLimitFreq = 6000.0f;
    float rpmin = 0.01f;
    float rpre = 2.0f;
    int peMin = 0;
    int peMax = 0;
    float minBitSpend = 0.0f;
    float maxBitSpend = 0.0f;
    float factors[6] = {};
};

// Everything the model and the loop are built with, from the parameter sets
// and the options.
struct PsyParams {
    ThresholdParams longBlock;
    ThresholdParams shortBlock;
    float bandwidth = 0.0f;
    bool noCmdct = false;
    bool noBmax = false;
    bool lpAdjust = false;
    bool checkShort = false;  // "cst"
    bool preNoTone = false;
    bool starving = false;
    int blockSwitchMode = 0;  // 0 automatic, 1 only long, 2 only short
    bool mixedBlocks = false;
    int iterationMode = 0;
    int maxOuterLoops = 14;
    bool fullHuffman = false;
    int ampMode = 2;
};

// Builds the parameters for a stream from the parameter sets (threshold
// defaults by sample rate and channels, coding rows by bitrate) and then
// reads the options over them, in the order the modules read them.
EncErrorPtr buildPsyParams(OptionConfig& options, int bitrate, int sampleRate, int channels,
                           PsyParams& out);

// Text of every option's usage line, description and help.
std::string psyOptionsHelp();

}  // namespace mp3::enc
