#include "ui/MprisPlayer.h"

#include <QDBusArgument>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDateTime>
#include <QFileInfo>
#include <QUrl>
#include <algorithm>
#include <cstdlib>

#include "app/CPlayController.h"
#include "stream/CNxSSComponent.h"

namespace ui {
namespace {

const QString kRoot = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kIntrospectable = QStringLiteral("org.freedesktop.DBus.Introspectable");

constexpr int kPollMs = 300;
// A position this far from where playing on would have taken it was a seek.
constexpr int64_t kSeekSlackUs = 1'500'000;

const char* const kInterfaces = R"(
  <interface name="org.mpris.MediaPlayer2">
    <method name="Raise"/>
    <method name="Quit"/>
    <property name="CanQuit" type="b" access="read"/>
    <property name="CanRaise" type="b" access="read"/>
    <property name="HasTrackList" type="b" access="read"/>
    <property name="Identity" type="s" access="read"/>
    <property name="DesktopEntry" type="s" access="read"/>
    <property name="SupportedUriSchemes" type="as" access="read"/>
    <property name="SupportedMimeTypes" type="as" access="read"/>
  </interface>
  <interface name="org.mpris.MediaPlayer2.Player">
    <method name="Next"/>
    <method name="Previous"/>
    <method name="Pause"/>
    <method name="PlayPause"/>
    <method name="Stop"/>
    <method name="Play"/>
    <method name="Seek"><arg name="Offset" type="x" direction="in"/></method>
    <method name="SetPosition">
      <arg name="TrackId" type="o" direction="in"/>
      <arg name="Position" type="x" direction="in"/>
    </method>
    <method name="OpenUri"><arg name="Uri" type="s" direction="in"/></method>
    <signal name="Seeked"><arg name="Position" type="x"/></signal>
    <property name="PlaybackStatus" type="s" access="read"/>
    <property name="LoopStatus" type="s" access="readwrite"/>
    <property name="Rate" type="d" access="readwrite"/>
    <property name="Shuffle" type="b" access="readwrite"/>
    <property name="Metadata" type="a{sv}" access="read"/>
    <property name="Volume" type="d" access="readwrite"/>
    <property name="Position" type="x" access="read"/>
    <property name="MinimumRate" type="d" access="read"/>
    <property name="MaximumRate" type="d" access="read"/>
    <property name="CanGoNext" type="b" access="read"/>
    <property name="CanGoPrevious" type="b" access="read"/>
    <property name="CanPlay" type="b" access="read"/>
    <property name="CanPause" type="b" access="read"/>
    <property name="CanSeek" type="b" access="read"/>
    <property name="CanControl" type="b" access="read"/>
  </interface>
  <interface name="org.freedesktop.DBus.Properties">
    <method name="Get">
      <arg name="interface_name" type="s" direction="in"/>
      <arg name="property_name" type="s" direction="in"/>
      <arg name="value" type="v" direction="out"/>
    </method>
    <method name="GetAll">
      <arg name="interface_name" type="s" direction="in"/>
      <arg name="properties" type="a{sv}" direction="out"/>
    </method>
    <method name="Set">
      <arg name="interface_name" type="s" direction="in"/>
      <arg name="property_name" type="s" direction="in"/>
      <arg name="value" type="v" direction="in"/>
    </method>
    <signal name="PropertiesChanged">
      <arg name="interface_name" type="s"/>
      <arg name="changed_properties" type="a{sv}"/>
      <arg name="invalidated_properties" type="as"/>
    </signal>
  </interface>
)";

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Arguments of type "v" arrive wrapped.
QVariant unwrapped(const QVariant& value) {
    return value.canConvert<QDBusVariant>() ? value.value<QDBusVariant>().variant() : value;
}

QString loopStatusOf(int32_t repeat) {
    switch (repeat) {
        case app::CPlayController::kRepeatOne:
            return QStringLiteral("Track");
        case app::CPlayController::kRepeatAll:
            return QStringLiteral("Playlist");
        default:
            return QStringLiteral("None");
    }
}

int64_t nowMs() {
    return QDateTime::currentMSecsSinceEpoch();
}

}  // namespace

