#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "stream/CNxSSInfo.h"
#include "stream/Id3v1Block.h"

// An information object whose editable fields are an ID3v1 block, with a
// longer title kept beside it where the file has one (or shows its name).
class CNxSSBlockInfo : public CNxSSInfo {
  public:
    void SetArtist(std::string_view text) override { block_.SetArtist(text); }
    void SetAlbum(std::string_view text) override { block_.SetAlbum(text); }
    void SetYear(int32_t year) override { block_.SetYear(year); }
    void SetComment(std::string_view text, int32_t track) override {
        block_.SetComment(text, track);
    }
    void SetGenre(int32_t genre) override { block_.SetGenre(genre); }

    // The long title when there is one, else the block's.
    std::string GetTitle() const override {
        return longTitle_.empty() ? block_.Title() : longTitle_;
    }
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

    const Id3v1Block& Block() const { return block_; }

  protected:
    CNxSSBlockInfo(CNxSSComponent* owner, Id3v1Block block, std::string longTitle)
        : CNxSSInfo(owner), block_(std::move(block)), longTitle_(std::move(longTitle)) {}

    // Sets the block's title and the long title beside it.
    void SetTitles(std::string_view title, std::string longTitle) {
        block_.SetTitle(title);
        longTitle_ = std::move(longTitle);
    }

  private:
    Id3v1Block block_;
    std::string longTitle_;
};
