#pragma once

#include "stream/CNxSSComponentCatalog.h"

// Makes the manager read ".mp3" names with CNxSSMp3Reader.
void AddMp3ReaderComponents(CNxSSComponentCatalog& catalog);
