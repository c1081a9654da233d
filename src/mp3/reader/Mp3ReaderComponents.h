#pragma once

#include "stream/CNxSSComponentCatalog.h"

// Makes the manager read ".mp3" names with CNxSSMp3Reader.
void AddMp3ReaderComponents(CNxSSComponentCatalog& catalog);

// The maker for RIFF files that hold MP3 data (form "RMP3", or "WAVE" with
// format tag 0x55): the reader plays the data chunk.
CNxSSComponentCatalog::SourceMaker Mp3FromRiffMaker();
