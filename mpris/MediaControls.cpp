#include "mpris/MediaControls.h"

#include <unistd.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QFileInfo>

#include "mpris/Adaptors.h"
#include "player/Player.h"

namespace mpris {
namespace {

constexpr char kPlayerInterface[] = "org.mpris.MediaPlayer2.Player";

bool Claim(QDBusConnectionInterface& bus, const QString& name) {
  const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
      bus.registerService(name, QDBusConnectionInterface::DontQueueService,
                          QDBusConnectionInterface::DontAllowReplacement);
  return reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered;
}

// Only a bus that is there: asking for one otherwise may start a bus daemon of its own
// ("autolaunch"), which a player without a session bus must not do.
bool SessionBusAdvertised() {
  if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) return true;
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  return !runtime.isEmpty() && QFileInfo(runtime + QLatin1String("/bus")).exists();
}

}  // namespace

MediaControls::MediaControls(player::Player& session, Application application)
    : session_(session), application_(std::move(application)) {
  track_ = TrackOf(session_.TitleLine(), session_.StationName());
  new RootAdaptor(*this, &exported_);
  new PlayerAdaptor(*this, &exported_);
  FollowSession();
  Register();
}

MediaControls::~MediaControls() {
  if (serviceName_.isEmpty()) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  bus.unregisterObject(QLatin1String(kObjectPath));
  bus.unregisterService(serviceName_);
}

bool MediaControls::Register() {
  if (!SessionBusAdvertised()) return false;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface()) return false;
  if (!bus.registerObject(QLatin1String(kObjectPath), &exported_, QDBusConnection::ExportAdaptors))
    return false;
  // The name is the player's; a second independent player takes its own beside it.
  const QString base = QString::fromLatin1(kBaseName);
  for (const QString& name :
       {base, base + QLatin1String(".instance") + QString::number(::getpid())}) {
    if (Claim(*bus.interface(), name)) {
      serviceName_ = name;
      return true;
    }
  }
  bus.unregisterObject(QLatin1String(kObjectPath));
  return false;
}

void MediaControls::FollowSession() {
  using player::Player;
  connect(&session_, &Player::playingChanged, this, [this] {
    Changed({{QStringLiteral("PlaybackStatus"),
              session_.Playing() ? QStringLiteral("Playing") : QStringLiteral("Stopped")}});
  });
  connect(&session_, &Player::volumeChanged, this, [this] {
    Changed({{QStringLiteral("Volume"), session_.Volume() / 100.0}});
  });
  connect(&session_, &Player::titleLineChanged, this, &MediaControls::TrackMayHaveChanged);
  connect(&session_, &Player::stationNameChanged, this, &MediaControls::TrackMayHaveChanged);
}

void MediaControls::TrackMayHaveChanged() {
  Track track = TrackOf(session_.TitleLine(), session_.StationName());
  if (track == track_) return;
  if (track.title != track_.title) ++trackNumber_;
  track_ = std::move(track);
  Changed({{QStringLiteral("Metadata"), Metadata()}});
}

QVariantMap MediaControls::Metadata() const {
  QVariantMap metadata;
  metadata.insert(QStringLiteral("mpris:trackid"),
                  QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/talvoranest/track/") +
                                                      QString::number(trackNumber_))));
  metadata.insert(QStringLiteral("xesam:title"), track_.title);
  if (!track_.artist.isEmpty()) metadata.insert(QStringLiteral("xesam:artist"), track_.artist);
  if (!track_.album.isEmpty()) metadata.insert(QStringLiteral("xesam:album"), track_.album);
  return metadata;
}

void MediaControls::Changed(const QVariantMap& properties) {
  if (serviceName_.isEmpty()) return;
  QDBusMessage message = QDBusMessage::createSignal(
      QLatin1String(kObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
      QStringLiteral("PropertiesChanged"));
  message << QString::fromLatin1(kPlayerInterface) << properties << QStringList();
  QDBusConnection::sessionBus().send(message);
}

}  // namespace mpris
