#pragma once

#include "stream/CNxSSComponentCatalog.h"

// Adds the WAVE reader (".wav" and ".rmp" names) and the WAVE writer to a
// catalog. RIFF files that hold MP3 (an "RMP3" form, or a "WAVE" form with
// format tag 0x55) go to mp3FromRiff; without it they fail with 0x83EA000D.
void AddWaveComponents(CNxSSComponentCatalog& catalog,
                       CNxSSComponentCatalog::SourceMaker mp3FromRiff = {});
