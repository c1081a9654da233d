#include "app/GsettingsAutorun.h"

#include "platform/AsciiText.h"
#include "platform/RunProgram.h"

namespace app {
namespace {

constexpr const char* kSchema = "org.gnome.desktop.media-handling";
constexpr const char* kKey = "autorun-never";

}  // namespace

std::optional<bool> GsettingsAutorun::heldOff() {
    const auto out = platform::runProgram({"gsettings", "get", kSchema, kKey});
    if (!out) {
        return std::nullopt;
    }
    const std::string_view value = platform::trim(*out, " \t\r\n");
    if (value == "true") {
        return true;
    }
    if (value == "false") {
        return false;
    }
    return std::nullopt;
}

bool GsettingsAutorun::setHeldOff(bool heldOff) {
    return platform::runProgram({"gsettings", "set", kSchema, kKey, heldOff ? "true" : "false"})
        .has_value();
}

}  // namespace app
