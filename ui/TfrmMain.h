// The player window: a frameless, shaped, slightly translucent 543 x 193 skin with the station
// lines, the format labels, the transport buttons, the volume slider and the level meters.
//
// Life cycle, as app/ drives it:
//   player::Player session;        // the state and commands the window is a view of
//   TfrmMain w(session);           // builds the controls and runs FormCreate
//   if (w.EndRequested()) return 0;  // the engine is missing or cannot start (box shown)
//   w.SetFirstArgument(arg);       // before the first show
//   w.show();                      // the first show runs FormShow (placement, first station)
//   ... w.WMOpenSource(path) for every hand-off from a second start ...
// Destroying the window runs FormDestroy (frees the engine; workers are not waited for).
//
// The window is a view of the player's session: its texts, buttons and slider follow the
// session's signals, and its transport handlers are calls into the session's commands.
// Every member runs on the window's thread.
#pragma once

#include <QWidget>
#include <exception>
#include <functional>
#include <string>

class QSlider;
class QTimer;

namespace ui {
class EffectLabel;
class ImageButton;
class Picture;
}  // namespace ui
namespace widgets {
class BlockBarWidget;
}
namespace player {
class Player;
}

class TfrmMain : public QWidget {
  Q_OBJECT

 public:
  // Errors raised inside a handler that Qt dispatches (the first show's station selection)
  // must not cross Qt's event dispatch; they go to this function instead. app/ installs the
  // message loop's error box; the default shows the same box through ui::ShowMessageBox.
  using HandlerErrorFunction = std::function<void(const std::exception&)>;
  static void SetHandlerErrorFunction(HandlerErrorFunction function);

  explicit TfrmMain(player::Player& player, QWidget* parent = nullptr);
  ~TfrmMain() override;

  // True when creation found the engine missing or unable to start; the box was shown and
  // the window must not be shown.
  bool EndRequested() const { return endRequested_; }
  // The first command-line argument ("" when none), selected at the first show.
  void SetFirstArgument(std::string argument);
  // A path handed over by a second start. Raises sources::InputError like OpenStation.
  void WMOpenSource(const std::string& path);
  // Station selection and restart of the stream. Raises sources::InputError when a file
  // exists but cannot be read; nothing is restarted then.
  void OpenStation(const std::string& path);
  // Brings the window up and to the front, also from minimized.
  void Raise();

 public Q_SLOTS:
  void Image1MouseDown();
  void Image4MouseDown();
  void Label3MouseDown();
  void Label4MouseDown();
  void btnKapatClick();
  void btnMinimizeClick();
  void sLinkClick();
  void sLinkMouseEnter();
  void sLinkMouseLeave();
  void Label4DblClick();
  void lKbpsClick();
  void btnPlayClick();
  void btnDurClick();
  void btnSesAcikClick();
  void btnSesKapaliClick();
  void sndBarPropertiesChange();
  void TimerKontrolTimer();
  void tLevelTimer();

 protected:
  void showEvent(QShowEvent* event) override;
  // Hands the window to the window manager's move loop; tests observe it.
  virtual void StartSystemMove();

 private:
  void BuildControls();
  void BuildTimers();
  void ConnectHandlers();
  // The controls follow the session.
  void FollowPlayer();
  void ShowMuted();
  void ShowWatchdog();
  void FormCreate();
  void FormShow();
  void FormDestroy();
  void RequestEnd();
  void ShowEngineError(const QString& text);
  void OpenSite();

  // The controls keep the short Turkish names they are known by; bottom to top as stacked.
  ui::Picture* Image1 = nullptr;            // skin
  ui::ImageButton* btnKapat = nullptr;      // close
  ui::ImageButton* btnMinimize = nullptr;   // minimize
  ui::ImageButton* btnSesAcik = nullptr;    // mute, shown while the sound is on
  ui::ImageButton* btnDur = nullptr;        // stop
  ui::ImageButton* btnPlay = nullptr;       // play (reconnect)
  ui::ImageButton* btnSesKapali = nullptr;  // unmute, shown while muted
  ui::Picture* Image4 = nullptr;            // logo
  ui::EffectLabel* Label4 = nullptr;        // status and station line
  QSlider* sndBar = nullptr;                // volume
  ui::EffectLabel* Label3 = nullptr;        // slogan and title line
  ui::EffectLabel* sLink = nullptr;         // site link
  ui::EffectLabel* lKbps = nullptr;         // bitrate and format
  ui::EffectLabel* lHz = nullptr;           // sample rate and channels
  widgets::BlockBarWidget* lSag = nullptr;  // right level
  widgets::BlockBarWidget* lSol = nullptr;  // left level
  QTimer* TimerKontrol = nullptr;           // 25 s watchdog
  QTimer* tLevel = nullptr;                 // 20 ms level feed

  player::Player& player_;
  int Tag = 0;  // clicks on the format labels, never reset
  bool endRequested_ = false;
  bool shown_ = false;
  std::string firstArgument_;
};
