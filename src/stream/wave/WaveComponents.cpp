#include "stream/wave/WaveComponents.h"

#include "platform/acm/AcmTypes.h"
#include "stream/CNxSSException.h"
#include "stream/CNxSSManager.h"
#include "stream/ResultCodes.h"
#include "stream/wave/CNxSSRiffFile.h"
#include "stream/wave/CNxSSWaveReader.h"
#include "stream/wave/CNxSSWaveWriter.h"

namespace {

bool HoldsMp3(const CNxSSRiffFile& file) {
    return file.GetFormType() == riff::kRmp3 ||
           file.GetFormat().tag() == platform::acm::kTagMpegLayer3;
}

NxRef<CNxSSComponent> OpenRiff(CNxSSManager& manager, const std::string& name,
                               const CNxSSComponentCatalog::SourceMaker& mp3FromRiff) {
    auto file = MakeNx<CNxSSRiffFile>(nullptr, name);
    file->Open(CNxSSRiffFile::kRead);
    if (HoldsMp3(*file)) {
        if (!mp3FromRiff) {
            throw CNxSSException(nxss::kNoDecoder);
        }
        file->Close();
        return mp3FromRiff(manager, name);
    }
    auto reader = MakeNx<CNxSSWaveReader>(&manager);
    try {
        reader->Open(std::move(file));
    } catch (const CNxSSException&) {
        reader->SetParent(nullptr);
        throw;
    }
    return reader;
}

}  // namespace

void AddWaveComponents(CNxSSComponentCatalog& catalog,
                       CNxSSComponentCatalog::SourceMaker mp3FromRiff) {
    catalog.riff = [mp3 = std::move(mp3FromRiff)](CNxSSManager& manager, const std::string& name) {
        return OpenRiff(manager, name, mp3);
    };
    catalog.waveWriter = [](CNxSSManager& manager, const std::string& outputPath) {
        auto writer = MakeNx<CNxSSWaveWriter>(&manager, outputPath);
        writer->SetOutputFile(MakeNx<CNxSSRiffFile>(nullptr, outputPath));
        return NxRef<CNxSSActiveComponent>(std::move(writer));
    };
}