MprisPlayer::MprisPlayer(app::CPlayController& player, Actions actions, QString desktopEntry)
    : player_(player), actions_(std::move(actions)), desktopEntry_(std::move(desktopEntry)) {
    connect(&poll_, &QTimer::timeout, this, [this] { announceChanges(); });
}

MprisPlayer::~MprisPlayer() {
    if (bus_) {
        bus_->unregisterObject(kPath);
        bus_->unregisterService(kService);
    }
}

bool MprisPlayer::publish(QDBusConnection bus) {
    if (!bus.isConnected() || !bus.registerVirtualObject(kPath, this)) {
        return false;
    }
    if (!bus.registerService(kService)) {
        bus.unregisterObject(kPath);
        return false;
    }
    bus_ = bus;
    announced_ = playerProperties();
    lastPositionUs_ = positionUs();
    lastPollMs_ = nowMs();
    poll_.start(kPollMs);
    return true;
}

QString MprisPlayer::introspect(const QString&) const {
    return QString::fromLatin1(kInterfaces);
}

bool MprisPlayer::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
    if (message.path() != kPath || message.type() != QDBusMessage::MethodCallMessage) {
        return false;
    }
    const QString interface = message.interface();
    const QString member = message.member();
    QDBusMessage reply = message.createReply();
    bool handled = true;
    if (interface == kIntrospectable && member == "Introspect") {
        reply = message.createReply(QStringLiteral("<node>") + introspect(kPath) +
                                    QStringLiteral("</node>"));
    } else if (interface == kProperties && (member == "Get" || member == "GetAll")) {
        reply = getProperty(message);
    } else if (interface == kProperties && member == "Set") {
        reply = setProperty(message);
    } else if (interface == kRoot ||
               (interface.isEmpty() && (member == "Raise" || member == "Quit"))) {
        handled = callRoot(member);
    } else if (interface == kPlayer || interface.isEmpty()) {
        handled = callPlayer(message);
    } else {
        handled = false;
    }
    if (!handled) {
        reply = message.createErrorReply(QDBusError::UnknownMethod,
                                         QStringLiteral("No such method: ") + member);
    }
    connection.send(reply);
    if (handled) {
        announceChanges();
    }
    return true;
}

bool MprisPlayer::callRoot(const QString& member) {
    if (member == "Raise") {
        actions_.raise();
    } else if (member == "Quit") {
        // After the reply has gone: quitting ends the loop that sends it.
        QTimer::singleShot(0, this, [quit = actions_.quit] { quit(); });
    } else {
        return false;
    }
    return true;
}

bool MprisPlayer::callPlayer(const QDBusMessage& message) {
    const QString member = message.member();
    const QVariantList args = message.arguments();
    const int32_t status = player_.GetStatus();
    if (member == "Next") {
        player_.PressNext();
    } else if (member == "Previous") {
        player_.PressPrevious();
    } else if (member == "Pause") {
        if (status == CNxSSComponent::kRunning) {
            player_.Pause();
        }
    } else if (member == "PlayPause") {
        status == CNxSSComponent::kStopped ? player_.Play() : player_.Pause();
    } else if (member == "Play") {
        status == CNxSSComponent::kPaused    ? player_.Pause()
        : status == CNxSSComponent::kStopped ? player_.Play()
                                             : 0u;
    } else if (member == "Stop") {
        player_.Stop();
    } else if (member == "Seek" && args.size() == 1) {
        seekTo(positionUs() + args[0].toLongLong());
    } else if (member == "SetPosition" && args.size() == 2) {
        const int64_t us = args[1].toLongLong();
        if (args[0].value<QDBusObjectPath>().path() == trackId() && us >= 0 &&
            us <= int64_t{player_.GetLength()} * 1000) {
            seekTo(us);
        }
    } else if (member == "OpenUri" && args.size() == 1) {
        const QUrl url(args[0].toString());
        if (url.isLocalFile()) {
            actions_.open({url.toLocalFile().toStdString()});
        }
    } else {
        return false;
    }
    return true;
}

