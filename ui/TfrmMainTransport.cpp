// Play, stop, mute, unmute, the volume slider, the reconnecting watchdog and the level feed.
#include <QSlider>
#include <QTimer>

#include "engine/bass.h"
#include "sources/Station.h"
#include "stream/SharedState.h"
#include "stream/Worker.h"
#include "ui/EffectLabel.h"
#include "ui/ImageButton.h"
#include "ui/TfrmMain.h"
#include "ui/Volume.h"
#include "widgets/BlockBarWidget.h"
#include "widgets/LevelFeed.h"

// Switching the watchdog on while it runs keeps its period.
void TfrmMain::SetTimerKontrolEnabled(bool enabled) {
  if (!enabled) {
    TimerKontrol->stop();
  } else if (!TimerKontrol->isActive()) {
    TimerKontrol->start();
  }
}

void TfrmMain::btnPlayClick() {
  // Stops the output, starts a worker on the current address, resumes the output.
  stream::StartWorker(StreamUrl);
  SetSliderFromEngine();
  SetTimerKontrolEnabled(true);
}

void TfrmMain::btnDurClick() {
  SetTimerKontrolEnabled(false);
  BASS_Stop();
}

void TfrmMain::btnSesAcikClick() {
  btnSesKapali->move(btnSesKapali->x(), btnSesAcik->y());
  btnSesKapali->move(btnSesAcik->x(), btnSesKapali->y());
  btnSesKapali->show();
  btnSesAcik->hide();
  BASS_SetVolume(0.0f);
}

void TfrmMain::btnSesKapaliClick() {
  btnSesKapali->hide();
  btnSesAcik->show();
  BASS_SetVolume(ui::SliderToVolume(sndBar->value()));
}

void TfrmMain::sndBarPropertiesChange() {
  BASS_SetVolume(ui::SliderToVolume(sndBar->value()));
}

void TfrmMain::TimerKontrolTimer() {
  if (BASS_ChannelIsActive(StreamChannel.load()) == BASS_ACTIVE_PLAYING) return;
  SetLabel4("Servis Yok");
  Label4->repaint();
  btnPlayClick();
}

void TfrmMain::tLevelTimer() {
  const HSTREAM channel = StreamChannel.load();
  const bool playing = BASS_ChannelIsActive(channel) == BASS_ACTIVE_PLAYING;
  const widgets::LevelPositions levels =
      widgets::LevelFeedPositions(playing, playing ? BASS_ChannelGetLevel(channel) : 0);
  lSol->Bar().SetPosition(levels.left);
  lSag->Bar().SetPosition(levels.right);
}
