#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "stream/CNxSSInfo.h"
#include "tags/ExtendedTags.h"

class CNxSSMediaReader;

// What a file of the media module's formats tells: its tags as TagLib reads
// them (whole, no field limits) and the facts of its audio stream. A file
// TagLib does not know shows empty fields and refuses to be written.
class CNxSSMediaInfo : public CNxSSInfo {
  public:
    explicit CNxSSMediaInfo(CNxSSMediaReader* owner);

    Kind GetKind() const override { return kMedia; }

    void SetTitle(std::string_view text) override { fields_.title = text; }
    void SetArtist(std::string_view text) override { fields_.artist = text; }
    void SetAlbum(std::string_view text) override { fields_.album = text; }
    void SetYear(int32_t year) override { fields_.year = year; }
    void SetComment(std::string_view text, int32_t track) override;
    void SetGenre(int32_t genre) override { fields_.genre = genre; }

    std::string GetTitle() const override { return fields_.title; }
    std::string GetArtist() const override { return fields_.artist; }
    std::string GetAlbum() const override { return fields_.album; }
    int32_t GetYear() const override { return fields_.year; }
    std::string GetComment() const override { return fields_.comment; }
    int32_t GetTrack() const override { return fields_.track; }
    int32_t GetGenre() const override { return fields_.genre; }

    int32_t GetBitrate() const override;
    int32_t GetSampleRate() const override;
    int32_t GetChannels() const override;
    uint64_t GetFileSize() const override;
    // The codec's name as the media libraries give it.
    std::string GetFormatName() const override;

    // Writes the changed fields into the file's tag on a copy that replaces
    // the file. 0 or a result code.
    uint32_t WriteTag() override;

  private:
    tags::TagEdit Edited() const;

    CNxSSMediaReader* const reader_;
    bool tagged_ = false;     // TagLib reads the file
    tags::TagFields stored_;  // as the file holds them
    tags::TagFields fields_;  // as edited
};
