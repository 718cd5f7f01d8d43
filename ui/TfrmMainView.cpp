// The window as a view of the player's session: its lines, format labels, slider, mute
// buttons and watchdog follow the session's signals.
#include <QSlider>
#include <QTimer>

#include "player/Player.h"
#include "text/Text.h"
#include "ui/EffectLabel.h"
#include "ui/ImageButton.h"
#include "ui/TfrmMain.h"

namespace {

QString ScreenText(const std::string& text) {
  return QString::fromStdString(text::DisplayUtf8(text));
}

}  // namespace

void TfrmMain::FollowPlayer() {
  using player::Player;
  const auto follow = [this](void (Player::*signal)(), ui::EffectLabel* label,
                             const std::string& (Player::*text)() const) {
    const auto show = [this, label, text] { label->setText(ScreenText((player_.*text)())); };
    connect(&player_, signal, label, show);
    show();
  };
  follow(&Player::statusLineChanged, Label4, &Player::StatusLine);
  follow(&Player::titleLineChanged, Label3, &Player::TitleLine);
  follow(&Player::kbpsChanged, lKbps, &Player::KbpsText);
  follow(&Player::hzChanged, lHz, &Player::HzText);
  connect(&player_, &Player::statusLineRepaintRequested, Label4, [this] { Label4->repaint(); });
  // Setting the slider runs its change handler, which finds the session already there.
  connect(&player_, &Player::volumeChanged, sndBar, [this] { sndBar->setValue(player_.Volume()); });
  connect(&player_, &Player::mutedChanged, this, &TfrmMain::ShowMuted);
  connect(&player_, &Player::wantsToPlayChanged, this, &TfrmMain::ShowWatchdog);
}

// The muted button takes the sound button's place: first its top, then its left edge.
void TfrmMain::ShowMuted() {
  if (player_.Muted()) {
    btnSesKapali->move(btnSesKapali->x(), btnSesAcik->y());
    btnSesKapali->move(btnSesAcik->x(), btnSesKapali->y());
    btnSesKapali->show();
    btnSesAcik->hide();
  } else {
    btnSesKapali->hide();
    btnSesAcik->show();
  }
}

// Switching the watchdog on while it runs keeps its period.
void TfrmMain::ShowWatchdog() {
  if (!player_.WantsToPlay()) {
    TimerKontrol->stop();
  } else if (!TimerKontrol->isActive()) {
    TimerKontrol->start();
  }
}
