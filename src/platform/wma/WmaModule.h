#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/wma/WmaCodec.h"

namespace platform::wma {

// The WMA module, opened from the first of `folders` that holds it. A
// module that is missing or cannot be used leaves the object without a
// codec; codec() then reports why.
class WmaModule {
  public:
    WmaModule(const std::vector<std::filesystem::path>& folders, const std::string& fileName);

    // Throws Error(MissingCodec) naming the module's path and the reason
    // when the module could not be loaded.
    const WmaCodec& codec() const;

  private:
    struct Closer {
        void operator()(void* handle) const;
    };

    void load(const std::filesystem::path& file);

    std::unique_ptr<void, Closer> handle_;
    const WmaCodec* codec_ = nullptr;
    std::filesystem::path path_;  // the module's file, or where it was looked for
    std::string failure_;
};

// The process's WMA module, loaded the first time it is asked for (from
// any thread; later calls wait for that load and share its outcome).
// Throws as WmaModule::codec.
const WmaCodec& wmaCodec();

}  // namespace platform::wma
