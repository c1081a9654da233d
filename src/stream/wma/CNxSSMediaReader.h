#pragma once

#include <memory>

#include "stream/wma/CNxSSWmaReader.h"

// The source for the other formats the media module decodes (FLAC, Ogg
// Vorbis, Opus, MP4/M4A, ...): played as WMA files are, tagged through
// TagLib. Open throws CNxSSException 0x83EB0101 when the file does not
// exist, else CNxSSDetailedException 0x83EB0103 when it cannot be read and
// 0x83EA000D when it is not a file the module decodes.
class CNxSSMediaReader : public CNxSSWmaReader {
  public:
    explicit CNxSSMediaReader(CNxSSObject* parent);

    // A CNxSSMediaInfo for the file.
    uint32_t GetInfo(NxRef<CNxSSInfo>& info) override;

  protected:
    std::unique_ptr<platform::wma::WmaDecoder> OpenDecoder() const override;
};
