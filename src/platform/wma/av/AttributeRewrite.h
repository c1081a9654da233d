#pragma once

#include <filesystem>

#include "platform/wma/Attributes.h"

namespace platform::wma {

// The module's answer to WmaCodec::rewriteAttributes.
void rewriteAttributes(const std::filesystem::path& path, const Attributes& attributes);

}  // namespace platform::wma
