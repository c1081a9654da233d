#pragma once

#include "platform/wma/OutputFormats.h"

namespace platform::wma {

// The module's answer to WmaCodec::checkOutput.
OutputSupport checkOutput(const OutputSettings& settings);

}  // namespace platform::wma
