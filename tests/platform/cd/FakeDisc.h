#pragma once

#include <cstring>

#include "platform/cd/CdDisc.h"

namespace cdtest {

// A disc with a given table of contents whose reads fail a set number of
// times before they succeed; sector s is filled with the byte s & 0xFF.
class FakeDisc : public platform::cd::CdDisc {
  public:
    explicit FakeDisc(platform::cd::Toc toc, int failuresBeforeSuccess = 0, int* attempts = nullptr)
        : toc_(std::move(toc)), failuresLeft_(failuresBeforeSuccess), attempts_(attempts) {}

    const platform::cd::Toc& toc() const override { return toc_; }

    bool readSectors(uint32_t first, uint32_t count, std::span<uint8_t> out) override {
        if (attempts_ != nullptr) {
            ++*attempts_;
        }
        if (failuresLeft_ > 0) {
            --failuresLeft_;
            return false;
        }
        for (uint32_t i = 0; i < count; ++i) {
            std::memset(out.data() + i * platform::cd::kSectorBytes,
                        static_cast<int>((first + i) & 0xFF), platform::cd::kSectorBytes);
        }
        return true;
    }

  private:
    platform::cd::Toc toc_;
    int failuresLeft_;
    int* attempts_;
};

}  // namespace cdtest
