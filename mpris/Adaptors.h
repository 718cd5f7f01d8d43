// The two MPRIS2 interfaces on /org/mpris/MediaPlayer2, answering from the player's session.
// Window's thread (Qt D-Bus delivers calls to the thread of the exported object).
#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QStringList>
#include <QVariantMap>

namespace player {
class Player;
}

namespace mpris {

class MediaControls;

// org.mpris.MediaPlayer2: who we are, and the window's raise and quit.
class RootAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
  Q_PROPERTY(bool CanQuit READ CanQuit)
  Q_PROPERTY(bool CanRaise READ CanRaise)
  Q_PROPERTY(bool HasTrackList READ HasTrackList)
  Q_PROPERTY(QString Identity READ Identity)
  Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
  Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
  Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)

 public:
  RootAdaptor(MediaControls& controls, QObject* exported);

  bool CanQuit() const { return true; }
  bool CanRaise() const { return true; }
  bool HasTrackList() const { return false; }
  QString Identity() const;
  QString DesktopEntry() const;
  QStringList SupportedUriSchemes() const { return {}; }
  QStringList SupportedMimeTypes() const { return {}; }

 public Q_SLOTS:
  void Raise();
  void Quit();

 private:
  MediaControls& controls_;
};

// org.mpris.MediaPlayer2.Player: a live stream that plays or is stopped (no pause, no seek,
// no track list); its title, and the volume slider.
class PlayerAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
  Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
  Q_PROPERTY(double Rate READ Rate WRITE SetRate)
  Q_PROPERTY(QVariantMap Metadata READ Metadata)
  Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
  Q_PROPERTY(qlonglong Position READ Position)
  Q_PROPERTY(double MinimumRate READ Rate)
  Q_PROPERTY(double MaximumRate READ Rate)
  Q_PROPERTY(bool CanGoNext READ No)
  Q_PROPERTY(bool CanGoPrevious READ No)
  Q_PROPERTY(bool CanPlay READ Yes)
  Q_PROPERTY(bool CanPause READ No)
  Q_PROPERTY(bool CanSeek READ No)
  Q_PROPERTY(bool CanControl READ Yes)

 public:
  PlayerAdaptor(MediaControls& controls, QObject* exported);

  QString PlaybackStatus() const;
  double Rate() const { return 1.0; }
  void SetRate(double) {}
  QVariantMap Metadata() const;
  double Volume() const;
  void SetVolume(double volume);
  qlonglong Position() const { return 0; }
  bool Yes() const { return true; }
  bool No() const { return false; }

 public Q_SLOTS:
  void Play();
  void Pause();  // a live stream has no pause: stops
  void PlayPause();
  void Stop();
  void Next() {}
  void Previous() {}
  void Seek(qlonglong) {}
  void SetPosition(const QDBusObjectPath&, qlonglong) {}
  void OpenUri(const QString&) {}

 Q_SIGNALS:
  void Seeked(qlonglong position);

 private:
  player::Player& Session() const;
  MediaControls& controls_;
};

}  // namespace mpris
