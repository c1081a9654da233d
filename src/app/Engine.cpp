#include "app/Engine.h"

#include <mutex>

#include "mp3/acm/Mp3CodecSetup.h"
#include "mp3/reader/Mp3ReaderComponents.h"
#include "mp3/writer/Mp3WriterComponents.h"
#include "stream/FileFormat.h"
#include "stream/cd/CNxSSCdReader.h"
#include "stream/wave/WaveComponents.h"
#include "stream/wma/WmaComponents.h"

namespace app {

namespace {

// The codec registry is the process's; it is set up once, by the first engine.
void registerCodecs() {
    static std::once_flag once;
    std::call_once(once, [] { mp3::acm::registerMp3Codec(); });
}

CNxSSComponentCatalog::CdSourceMaker cdTrackMaker() {
    return [](CNxSSManager& manager, int drive, int track) -> NxRef<CNxSSComponent> {
        return MakeOpened<CNxSSCdReader>(manager,
                                         [&](CNxSSCdReader& reader) { reader.Open(drive, track); });
    };
}

}  // namespace

Engine::Engine(OpenFailureNote note) {
    registerCodecs();
    catalog_.cd = cdTrackMaker();
    AddMp3ReaderComponents(catalog_);
    AddMp3WriterComponents(catalog_);
    AddWmaComponents(catalog_, std::move(note));
    AddWaveComponents(catalog_, Mp3FromRiffMaker());
}

Engine::Engine(CNxSSComponentCatalog catalog) : catalog_(std::move(catalog)) {
    registerCodecs();
}

const std::vector<std::string>& Engine::musicExtensions() {
    static const std::vector<std::string> extensions = [] {
        std::vector<std::string> all = {"mp3", "rmp", "wav", "wma"};
        all.insert(all.end(), nxss::kMediaExtensions.begin(), nxss::kMediaExtensions.end());
        return all;
    }();
    return extensions;
}

NxRef<CNxSSManager> Engine::makeManager() const {
    return MakeNx<CNxSSManager>(catalog_);
}

bool Engine::canWrite(int32_t sinkKind) const {
    switch (sinkKind) {
        case CNxSSManager::kSinkMp3:
            return static_cast<bool>(catalog_.mp3Writer);
        case CNxSSManager::kSinkWave:
            return static_cast<bool>(catalog_.waveWriter);
        case CNxSSManager::kSinkWma:
            return static_cast<bool>(catalog_.wmaWriter);
        default:
            return false;
    }
}

}  // namespace app
