#include "mp3/enc/BitstreamEncoder.h"

#include <algorithm>

#include "mp3/L3Bands.h"
#include "mp3/enc/HuffmanCoding.h"
#include "mp3/enc/ScalefactorCoding.h"

namespace mp3::enc {

namespace {
constexpr const char* kModule = "bit_enc";
}

EncErrorPtr BitstreamEncoder::create(OptionConfig& options, const BitstreamParams& params,
                                     std::unique_ptr<BitstreamEncoder>& result) {
    std::unique_ptr<BitstreamEncoder> enc(new BitstreamEncoder);
    const int type = bitstreamTypeOf(params.sampleRate);
    if (type < 0) {
        return MP3ENC_ERROR(kModule, "invalid samplerate");
    }
    enc->params_ = params;
    enc->type_ = type;
    enc->samplingIndex_ = samplingIndexOf(params.sampleRate);
    enc->channels_ = params.stereoMode == StereoMode::Single ? 1 : 2;
    enc->granules_ = type == kTypeMpeg1 ? 2 : 1;
    enc->crcBits_ = params.flags.crc ? 16 : 0;
    if (type == kTypeMpeg1) {
        enc->sideBits_ = enc->channels_ == 2 ? 256 : 136;
    } else {
        enc->sideBits_ = enc->channels_ == 2 ? 136 : 72;
    }
    enc->bands_ =
        &l3BandTable(static_cast<uint32_t>(type), static_cast<uint32_t>(enc->samplingIndex_));
    if (auto e = enc->frameBits_.init(options, params.bitrate, params.sampleRate, type,
                                      params.bitstreamMode, enc->overheadBits())) {
        return e;
    }
    result = std::move(enc);
    return nullptr;
}

uint32_t BitstreamEncoder::headerWord(const FrameSetup& setup, int modeExtension) const {
    uint32_t w = type_ == kTypeMpeg25 ? 0xFFEu : 0xFFFu;
    w = w << 1 | (type_ == kTypeMpeg1 ? 1u : 0u);
    w = w << 2 | 1u;  // layer III
    w = w << 1 | (params_.flags.crc ? 0u : 1u);
    w = w << 4 | static_cast<uint32_t>(setup.bitrateIndex);
    w = w << 2 | static_cast<uint32_t>(samplingIndex_);
    w = w << 1 | static_cast<uint32_t>(setup.padding);
    w = w << 1 | (params_.flags.privateBit ? 1u : 0u);
    w = w << 2 | static_cast<uint32_t>(params_.stereoMode);
    w = w << 2 |
        (params_.stereoMode == StereoMode::Joint ? static_cast<uint32_t>(modeExtension) : 0u);
    w = w << 1 | (params_.flags.copyright ? 1u : 0u);
    w = w << 1 | (params_.flags.original ? 1u : 0u);
    w = w << 2 | static_cast<uint32_t>(params_.emphasis);
    return w;
}

void BitstreamEncoder::writeGranuleSide(BitWriter& out, const L3GranuleSide& g) const {
    const bool lsf = type_ != kTypeMpeg1;
    out.put(g.part23Length, 12);
    out.put(g.bigValues, 9);
    out.put(g.globalGain, 8);
    out.put(g.scalefacCompress, lsf ? 9 : 4);
    out.put(g.windowSwitching, 1);
    if (g.windowSwitching) {
        out.put(g.blockType, 2);
        out.put(g.mixedBlock, 1);
        out.put(g.tableSelect[0], 5);
        out.put(g.tableSelect[1], 5);
        for (const uint32_t gain : g.subblockGain) {
            out.put(gain, 3);
        }
    } else {
        for (const uint32_t table : g.tableSelect) {
            out.put(table, 5);
        }
        out.put(g.region0Count, 4);
        out.put(g.region1Count, 3);
    }
    if (!lsf) {
        out.put(g.preflag, 1);
    }
    out.put(g.scalefacScale, 1);
    out.put(g.count1TableB, 1);
}

void BitstreamEncoder::writeSideInfo(BitWriter& out, const FrameCode& frame,
                                     int mainDataBegin) const {
    const bool lsf = type_ != kTypeMpeg1;
    out.put(static_cast<uint32_t>(mainDataBegin), lsf ? 8 : 9);
    out.put(0, lsf ? (channels_ == 1 ? 1 : 2) : (channels_ == 1 ? 5 : 3));
    if (!lsf) {
        for (int ch = 0; ch < channels_; ++ch) {
            for (const bool reuse : frame.scfsi[ch]) {
                out.put(reuse, 1);
            }
        }
    }
    for (int gr = 0; gr < granules_; ++gr) {
        for (int ch = 0; ch < channels_; ++ch) {
            writeGranuleSide(out, frame.granule[gr][ch].side);
        }
    }
}

void BitstreamEncoder::writeMainData(const FrameCode& frame, int stuffingBits) {
    for (int gr = 0; gr < granules_; ++gr) {
        for (int ch = 0; ch < channels_; ++ch) {
            const GranuleCode& g = frame.granule[gr][ch];
            const size_t start = mainData_.bitsWritten();
            const bool* reused = gr == 1 && type_ == kTypeMpeg1 ? frame.scfsi[ch] : nullptr;
            writeScalefactors(mainData_, g, type_, reused);
            HuffmanChoice c;
            c.bigValues = static_cast<int>(g.side.bigValues);
            c.count1End = g.count1End;
            c.table[0] = static_cast<int>(g.side.tableSelect[0]);
            c.table[1] = static_cast<int>(g.side.tableSelect[1]);
            c.table[2] = static_cast<int>(g.side.tableSelect[2]);
            c.region0Count = static_cast<int>(g.side.region0Count);
            c.region1Count = static_cast<int>(g.side.region1Count);
            c.count1TableB = g.side.count1TableB;
            c.singleTable = g.side.windowSwitching;
            writeHuffman(mainData_, g.ix.data(), c, bands_->longBounds);
            MP3ENC_CHECK(mainData_.bitsWritten() - start == g.side.part23Length);
        }
    }
    mainData_.putZeros(stuffingBits);
    MP3ENC_CHECK(mainData_.aligned());
}

void BitstreamEncoder::write(const FrameSetup& setup, const FrameCode& frame,
                             std::vector<uint8_t>& out) {
    int used = 0;
    for (int gr = 0; gr < granules_; ++gr) {
        for (int ch = 0; ch < channels_; ++ch) {
            used += static_cast<int>(frame.granule[gr][ch].side.part23Length);
        }
    }
    const int stuffing = frameBits_.commit(used);
    // Header, check word and side information, then the CRC over them.
    BitWriter hs(64);
    hs.put(headerWord(setup, frame.modeExtension), 32);
    if (params_.flags.crc) {
        hs.put(0, 16);
    }
    writeSideInfo(hs, frame, setup.reservoirFill / 8);
    if (params_.flags.crc) {
        Crc16 crc;
        crc.bytes(hs.front() + 2, 2);
        crc.bytes(hs.front() + 6, static_cast<size_t>(sideBits_ / 8));
        *hs.byteAt(4) = static_cast<uint8_t>(crc.value() >> 8);
        *hs.byteAt(5) = static_cast<uint8_t>(crc.value());
    }
    for (size_t i = 0; i < hs.available(); ++i) {
        headerSide_.put(hs.front()[i], 8);
    }
    writeMainData(frame, stuffing);
    MP3ENC_CHECK(queueCount_ < kQueueSlots);
    queue_[static_cast<size_t>((queueHead_ + queueCount_) % kQueueSlots)] = {overheadBits(),
                                                                             setup.mainDataBits};
    ++queueCount_;
    emit(out, false);
}

void BitstreamEncoder::emit(std::vector<uint8_t>& out, bool final) {
    while (queueCount_ > 0) {
        QueueSlot& slot = queue_[static_cast<size_t>(queueHead_)];
        const size_t hsBytes =
            std::min(static_cast<size_t>(slot.headerSideBits / 8), headerSide_.available());
        out.insert(out.end(), headerSide_.front(), headerSide_.front() + hsBytes);
        headerSide_.consume(hsBytes);
        slot.headerSideBits -= static_cast<int>(hsBytes * 8);
        const size_t mdBytes =
            std::min(static_cast<size_t>(slot.mainDataBits / 8), mainData_.available());
        if (slot.headerSideBits == 0) {
            out.insert(out.end(), mainData_.front(), mainData_.front() + mdBytes);
            mainData_.consume(mdBytes);
            slot.mainDataBits -= static_cast<int>(mdBytes * 8);
            if (final) {
                out.insert(out.end(), static_cast<size_t>(slot.mainDataBits / 8), uint8_t{0});
                slot.mainDataBits = 0;
            }
        }
        if (slot.headerSideBits != 0 || slot.mainDataBits != 0) {
            return;
        }
        queueHead_ = (queueHead_ + 1) % kQueueSlots;
        --queueCount_;
    }
}

void BitstreamEncoder::flush(std::vector<uint8_t>& out) {
    emit(out, true);
}

}  // namespace mp3::enc
