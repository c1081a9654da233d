#pragma once

#include "stream/CNxSSComponentCatalog.h"

namespace cli {

// The readers and writers this program is built with.
CNxSSComponentCatalog engineCatalog();

}  // namespace cli
