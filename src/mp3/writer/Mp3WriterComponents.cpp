#include "mp3/writer/Mp3WriterComponents.h"

#include "mp3/reader/CNxSSMp3File.h"
#include "mp3/writer/CNxSSMp3Writer.h"
#include "stream/CNxSSManager.h"

void AddMp3WriterComponents(CNxSSComponentCatalog& catalog) {
    catalog.mp3Writer = [](CNxSSManager& manager,
                           const std::string& outputPath) -> NxRef<CNxSSActiveComponent> {
        auto writer = MakeNx<CNxSSMp3Writer>(&manager, outputPath);
        writer->SetOutputFile(MakeNx<CNxSSMp3File>(outputPath));
        return writer;
    };
}