// Before the start is the start; past the end is the next item.
void MprisPlayer::seekTo(int64_t us) {
    const int64_t lengthUs = int64_t{player_.GetLength()} * 1000;
    if (us >= lengthUs) {
        player_.PressNext();
        return;
    }
    player_.Seek(static_cast<int32_t>(std::max<int64_t>(us, 0) / 1000));
    lastPositionUs_ = positionUs();
    lastPollMs_ = nowMs();
    emitSignal(kPlayer, QStringLiteral("Seeked"),
               {QVariant::fromValue(qlonglong(lastPositionUs_))});
}

QDBusMessage MprisPlayer::getProperty(const QDBusMessage& message) const {
    const QVariantList args = message.arguments();
    const QString interface = args.value(0).toString();
    QVariantMap all;
    if (interface == kRoot) {
        all = rootProperties();
    } else if (interface == kPlayer) {
        all = playerProperties();
        all.insert(QStringLiteral("Position"), QVariant::fromValue(qlonglong(positionUs())));
    } else {
        return message.createErrorReply(QDBusError::InvalidArgs,
                                        QStringLiteral("No such interface: ") + interface);
    }
    if (message.member() == "GetAll") {
        return message.createReply(all);
    }
    const QString name = args.value(1).toString();
    if (!all.contains(name)) {
        return message.createErrorReply(QDBusError::InvalidArgs,
                                        QStringLiteral("No such property: ") + name);
    }
    return message.createReply(QVariant::fromValue(QDBusVariant(all.value(name))));
}

QDBusMessage MprisPlayer::setProperty(const QDBusMessage& message) {
    const QVariantList args = message.arguments();
    const QString name = args.value(1).toString();
    const QVariant value = unwrapped(args.value(2));
    if (args.value(0).toString() != kPlayer) {
        return message.createErrorReply(QDBusError::PropertyReadOnly, name);
    }
    if (name == "Volume") {
        const double volume = std::clamp(value.toDouble(), 0.0, 1.0);
        player_.SetVolume(static_cast<int32_t>(volume * app::CPlayController::kMaxVolume + 0.5));
    } else if (name == "Shuffle") {
        player_.SetShuffle(value.toBool());
    } else if (name == "LoopStatus") {
        const QString loop = value.toString();
        player_.SetRepeat(loop == "Track"      ? app::CPlayController::kRepeatOne
                          : loop == "Playlist" ? app::CPlayController::kRepeatAll
                                               : app::CPlayController::kRepeatOff);
    } else if (name != "Rate") {  // one rate only: setting it is no error
        return message.createErrorReply(QDBusError::PropertyReadOnly, name);
    }
    return message.createReply();
}

QVariantMap MprisPlayer::rootProperties() const {
    return {
        {QStringLiteral("CanQuit"), true},
        {QStringLiteral("CanRaise"), true},
        {QStringLiteral("HasTrackList"), false},
        {QStringLiteral("Identity"), QStringLiteral("MP3 Melodux")},
        {QStringLiteral("DesktopEntry"), desktopEntry_},
        {QStringLiteral("SupportedUriSchemes"), QStringList{QStringLiteral("file")}},
        {QStringLiteral("SupportedMimeTypes"),
         QStringList{QStringLiteral("audio/mpeg"), QStringLiteral("audio/x-wav"),
                     QStringLiteral("audio/x-ms-wma")}},
    };
}

// Without Position, which moves by itself and is read when asked.
QVariantMap MprisPlayer::playerProperties() const {
    const bool hasItem = player_.CurrentIndex() >= 0;
    const int32_t count = player_.Count();
    return {
        {QStringLiteral("PlaybackStatus"), playbackStatus()},
        {QStringLiteral("LoopStatus"), loopStatusOf(player_.RepeatMode())},
        {QStringLiteral("Rate"), 1.0},
        {QStringLiteral("Shuffle"), player_.Shuffle()},
        {QStringLiteral("Metadata"), metadata()},
        {QStringLiteral("Volume"),
         static_cast<double>(player_.Volume()) / app::CPlayController::kMaxVolume},
        {QStringLiteral("MinimumRate"), 1.0},
        {QStringLiteral("MaximumRate"), 1.0},
        {QStringLiteral("CanGoNext"), count > 0},
        {QStringLiteral("CanGoPrevious"), count > 0},
        {QStringLiteral("CanPlay"), hasItem},
        {QStringLiteral("CanPause"), hasItem},
        {QStringLiteral("CanSeek"), hasItem},
        {QStringLiteral("CanControl"), true},
    };
}

