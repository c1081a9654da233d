#include "stream/CNxSSOptionPage.h"

CNxSSOptionPage::CNxSSOptionPage(CNxSSObject* writer, NxRef<CNxSSWriterSettings> settings)
    : CNxSSObject(writer), settings_(std::move(settings)) {}
