#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "mp3/reader/Mp3InfoRecord.h"
#include "stream/CNxSSBlockInfo.h"
#include "tags/ExtendedTags.h"

class CNxSSMp3Reader;

// An MP3 file's tags and the facts of its stream. The editable fields are
// the ID3v1 block; where the file also has an ID3v2 or APE tag, its values
// are shown (they are not cut at 30 bytes as ID3v1 fields are, and are what
// other players show) and edits go into it too. Edits stay in the object
// until WriteTag puts them into the file.
class CNxSSId3Info : public CNxSSBlockInfo {
  public:
    explicit CNxSSId3Info(CNxSSMp3Reader* owner);

    Kind GetKind() const override { return kId3v1; }

    // A title set here replaces the file name shown for an untagged file.
    void SetTitle(std::string_view text) override;
    void SetArtist(std::string_view text) override;
    void SetAlbum(std::string_view text) override;
    void SetYear(int32_t year) override;
    void SetComment(std::string_view text, int32_t track) override;
    void SetGenre(int32_t genre) override;

    std::string GetTitle() const override;
    std::string GetArtist() const override;
    std::string GetAlbum() const override;
    int32_t GetYear() const override;
    std::string GetComment() const override;
    int32_t GetTrack() const override;
    int32_t GetGenre() const override;

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
    // The ID3v2 version (0 without) and whether an APE tag was found.
    int32_t GetId3v2Version() const { return extended_.id3v2Version; }
    bool HasApeTag() const { return extended_.ape; }

  private:
    CNxSSMp3Reader* Reader() const;
    const tags::TagFields& Extended() const { return extended_.fields; }

    tags::ExtendedTags extended_;
    tags::TagEdit edit_;
};
