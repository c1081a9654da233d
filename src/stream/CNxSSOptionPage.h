#pragma once

#include <optional>

#include "platform/WaveFormat.h"
#include "stream/CNxSSObject.h"
#include "stream/CNxSSWriterSettings.h"
#include "stream/NxRef.h"

// What a writer shows in the recording options: its settings object and the
// format of the audio that will reach it. Each writer's page adds its own
// choice list on top.
class CNxSSOptionPage : public CNxSSObject {
  public:
    CNxSSOptionPage(CNxSSObject* writer, NxRef<CNxSSWriterSettings> settings);

    CNxSSWriterSettings& Settings() const { return *settings_; }
    // Replaces the settings with a copy of `settings` (same kind); the
    // page's choices start from them again.
    void SetSettings(NxRef<CNxSSWriterSettings> settings) {
        settings_ = std::move(settings);
        SettingsReplaced();
    }

    void SetSourceFormat(const platform::WaveFormat& format) { sourceFormat_ = format; }
    const std::optional<platform::WaveFormat>& SourceFormat() const { return sourceFormat_; }

  protected:
    // A page that keeps choices made from its settings makes them again.
    virtual void SettingsReplaced() {}

  private:
    NxRef<CNxSSWriterSettings> settings_;
    std::optional<platform::WaveFormat> sourceFormat_;
};
