// The commands: station selection, play, stop, mute, unmute, volume and the watchdog tick.
#include <algorithm>

#include "player/Player.h"
#include "player/Volume.h"
#include "sources/Station.h"
#include "sources/StationSelection.h"
#include "stream/SharedState.h"
#include "stream/Worker.h"

namespace player {

void Player::OpenStation(const std::string& path) {
  bool selected = false;
  try {
    selected = sources::SelectStationTexts(path);
  } catch (...) {
    Publish();  // a reader may have changed the texts before it failed
    throw;
  }
  Publish();
  if (selected) {
    SetLabel4(::StationName);
    SetLabel3(sources::StationSlogan);
  }
  BASS_Stop();
  BASS_StreamFree(StreamChannel.load());
  // Starts the worker between stopping and resuming the output.
  stream::StartWorker(::StreamUrl);
  outputRuns_ = true;
  Publish();
  SetVolumeFromEngine();
  RefreshPlaying();
}

void Player::Play() {
  // Stops the output, starts a worker on the current address, resumes the output.
  stream::StartWorker(::StreamUrl);
  outputRuns_ = true;
  Publish();
  SetVolumeFromEngine();
  SetWantsToPlay(true);
  RefreshPlaying();
}

void Player::Stop() {
  SetWantsToPlay(false);
  BASS_Stop();
  outputRuns_ = false;
  RefreshPlaying();
}

void Player::Mute() {
  SetMuted(true);
  BASS_SetVolume(0.0f);
}

void Player::Unmute() {
  SetMuted(false);
  BASS_SetVolume(SliderToVolume(volume_));
}

void Player::SetVolume(int position) {
  position = std::clamp(position, 0, 100);
  if (position == volume_) return;
  volume_ = position;
  BASS_SetVolume(SliderToVolume(volume_));
  Q_EMIT volumeChanged();
}

void Player::SetVolumeFromEngine() {
  SetVolume(VolumeToSlider(BASS_GetVolume()));
}

void Player::WatchdogTick() {
  if (BASS_ChannelIsActive(StreamChannel.load()) == BASS_ACTIVE_PLAYING) return;
  SetLabel4("Servis Yok");
  RepaintLabel4();
  Play();
}

}  // namespace player
