#pragma once

#include <functional>
#include <string>

#include "stream/CNxSSComponentCatalog.h"

// Told the name and the words for the user when a WMA or media source cannot be
// opened (a missing codec's name, for one), before the manager reports the
// bare code.
using WmaOpenFailureNote = std::function<void(const std::string& name, const std::string& text)>;

// Makes the manager read ".wma" names with CNxSSWmaReader, the other media
// formats with CNxSSMediaReader, and write ".wma" outputs with
// CNxSSWmaWriter.
void AddWmaComponents(CNxSSComponentCatalog& catalog, WmaOpenFailureNote note = {});
