#include "stream/CNxSSWriterSettings.h"

void CNxSSWriterSettings::Load() {
    Persist(false, *CreateSettingsStore());
}

void CNxSSWriterSettings::Save() {
    Persist(true, *CreateSettingsStore());
}
