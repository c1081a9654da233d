#pragma once

#include <filesystem>
#include <memory>

#include "platform/wma/WmaDecoder.h"

namespace platform::wma {

// The module's decoder; throws as WmaCodec::openDecoder.
std::unique_ptr<WmaDecoder> openAvDecoder(const std::filesystem::path& path);

}  // namespace platform::wma
