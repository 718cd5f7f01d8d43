// The window's own handlers: dragging, closing, minimizing, the link to the station's site and
// the hidden stream-address box.
#include <QDesktopServices>
#include <QGuiApplication>
#include <QSlider>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include "sources/Station.h"
#include "ui/Boxes.h"
#include "ui/EffectLabel.h"
#include "ui/ImageButton.h"
#include "ui/Picture.h"
#include "ui/TfrmMain.h"

void TfrmMain::ConnectHandlers() {
  connect(Image1, &ui::Picture::pressed, this, &TfrmMain::Image1MouseDown);
  connect(Image4, &ui::Picture::pressed, this, &TfrmMain::Image4MouseDown);
  connect(Label3, &ui::EffectLabel::pressed, this, &TfrmMain::Label3MouseDown);
  connect(Label4, &ui::EffectLabel::pressed, this, &TfrmMain::Label4MouseDown);
  connect(Label4, &ui::EffectLabel::doubleClicked, this, &TfrmMain::Label4DblClick);
  connect(btnKapat, &QAbstractButton::clicked, this, &TfrmMain::btnKapatClick);
  connect(btnMinimize, &QAbstractButton::clicked, this, &TfrmMain::btnMinimizeClick);
  connect(sLink, &ui::EffectLabel::clicked, this, &TfrmMain::sLinkClick);
  connect(sLink, &ui::EffectLabel::entered, this, &TfrmMain::sLinkMouseEnter);
  connect(sLink, &ui::EffectLabel::left, this, &TfrmMain::sLinkMouseLeave);
  connect(lKbps, &ui::EffectLabel::clicked, this, &TfrmMain::lKbpsClick);
  connect(lHz, &ui::EffectLabel::clicked, this, &TfrmMain::lKbpsClick);
  connect(btnPlay, &QAbstractButton::clicked, this, &TfrmMain::btnPlayClick);
  connect(btnDur, &QAbstractButton::clicked, this, &TfrmMain::btnDurClick);
  connect(btnSesAcik, &QAbstractButton::clicked, this, &TfrmMain::btnSesAcikClick);
  connect(btnSesKapali, &QAbstractButton::clicked, this, &TfrmMain::btnSesKapaliClick);
  connect(sndBar, &QSlider::valueChanged, this, &TfrmMain::sndBarPropertiesChange);
  connect(TimerKontrol, &QTimer::timeout, this, &TfrmMain::TimerKontrolTimer);
  connect(tLevel, &QTimer::timeout, this, &TfrmMain::tLevelTimer);
}

void TfrmMain::StartSystemMove() {
  if (QWindow* window = windowHandle()) window->startSystemMove();
}

void TfrmMain::Image1MouseDown() {
  StartSystemMove();
}

void TfrmMain::Image4MouseDown() {
  StartSystemMove();
}

void TfrmMain::Label3MouseDown() {
  StartSystemMove();
}

void TfrmMain::Label4MouseDown() {
  StartSystemMove();
}

void TfrmMain::btnKapatClick() {
  close();
}

void TfrmMain::btnMinimizeClick() {
  showMinimized();
}

// Intended: always the built-in station's site, whatever SiteAddress holds or the station
// line shows; a settings file or a playlist never redirects the link.
void TfrmMain::OpenSite() {
  QDesktopServices::openUrl(QUrl(QString::fromStdString(sources::StationSiteUrl())));
}

void TfrmMain::sLinkClick() {
  OpenSite();
}

void TfrmMain::sLinkMouseEnter() {
  if (QGuiApplication::overrideCursor()) {
    QGuiApplication::changeOverrideCursor(Qt::PointingHandCursor);
  } else {
    QGuiApplication::setOverrideCursor(Qt::PointingHandCursor);
  }
}

void TfrmMain::sLinkMouseLeave() {
  while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
}

void TfrmMain::Label4DblClick() {
  if (Label4->text().contains(QLatin1String("www."), Qt::CaseSensitive)) OpenSite();
}

void TfrmMain::lKbpsClick() {
  ++Tag;
  if (Tag <= 20) return;
  ui::ShowInputBox({this, QStringLiteral("Bilgi"), QString::fromUtf8("Yayın Adresi :"),
                    QString::fromStdString(sources::DefaultStreamUrl() + " - ")});
}
