#pragma once

#include <filesystem>
#include <memory>

#include "platform/WaveFormat.h"
#include "platform/wma/Attributes.h"
#include "platform/wma/OutputFormats.h"
#include "platform/wma/WmaWriter.h"

namespace platform::wma {

// The module's encoder; throws as WmaCodec::createWriter.
std::unique_ptr<WmaWriter> createAvWriter(const std::filesystem::path& target,
                                          const WaveFormat& input, const OutputSettings& output,
                                          const Attributes& attributes);

}  // namespace platform::wma