QString MprisPlayer::playbackStatus() const {
    switch (player_.GetStatus()) {
        case CNxSSComponent::kRunning:
        case CNxSSComponent::kRunningAlt:
            return QStringLiteral("Playing");
        case CNxSSComponent::kPaused:
            return QStringLiteral("Paused");
        default:
            return QStringLiteral("Stopped");
    }
}

QString MprisPlayer::trackId() const {
    return QStringLiteral("/org/mpris/MediaPlayer2/melodux/track/%1").arg(player_.CurrentIndex());
}

QVariantMap MprisPlayer::metadata() const {
    const auto item = player_.CurrentItem();
    if (!item) {
        return {
            {QStringLiteral("mpris:trackid"),
             QVariant::fromValue(QDBusObjectPath("/org/mpris/MediaPlayer2/TrackList/NoTrack"))}};
    }
    QVariantMap map{
        {QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(trackId()))},
        {QStringLiteral("xesam:url"),
         QUrl::fromLocalFile(fromUtf8(item->path)).toString(QUrl::FullyEncoded)}};
    const int64_t lengthMs = item->playTimeMs > 0 ? item->playTimeMs : player_.GetLength();
    if (lengthMs > 0) {
        map.insert(QStringLiteral("mpris:length"), QVariant::fromValue(qlonglong(lengthMs * 1000)));
    }
    // As the window shows it: a file without a title tag by its name.
    map.insert(QStringLiteral("xesam:title"),
               item->title.empty() ? QFileInfo(fromUtf8(item->path)).completeBaseName()
                                   : fromUtf8(item->title));
    if (!item->artist.empty()) {
        map.insert(QStringLiteral("xesam:artist"), QStringList{fromUtf8(item->artist)});
    }
    if (!item->album.empty()) {
        map.insert(QStringLiteral("xesam:album"), fromUtf8(item->album));
    }
    if (item->track > 0) {
        map.insert(QStringLiteral("xesam:trackNumber"), item->track);
    }
    return map;
}

int64_t MprisPlayer::positionUs() const {
    return int64_t{player_.GetPosition()} * 1000;
}

// What changed since the last look is announced; a position off from where
// playing on would have taken it was a seek in the window.
void MprisPlayer::announceChanges() {
    if (!bus_) {
        return;
    }
    const QVariantMap now = playerProperties();
    QVariantMap changed;
    for (auto it = now.begin(); it != now.end(); ++it) {
        if (announced_.value(it.key()) != it.value()) {
            changed.insert(it.key(), it.value());
        }
    }
    const int64_t position = positionUs();
    const int64_t ms = nowMs();
    const bool playing =
        now.value("PlaybackStatus") == "Playing" && announced_.value("PlaybackStatus") == "Playing";
    const int64_t expected = lastPositionUs_ + (playing ? (ms - lastPollMs_) * 1000 : 0);
    const bool sameTrack = !changed.contains(QStringLiteral("Metadata"));
    if (sameTrack && std::llabs(position - expected) > kSeekSlackUs) {
        emitSignal(kPlayer, QStringLiteral("Seeked"), {QVariant::fromValue(qlonglong(position))});
    }
    lastPositionUs_ = position;
    lastPollMs_ = ms;
    announced_ = now;
    if (!changed.isEmpty()) {
        emitSignal(kProperties, QStringLiteral("PropertiesChanged"),
                   {kPlayer, changed, QStringList{}});
    }
}

void MprisPlayer::emitSignal(const QString& interface, const QString& name,
                             const QVariantList& args) {
    if (!bus_) {
        return;
    }
    QDBusMessage signal = QDBusMessage::createSignal(kPath, interface, name);
    signal.setArguments(args);
    bus_->send(signal);
}

}  // namespace ui
