#include <algorithm>
#include <cmath>

#include "mpris/Adaptors.h"
#include "mpris/MediaControls.h"
#include "player/Player.h"

namespace mpris {

PlayerAdaptor::PlayerAdaptor(MediaControls& controls, QObject* exported)
    : QDBusAbstractAdaptor(exported), controls_(controls) {}

player::Player& PlayerAdaptor::Session() const {
  return controls_.Session();
}

QString PlayerAdaptor::PlaybackStatus() const {
  return Session().Playing() ? QStringLiteral("Playing") : QStringLiteral("Stopped");
}

QVariantMap PlayerAdaptor::Metadata() const {
  return controls_.Metadata();
}

double PlayerAdaptor::Volume() const {
  return Session().Volume() / 100.0;
}

// Moves the slider, so its change handler runs as for a move by hand.
void PlayerAdaptor::SetVolume(double volume) {
  if (std::isnan(volume)) return;
  Session().SetVolume(static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * 100.0)));
}

void PlayerAdaptor::Play() {
  Session().Play();
}

void PlayerAdaptor::Pause() {
  Session().Stop();
}

void PlayerAdaptor::PlayPause() {
  if (Session().Playing()) {
    Session().Stop();
  } else {
    Session().Play();
  }
}

void PlayerAdaptor::Stop() {
  Session().Stop();
}

}  // namespace mpris
