#include "stream/CNxSSWriterSettings.h"

int32_t CNxSSWriterSettings::Release() {
    const int32_t left = --refs_;
    if (left == 0) {
        delete this;
    }
    return left;
}

void CNxSSWriterSettings::Load() {
    Persist(false, *CreateSettingsStore());
}

void CNxSSWriterSettings::Save() {
    Persist(true, *CreateSettingsStore());
}
