#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "platform/cd/CdDisc.h"

using CdIo_t = struct _CdIo;

namespace platform::cd {

// A disc opened through libcdio: a drive's medium or a CUE/BIN image.
// Verified reads go through libcdio-paranoia, set up on the first read.
class CdioDisc final : public CdDisc {
  public:
    // Takes ownership of `cdio`. Null when the medium has no readable table
    // of contents (no disc, an empty tray, a broken image, an image whose
    // data file is too short for its tracks).
    static std::unique_ptr<CdioDisc> open(CdIo_t* cdio, ReadMode mode);
    ~CdioDisc() override;
    CdioDisc(const CdioDisc&) = delete;
    CdioDisc& operator=(const CdioDisc&) = delete;

    const Toc& toc() const override;
    bool readSectors(uint32_t first, uint32_t count, std::span<uint8_t> out) override;

  private:
    struct Handles;
    CdioDisc(std::unique_ptr<Handles> handles, Toc toc, ReadMode mode);

    bool readPlain(uint32_t first, uint32_t count, uint8_t* out);
    bool readVerified(uint32_t first, uint32_t count, uint8_t* out);
    bool startParanoia();

    std::unique_ptr<Handles> handles_;
    Toc toc_;
    ReadMode mode_;
};

}  // namespace platform::cd
