// The main window's options dialog.
#include "app/MimeAssociations.h"
#include "cdinfo/CddaConfig.h"
#include "platform/Registry.h"
#include "ui/CMainWindow.h"
#include "ui/options/COptionDialog.h"

namespace ui {
namespace {

// The name the program's desktop entry is installed under.
constexpr const char* kDesktopId = MELODUX_APP_ID ".desktop";

}  // namespace

void CMainWindow::openOptions() {
    if (!options_) {
        options_ = std::make_unique<options::COptionDialog>(options::OptionSources{
            settings_,
            engine_,
            app::MimeAssociations(app::MimeAssociations::userList(), kDesktopId),
            [] { return cdinfo::CddaConfig::fromSettings(platform::Registry::instance()); },
            recordingHandOver_,
            {}});
    }
    options_->Open(-1, this);
}

}  // namespace ui
