#pragma once

#include "stream/CNxSSComponentCatalog.h"

// Makes the manager write ".mp3" outputs with CNxSSMp3Writer.
void AddMp3WriterComponents(CNxSSComponentCatalog& catalog);
