// melodux [FILE...]: the desktop program. The files play from "Drop
// Playlist"; a second start hands them to the running one.

#include <QApplication>
#include <QSocketNotifier>
#include <cstdlib>
#include <memory>
#include <thread>

#include "app/AutorunGuard.h"
#include "app/CPlayerApp.h"
#include "app/DataFolder.h"
#include "app/Engine.h"
#include "app/GsettingsAutorun.h"
#include "app/InstanceFolder.h"
#include "app/PlayerSettings.h"
#include "app/SingleInstance.h"
#include "platform/Registry.h"
#include "ui/CDesktopView.h"
#include "ui/DesktopServices.h"
#include "ui/MprisPlayer.h"
#include "ui/PoolWork.h"
#include "ui/QtTimerService.h"

namespace {

// Window shapes need X11: under Wayland prefer XWayland unless the user
// chose a platform (or there is no X server to reach).
void choosePlatform() {
    const char* session = std::getenv("XDG_SESSION_TYPE");
    const bool wayland =
        std::getenv("WAYLAND_DISPLAY") || (session && std::string(session) == "wayland");
    if (wayland && std::getenv("DISPLAY") && !std::getenv("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    // The windows repaint small areas many times a second (counter,
    // spectrum). Through X shared memory each such paint first waits for
    // the server to finish the last one, a round trip and two thread
    // wakeups; sending these few pixels in the request costs less.
    if (!std::getenv("QT_XCB_NO_MITSHM")) {
        qputenv("QT_XCB_NO_MITSHM", "1");
    }
}

// The files of later starts, taken on the UI thread.
std::unique_ptr<QSocketNotifier> listenForHandOvers(app::SingleInstance& instance,
                                                    app::CPlayerApp& player,
                                                    ui::CDesktopView& view) {
    app::InstanceListener* listener = instance.listener();
    if (!listener) {
        return nullptr;
    }
    auto notifier = std::make_unique<QSocketNotifier>(listener->readyFd(), QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, [listener, &player, &view] {
        for (app::HandOverRequest& request : listener->takeRequests()) {
            player.HandOver(request.message().files, view.ctrlHeld());
            view.bringToFront();
            request.answer();
        }
    });
    return notifier;
}

// Media keys and the desktop's sound menu; a desktop without a session bus
// simply has none of them.
std::unique_ptr<ui::MprisPlayer> publishOnSessionBus(app::CPlayerApp& player,
                                                     ui::CDesktopView& view) {
    ui::CMainWindow* window = view.window();
    if (!window) {
        return nullptr;
    }
    ui::MprisPlayer::Actions actions{[&view] { view.bringToFront(); },
                                     [window] { window->close(); },
                                     [&player](std::vector<std::string> paths) {
                                         player.HandOverDropped(std::move(paths), false);
                                     }};
    auto mpris = std::make_unique<ui::MprisPlayer>(window->player(), std::move(actions),
                                                   QStringLiteral(MELODUX_APP_ID));
    if (!mpris->publish(QDBusConnection::sessionBus())) {
        qInfo("No media keys: the session bus is not reachable or %s is taken.",
              ui::MprisPlayer::kService);
        return nullptr;
    }
    return mpris;
}

}  // namespace

int main(int argc, char** argv) {
    // An inserted audio CD is ours while the first instance runs. Asking
    // the desktop takes a while: off the start's path.
    app::GsettingsAutorun autorun;
    app::AutorunGuard autorunGuard(autorun, platform::Registry::instance());
    std::thread holdingAutorunOff;
    const struct GiveAutorunBack {
        std::thread& holding;
        app::AutorunGuard& guard;
        ~GiveAutorunBack() {
            if (holding.joinable()) {
                holding.join();
                guard.Restore();
            }
        }
    } giveBack{holdingAutorunOff, autorunGuard};
    choosePlatform();
    // Skins are pixel images: whole scale factors keep every pixel square.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::Round);
    QApplication qapp(argc, argv);
    // Desktops match the window to its entry (icon, name) by this id.
    QGuiApplication::setDesktopFileName(QStringLiteral(MELODUX_APP_ID));
    app::SettingsStore store;
    app::PlayerSettings playerSettings(store);
    const app::Engine engine;
    ui::QtTimerService timers;
    ui::PoolWork work;
    std::unique_ptr<app::CPlayerApp> player;
    ui::CDesktopView view(engine, playerSettings, [&player] { return player->skinFolder(); });
    view.setCloseGuard([&player] { return player->SaveAllModified(); });
    view.setLibrary([&player] {
        app::LibrarySession* session = player->library();
        return session ? &session->db() : nullptr;
    });
    view.setLibrarySaver([&player] { player->saveLibrarySoon(); });
    view.setDropHandler([&player](std::vector<std::string> paths, bool ctrlHeld) {
        player->HandOverDropped(std::move(paths), ctrlHeld);
    });
    std::unique_ptr<app::SingleInstance> instance;
    const auto claim = [&](const std::vector<std::string>& files) {
        try {
            instance = std::make_unique<app::SingleInstance>(app::instanceFolder());
            if (instance->claim({files, app::activationToken()}) !=
                app::SingleInstance::Claim::First) {
                return false;
            }
            holdingAutorunOff = std::thread([&autorunGuard] { autorunGuard.Suppress(); });
        } catch (const std::runtime_error& failure) {
            view.showStopMessage(failure.what());
            return false;
        }
        return true;
    };
    player = std::make_unique<app::CPlayerApp>(
        ui::desktopServices(view, timers, work, engine, claim, [] { QApplication::quit(); }), store,
        app::dataFolder());
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (!player->start(arguments)) {
        return 0;
    }
    const std::unique_ptr<QSocketNotifier> handOvers = listenForHandOvers(*instance, *player, view);
    const std::unique_ptr<ui::MprisPlayer> mpris = publishOnSessionBus(*player, view);
    return QApplication::exec();
}
