#pragma once

#include <filesystem>
#include <memory>

#include "platform/wma/WmaDecoder.h"

namespace platform::wma {

// The module's decoder of WMA files; throws as WmaCodec::openDecoder.
std::unique_ptr<WmaDecoder> openAvDecoder(const std::filesystem::path& path);

// The module's decoder of any other file the libraries demux and decode;
// throws as WmaCodec::openMediaDecoder.
std::unique_ptr<WmaDecoder> openAvMediaDecoder(const std::filesystem::path& path);

}  // namespace platform::wma
