#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QTimer>
#include <QVariantMap>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace app {
class CPlayController;
}

namespace ui {

// The player on the session bus as "org.mpris.MediaPlayer2.melodux", so
// media keys, the desktop's sound menu and playerctl reach it. Calls and
// property reads arrive on the UI thread; changes the player makes by
// itself are noticed by polling and announced with PropertiesChanged.
class MprisPlayer : public QDBusVirtualObject {
  public:
    static constexpr const char* kService = "org.mpris.MediaPlayer2.melodux";
    static constexpr const char* kPath = "/org/mpris/MediaPlayer2";

    // What the service does beyond the player: bring the window up, end
    // the program, open files (as a drop would).
    struct Actions {
        std::function<void()> raise;
        std::function<void()> quit;
        std::function<void(std::vector<std::string> paths)> open;
    };

    MprisPlayer(app::CPlayController& player, Actions actions, QString desktopEntry);
    ~MprisPlayer() override;

    // Claims the name on `bus`; false (nothing claimed) when the bus is
    // unreachable or another instance holds the name.
    bool publish(QDBusConnection bus);

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

  private:
    QVariantMap rootProperties() const;
    QVariantMap playerProperties() const;
    QVariantMap metadata() const;
    QString playbackStatus() const;
    QString trackId() const;
    int64_t positionUs() const;

    bool callRoot(const QString& member);
    bool callPlayer(const QDBusMessage& message);
    QDBusMessage getProperty(const QDBusMessage& message) const;
    QDBusMessage setProperty(const QDBusMessage& message);
    void seekTo(int64_t us);
    void announceChanges();
    void emitSignal(const QString& interface, const QString& name, const QVariantList& args);

    app::CPlayController& player_;
    Actions actions_;
    QString desktopEntry_;
    std::optional<QDBusConnection> bus_;
    QTimer poll_;
    QVariantMap announced_;  // the player's properties as last announced
    int64_t lastPositionUs_ = 0;
    int64_t lastPollMs_ = 0;
};

}  // namespace ui
