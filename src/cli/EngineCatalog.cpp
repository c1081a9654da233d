#include "cli/EngineCatalog.h"

#include "stream/CNxSSCdReader.h"
#include "stream/CNxSSManager.h"
#include "stream/WaveComponents.h"

namespace cli {

CNxSSComponentCatalog engineCatalog() {
    CNxSSComponentCatalog catalog;
    catalog.cd = [](CNxSSManager& manager, int drive, int track) -> NxRef<CNxSSComponent> {
        auto reader = MakeNx<CNxSSCdReader>(&manager);
        reader->Open(drive, track);
        return reader;
    };
    AddWaveComponents(catalog);
    return catalog;
}

}  // namespace cli
