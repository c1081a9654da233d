#include "mp3/reader/Mp3ReaderComponents.h"

#include "mp3/reader/CNxSSMp3Reader.h"
#include "stream/CNxSSManager.h"

void AddMp3ReaderComponents(CNxSSComponentCatalog& catalog) {
    catalog.mp3 = [](CNxSSManager& manager, const std::string& name) -> NxRef<CNxSSComponent> {
        return MakeOpened<CNxSSMp3Reader>(manager,
                                          [&](CNxSSMp3Reader& reader) { reader.Open(name); });
    };
}
