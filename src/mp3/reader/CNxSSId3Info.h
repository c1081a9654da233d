#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "mp3/reader/Mp3InfoRecord.h"
#include "stream/CNxSSBlockInfo.h"

class CNxSSMp3Reader;

// An MP3 file's ID3v1 tag and the facts of its stream. Edits stay in the
// object until WriteTag puts the block into the file.
class CNxSSId3Info : public CNxSSBlockInfo {
  public:
    explicit CNxSSId3Info(CNxSSMp3Reader* owner);

    Kind GetKind() const override { return kId3v1; }

    // A title set here replaces the file name shown for an untagged file.
    void SetTitle(std::string_view text) override;

    int32_t GetVersion() const override { return static_cast<int32_t>(InfoRecord().version); }
    int32_t GetLayer() const override { return static_cast<int32_t>(InfoRecord().layer); }
    // The running mean for a VBR stream, else the analysed bitrate.
    int32_t GetBitrate() const override;
    int32_t GetSampleRate() const override { return static_cast<int32_t>(InfoRecord().sampleRate); }
    int32_t GetChannels() const override { return static_cast<int32_t>(InfoRecord().channels); }
    int32_t GetMode() const override { return static_cast<int32_t>(InfoRecord().mode); }
    int32_t GetCrc() const override { return static_cast<int32_t>(InfoRecord().crcPresent); }
    int32_t GetPrivate() const override { return static_cast<int32_t>(InfoRecord().privateBit); }
    int32_t GetCopyright() const override { return static_cast<int32_t>(InfoRecord().copyright); }
    int32_t GetOriginal() const override { return static_cast<int32_t>(InfoRecord().original); }
    int32_t GetVbr() const override { return static_cast<int32_t>(InfoRecord().variableBitrate); }
    uint64_t GetFileSize() const override;

    uint32_t WriteTag() override;

    // The reader's record as it stands; all zero once the reader is gone.
    Mp3InfoRecord InfoRecord() const;

  private:
    CNxSSMp3Reader* Reader() const;
};
