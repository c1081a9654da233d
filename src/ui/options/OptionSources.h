#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "app/MimeAssociations.h"
#include "cdinfo/CCdda.h"
#include "stream/CNxSSWriterSettings.h"
#include "stream/NxRef.h"

namespace app {
class Engine;
class PlayerSettings;
}  // namespace app

namespace ui::options {

// What the recording panel takes from a confirmed dialog. Either may be
// left empty (no panel).
struct RecordingHandOver {
    // The chosen writer's settings, as the panel's current format.
    std::function<void(NxRef<CNxSSWriterSettings>)> currentFormat;
    // The CD drive was changed: the panel looks at the disc again.
    std::function<void()> discChanged;
};

// Where the options dialog reads and writes.
struct OptionSources {
    app::PlayerSettings& settings;
    const app::Engine& engine;
    app::MimeAssociations associations;
    cdinfo::CCdda::ConfigSource cdConfig;  // the drives and the CDDB exchange
    RecordingHandOver handOver;
    // Shows a refusal or a failure; empty: a warning box over `parent`.
    std::function<void(QWidget* parent, const std::string& text)> warn;
};

}  // namespace ui::options
