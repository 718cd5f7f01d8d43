// The desktop's media controls: MPRIS2 on the session bus, a second view of the player's
// session beside the window. Media keys, the panel's media widget and playerctl drive the
// player through it and show its titles.
//
// Window's thread. Without a session bus, or when no name can be had, it does nothing and
// says nothing: the player runs as it would without it.
#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>
#include <functional>

#include "mpris/Track.h"

namespace player {
class Player;
}

namespace mpris {

// What the application tells the desktop about itself, and what only its window can do.
struct Application {
  QString identity;             // the name the desktop shows
  QString desktopEntry;         // the installed desktop entry, without ".desktop"
  std::function<void()> raise;  // up and to the front, also from minimized
  std::function<void()> quit;   // as the close button
};

class MediaControls : public QObject {
  Q_OBJECT

 public:
  static constexpr char kObjectPath[] = "/org/mpris/MediaPlayer2";
  static constexpr char kBaseName[] = "org.mpris.MediaPlayer2.talvoranest";

  MediaControls(player::Player& session, Application application);
  ~MediaControls() override;

  // The bus name held ("" when none): kBaseName, or for a second independent player
  // kBaseName + ".instance<pid>".
  const QString& ServiceName() const { return serviceName_; }

  player::Player& Session() const { return session_; }
  const Application& App() const { return application_; }
  // The metadata map; its track id changes with each title.
  QVariantMap Metadata() const;

 private:
  bool Register();
  void FollowSession();
  // One PropertiesChanged of the player interface carrying only these.
  void Changed(const QVariantMap& properties);
  void TrackMayHaveChanged();

  player::Player& session_;
  Application application_;
  QObject exported_{this};  // /org/mpris/MediaPlayer2, carrying both adaptors
  QString serviceName_;
  Track track_;
  quint64 trackNumber_ = 0;
};

}  // namespace mpris
