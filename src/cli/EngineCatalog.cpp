#include "cli/EngineCatalog.h"

namespace cli {

CNxSSComponentCatalog engineCatalog() {
    // Silence and the renderer are built in; the file readers and writers
    // join the catalog as their formats arrive.
    return {};
}

}  // namespace cli
