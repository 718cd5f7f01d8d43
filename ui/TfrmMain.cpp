#include "ui/TfrmMain.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QShowEvent>
#include <QSlider>
#include <QTimer>
#include <utility>

#include "assets/Artwork.h"
#include "engine/bass.h"
#include "player/Player.h"
#include "sources/Station.h"
#include "stream/EngineSettings.h"
#include "stream/StatusWindow.h"
#include "text/Text.h"
#include "ui/Boxes.h"
#include "ui/EffectLabel.h"
#include "ui/Placement.h"
#include "ui/WindowShape.h"

namespace {

TfrmMain::HandlerErrorFunction& HandlerErrorHook() {
  static TfrmMain::HandlerErrorFunction hook;
  return hook;
}

// The message loop's error box, for when app/ has not installed its own.
void ShowHandlerError(const std::exception& error) {
  if (HandlerErrorHook()) return HandlerErrorHook()(error);
  QString text = QString::fromStdString(text::DisplayUtf8(error.what()));
  if (!text.isEmpty() && text.back() > QLatin1Char('.')) text += QLatin1Char('.');
  ui::ShowMessageBox(
      {nullptr, QGuiApplication::applicationDisplayName(), text, QMessageBox::Critical});
}

constexpr int kTransparencyPercent = 10;

}  // namespace

void TfrmMain::SetHandlerErrorFunction(HandlerErrorFunction function) {
  HandlerErrorHook() = std::move(function);
}

TfrmMain::TfrmMain(player::Player& player, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), player_(player) {
  setObjectName("frmMain");
  setFixedSize(543, 193);
  BuildControls();
  BuildTimers();
  ConnectHandlers();
  FollowPlayer();
  FormCreate();
}

TfrmMain::~TfrmMain() {
  FormDestroy();
}

void TfrmMain::FormCreate() {
  ui::SetWindowTranslucency(this, kTransparencyPercent);
  QCoreApplication::processEvents();

  if ((BASS_GetVersion() >> 16) != BASSVERSION) {
    RequestEnd();
    ui::ShowMessageBox({nullptr, QString(), QString::fromUtf8("BASS.DLL kütüphanesi bulunamadı.."),
                        QMessageBox::Critical});
    return;
  }
  if (!BASS_Init(-1, 44100, 0, this, nullptr)) {
    RequestEnd();
    ShowEngineError(QStringLiteral("Cant initialize device"));
    return;
  }
  BASS_PluginLoad("basswma", 1);
  BASS_PluginLoad("bass_aac.dll", 1);
  stream::ConfigureEngine();
  setMask(ui::RegionFromBitmap(QImage(QString::fromLatin1(artwork::kSkin))));
}

// A window that will never be shown must not reconnect while its box is open.
void TfrmMain::RequestEnd() {
  endRequested_ = true;
  TimerKontrol->stop();
  tLevel->stop();
}

void TfrmMain::ShowEngineError(const QString& text) {
  const QString message = text + QStringLiteral("\n(error code: ") +
                          QString::number(BASS_ErrorGetCode()) + QLatin1Char(')');
  ui::ShowMessageBox({this, QString(), message, QMessageBox::NoIcon});
}

void TfrmMain::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (shown_ || event->spontaneous()) return;
  shown_ = true;
  // An error must not cross Qt's event dispatch: it ends FormShow and goes to the error box.
  try {
    FormShow();
  } catch (const std::exception& error) {
    ShowHandlerError(error);
  }
}

void TfrmMain::FormShow() {
  raise();
  activateWindow();
  sLink->setText(QString::fromStdString(sources::StationHost()));
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(ui::WindowPlacement(screen->geometry().size(), size()));
  }
  OpenStation(firstArgument_);
  player_.SetVolumeFromEngine();
}

// Workers released from a blocked send find the process closing and touch nothing more.
void TfrmMain::FormDestroy() {
  stream::DetachStatusWindow();
  BASS_Free();
}

void TfrmMain::SetFirstArgument(std::string argument) {
  firstArgument_ = std::move(argument);
}

void TfrmMain::WMOpenSource(const std::string& path) {
  OpenStation(path);
}

void TfrmMain::OpenStation(const std::string& path) {
  player_.OpenStation(path);
}

void TfrmMain::Raise() {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
}
