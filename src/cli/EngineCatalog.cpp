#include "cli/EngineCatalog.h"

#include <cstdio>

#include "mp3/reader/Mp3ReaderComponents.h"
#include "mp3/writer/Mp3WriterComponents.h"
#include "stream/CNxSSManager.h"
#include "stream/cd/CNxSSCdReader.h"
#include "stream/wave/WaveComponents.h"
#include "stream/wma/WmaComponents.h"

namespace cli {

namespace {

// What a failing file lacks beyond its code (a missing codec's name).
void printOpenFailure(const std::string& name, const std::string& text) {
    std::fprintf(stderr, "melodux-cli: %s: %s\n", name.c_str(), text.c_str());
}

}  // namespace

CNxSSComponentCatalog engineCatalog() {
    CNxSSComponentCatalog catalog;
    catalog.cd = [](CNxSSManager& manager, int drive, int track) -> NxRef<CNxSSComponent> {
        return MakeOpened<CNxSSCdReader>(manager,
                                         [&](CNxSSCdReader& reader) { reader.Open(drive, track); });
    };
    AddMp3ReaderComponents(catalog);
    AddMp3WriterComponents(catalog);
    AddWmaComponents(catalog, printOpenFailure);
    AddWaveComponents(catalog, Mp3FromRiffMaker());
    return catalog;
}

}  // namespace cli
