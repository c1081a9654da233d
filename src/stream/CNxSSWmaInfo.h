#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/wma/Attributes.h"
#include "stream/CNxSSInfo.h"
#include "stream/Id3v1Block.h"

class CNxSSWmaReader;

// What a WMA file tells: its attributes in the ID3v1 block's fields (the
// full title kept as the long title) and the facts of its audio stream.
class CNxSSWmaInfo : public CNxSSInfo {
  public:
    explicit CNxSSWmaInfo(CNxSSWmaReader* owner);

    Kind GetKind() const override { return kWma; }

    void SetTitle(std::string_view text) override;
    void SetArtist(std::string_view text) override { block_.SetArtist(text); }
    void SetAlbum(std::string_view text) override { block_.SetAlbum(text); }
    void SetYear(int32_t year) override { block_.SetYear(year); }
    void SetComment(std::string_view text, int32_t track) override;
    void SetGenre(int32_t genre) override { block_.SetGenre(genre); }

    std::string GetTitle() const override;
    std::string GetArtist() const override { return block_.Artist(); }
    std::string GetAlbum() const override { return block_.Album(); }
    int32_t GetYear() const override { return block_.Year(); }
    std::string GetComment() const override { return block_.Comment(); }
    int32_t GetTrack() const override { return block_.Track(); }
    int32_t GetGenre() const override { return block_.Genre(); }

    int32_t GetTitleLimit() const override { return Id3v1Block::kFieldLength; }
    int32_t GetArtistLimit() const override { return Id3v1Block::kFieldLength; }
    int32_t GetAlbumLimit() const override { return Id3v1Block::kFieldLength; }
    int32_t GetCommentLimit() const override { return static_cast<int32_t>(block_.CommentLimit()); }

    int32_t GetBitrate() const override;
    int32_t GetSampleRate() const override;
    int32_t GetChannels() const override;
    uint64_t GetFileSize() const override;

    // Writes the edited fields into the file's attributes; the file is
    // rewritten through a temporary file with its audio as it is. A field
    // that was not edited keeps its attribute whole, even where the block
    // had to cut it. 0 or a result code.
    uint32_t WriteTag() override;

    const Id3v1Block& Block() const { return block_; }

  private:
    platform::wma::Attributes Edited() const;

    CNxSSWmaReader* const reader_;
    platform::wma::Attributes stored_;  // as the file holds them
    Id3v1Block block_;
    std::string longTitle_;
};
