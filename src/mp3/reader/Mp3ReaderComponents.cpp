#include "mp3/reader/Mp3ReaderComponents.h"

#include "mp3/reader/CNxSSMp3Reader.h"
#include "stream/CNxSSManager.h"
#include "stream/wave/CNxSSRiffFile.h"

namespace {

CNxSSMp3File::Window riffDataChunk(const std::string& name) {
    auto riff = MakeNx<CNxSSRiffFile>(nullptr, name);
    riff->Open(CNxSSRiffFile::kRead);
    const CNxSSMp3File::Window window{riff->GetDataOffset(), riff->GetSize()};
    riff->Close();
    return window;
}

}  // namespace

void AddMp3ReaderComponents(CNxSSComponentCatalog& catalog) {
    catalog.mp3 = [](CNxSSManager& manager, const std::string& name) -> NxRef<CNxSSComponent> {
        return MakeOpened<CNxSSMp3Reader>(manager,
                                          [&](CNxSSMp3Reader& reader) { reader.Open(name); });
    };
}

CNxSSComponentCatalog::SourceMaker Mp3FromRiffMaker() {
    return [](CNxSSManager& manager, const std::string& name) -> NxRef<CNxSSComponent> {
        auto file = MakeNx<CNxSSMp3File>(name, riffDataChunk(name));
        return MakeOpened<CNxSSMp3Reader>(
            manager, [&](CNxSSMp3Reader& reader) { reader.Open(std::move(file)); });
    };
}
