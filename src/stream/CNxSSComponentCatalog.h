#pragma once

#include <functional>
#include <string>

#include "stream/NxRef.h"

class CNxSSActiveComponent;
class CNxSSComponent;
class CNxSSManager;

// Makers of the sources and writers that live above the framework (the
// readers and writers of each format). A missing maker means the format is
// not available: its sources fail with 0x83EA000D and its sinks are not
// built. Makers throw CNxSSException on failure and return the new
// component with the caller's reference, parented to the manager.
struct CNxSSComponentCatalog {
    using SourceMaker = std::function<NxRef<CNxSSComponent>(CNxSSManager&, const std::string&)>;
    using CdSourceMaker = std::function<NxRef<CNxSSComponent>(CNxSSManager&, int drive, int track)>;
    using SinkMaker =
        std::function<NxRef<CNxSSActiveComponent>(CNxSSManager&, const std::string& outputPath)>;

    SourceMaker mp3;   // ".mp3"
    SourceMaker riff;  // ".wav", ".rmp": decides between the WAVE and MP3 readers
    SourceMaker wma;   // ".wma"
    // The media module's other formats: by extension (nxss::isMediaExtension),
    // and for names no reader claims, when the contents look like one.
    SourceMaker media;
    CdSourceMaker cd;  // ".cda"
    SinkMaker mp3Writer;
    SinkMaker waveWriter;
    SinkMaker wmaWriter;
};
