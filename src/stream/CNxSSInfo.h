#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "stream/CNxSSComponent.h"
#include "stream/CNxSSObject.h"
#include "stream/NxRef.h"

// What a source tells about its music file: text tags and technical facts.
// Each kind answers what it knows; the rest answers 0, empty text or genre
// 255. The object holds its source, so facts stay available after the
// chain that opened the file is gone. Text is UTF-8.
class CNxSSInfo : public CNxSSObject {
  public:
    // kMedia: the other formats the media module plays.
    enum Kind : int32_t { kId3v1 = 1, kRiff = 2, kWma = 4, kMedia = 8 };
    static constexpr int32_t kNoGenre = 255;

    virtual uint32_t GetUserValue() const { return 0; }
    virtual Kind GetKind() const = 0;

    virtual void SetTitle(std::string_view) {}
    virtual void SetArtist(std::string_view) {}
    virtual void SetAlbum(std::string_view) {}
    virtual void SetYear(int32_t) {}
    virtual void SetComment(std::string_view, int32_t /*track*/) {}
    virtual void SetGenre(int32_t) {}

    virtual std::string GetTitle() const { return {}; }
    virtual std::string GetArtist() const { return {}; }
    virtual std::string GetAlbum() const { return {}; }
    virtual int32_t GetYear() const { return 0; }
    virtual std::string GetComment() const { return {}; }
    virtual int32_t GetTrack() const { return 0; }
    virtual int32_t GetGenre() const { return kNoGenre; }

    virtual int32_t GetTitleLimit() const { return 0; }
    virtual int32_t GetArtistLimit() const { return 0; }
    virtual int32_t GetAlbumLimit() const { return 0; }
    virtual int32_t GetCommentLimit() const { return 0; }

    // Technical facts: MPEG version index (0 MPEG-1, 1 MPEG-2, 2 MPEG-2.5),
    // layer, bitrate in bits per second, sample rate, channels, channel
    // mode (0 stereo .. 3 single channel) and the header flags.
    virtual int32_t GetVersion() const { return 0; }
    virtual int32_t GetLayer() const { return 0; }
    virtual int32_t GetBitrate() const { return 0; }
    virtual int32_t GetSampleRate() const { return 0; }
    virtual int32_t GetChannels() const { return 0; }
    virtual int32_t GetMode() const { return 0; }
    virtual int32_t GetCrc() const { return 0; }
    virtual int32_t GetPrivate() const { return 0; }
    virtual int32_t GetCopyright() const { return 0; }
    virtual int32_t GetOriginal() const { return 0; }
    virtual int32_t GetVbr() const { return 0; }

    // From the source: the length in ms and the file's size in bytes.
    int32_t GetDuration() const { return owner_ ? owner_->GetLength() : 0; }
    virtual uint64_t GetFileSize() const { return 0; }

    virtual std::string GetFormatName() const { return {}; }
    virtual std::string GetFormatDetails() const { return {}; }

    // Writes the tags into the file through the source; 0 or a code.
    virtual uint32_t WriteTag();

    // The file information dialog's summary, lines ending in CR LF.
    std::string InformationText() const;

  protected:
    explicit CNxSSInfo(CNxSSComponent* owner);
    CNxSSComponent* Owner() const { return owner_.get(); }

  private:
    std::string KindLines() const;
    std::string Id3v1Lines() const;

    NxRef<CNxSSComponent> owner_;
};
