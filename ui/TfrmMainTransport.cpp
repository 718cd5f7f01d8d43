// Play, stop, mute, unmute, the volume slider, the reconnecting watchdog and the level feed.
#include <QSlider>

#include "engine/bass.h"
#include "player/Player.h"
#include "stream/SharedState.h"
#include "ui/TfrmMain.h"
#include "widgets/BlockBarWidget.h"
#include "widgets/LevelFeed.h"

void TfrmMain::btnPlayClick() {
  player_.Play();
}

void TfrmMain::btnDurClick() {
  player_.Stop();
}

void TfrmMain::btnSesAcikClick() {
  player_.Mute();
}

void TfrmMain::btnSesKapaliClick() {
  player_.Unmute();
}

void TfrmMain::sndBarPropertiesChange() {
  player_.SetVolume(sndBar->value());
}

void TfrmMain::TimerKontrolTimer() {
  player_.WatchdogTick();
}

void TfrmMain::tLevelTimer() {
  const HSTREAM channel = StreamChannel.load();
  const bool playing = BASS_ChannelIsActive(channel) == BASS_ACTIVE_PLAYING;
  const widgets::LevelPositions levels =
      widgets::LevelFeedPositions(playing, playing ? BASS_ChannelGetLevel(channel) : 0);
  lSol->Bar().SetPosition(levels.left);
  lSag->Bar().SetPosition(levels.right);
}
