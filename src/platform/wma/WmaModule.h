#pragma once

#include "platform/wma/WmaCodec.h"

namespace platform::wma {

// The module's file name, the same in the build tree and once installed.
inline constexpr const char* kWmaModuleFile = "melodux-wma.so";

// The process's WMA module, loaded the first time it is asked for (from
// any thread; later calls wait for that load and share its outcome).
// Throws Error(MissingCodec) naming the module's path and the reason when
// it could not be loaded.
const WmaCodec& wmaCodec();

}  // namespace platform::wma
