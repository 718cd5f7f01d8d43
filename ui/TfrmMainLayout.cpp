// The window's controls: place, size, stacking order (later children lie above earlier ones)
// and look.
#include <QImage>
#include <QSlider>
#include <QTimer>

#include "assets/Artwork.h"
#include "ui/EffectLabel.h"
#include "ui/Fonts.h"
#include "ui/ImageButton.h"
#include "ui/Picture.h"
#include "ui/TfrmMain.h"
#include "widgets/LevelMeter.h"

namespace {

constexpr char kSliderStyle[] = R"(
QSlider { background: transparent; }
QSlider::groove:horizontal {
  height: 4px; border-radius: 2px; margin: 0 2px;
  background: #050a16; border: 1px solid #3a5285;
}
QSlider::sub-page:horizontal {
  height: 4px; border-radius: 2px; margin: 0 2px;
  background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #e8901a, stop:1 #ffd27a);
  border: 1px solid #6b3d00;
}
QSlider::handle:horizontal {
  width: 12px; margin: -5px 0; border-radius: 7px;
  background: qradialgradient(cx:0.4, cy:0.35, radius:0.8, fx:0.4, fy:0.3,
                              stop:0 #ffffff, stop:0.5 #c9d8f2, stop:1 #5d7cb5);
  border: 1px solid #050810;
}
)";

template <typename T>
T* Place(T* control, const char* name, int left, int top, int width, int height) {
  control->setObjectName(name);
  control->setGeometry(left, top, width, height);
  return control;
}

ui::ImageButton* Button(QWidget* parent, const char* name, int left, int top, int size,
                        const char* picture) {
  auto* button = Place(new ui::ImageButton(parent), name, left, top, size, size);
  button->setPicture(QImage(QString::fromLatin1(picture)));
  return button;
}

ui::EffectLabel* Label(QWidget* parent, const char* name, QRect place, const QFont& font,
                       const ui::LabelStyle& style) {
  auto* label =
      Place(new ui::EffectLabel(parent), name, place.x(), place.y(), place.width(), place.height());
  label->setFont(font);
  label->setLabelStyle(style);
  return label;
}

ui::LabelStyle LineStyle(bool wraps, bool showAccelChar, ui::EffectDirection direction) {
  ui::LabelStyle style;
  style.textColor = QColor(0xFF, 0xFF, 0xFF);
  style.alignment = Qt::AlignCenter;
  style.wordWrap = wraps;
  style.effect = ui::TextEffect::Cool;
  style.depth = 1;
  style.effectColor = QColor(0, 0, 0);
  style.direction = direction;
  style.showAccelChar = showAccelChar;
  return style;
}

ui::LabelStyle FormatStyle(Qt::Alignment alignment, ui::EffectDirection direction) {
  ui::LabelStyle style;
  style.textColor = QColor(0xE9, 0xE9, 0xE9);
  style.alignment = alignment | Qt::AlignTop;
  style.wordWrap = true;
  style.effect = ui::TextEffect::Fun;
  style.depth = 0;
  style.effectColor = QColor(0, 0, 0);
  style.direction = direction;
  style.vertical = true;
  return style;
}

}  // namespace

void TfrmMain::BuildControls() {
  using ui::EffectDirection;
  ui::LoadWindowFonts();

  Image1 = Place(new ui::Picture(this), "Image1", 0, 0, 543, 193);
  Image1->setPixmap(QPixmap::fromImage(QImage(QString::fromLatin1(artwork::kSkin))));
  btnKapat = Button(this, "btnKapat", 502, 10, 21, artwork::kCloseButton);
  btnMinimize = Button(this, "btnMinimize", 477, 10, 21, artwork::kMinimizeButton);
  btnSesAcik = Button(this, "btnSesAcik", 54, 145, 16, artwork::kSoundOnButton);
  btnDur = Button(this, "btnDur", 36, 145, 16, artwork::kStopButton);
  btnPlay = Button(this, "btnPlay", 18, 145, 16, artwork::kPlayButton);
  btnSesKapali = Button(this, "btnSesKapali", 271, 120, 16, artwork::kSoundOffButton);
  btnSesKapali->hide();
  Image4 = Place(new ui::Picture(this), "Image4", 318, 31, 213, 135);
  Image4->setPixmap(QPixmap::fromImage(QImage(QString::fromLatin1(artwork::kLogo))));

  Label4 = Label(this, "Label4", {81, 45, 244, 30}, ui::TahomaFont(21, true),
                 LineStyle(false, true, EffectDirection::RightBottom));
  sndBar = Place(new QSlider(Qt::Horizontal, this), "sndBar", 66, 142, 255, 29);
  sndBar->setRange(0, 100);
  sndBar->setSingleStep(1);
  sndBar->setTickPosition(QSlider::NoTicks);
  sndBar->setStyleSheet(QLatin1String(kSliderStyle));
  Label3 = Label(this, "Label3", {81, 74, 244, 64}, ui::TahomaFont(21, true),
                 LineStyle(true, false, EffectDirection::RightBottom));
  sLink = Label(this, "sLink", {90, 163, 353, 30}, ui::TahomaFont(20, true),
                LineStyle(false, true, EffectDirection::LeftBottom));
  lKbps = Label(this, "lKbps", {7, 31, 19, 108}, ui::VerdanaFont(12, false),
                FormatStyle(Qt::AlignRight, EffectDirection::Top));
  lKbps->setText(QStringLiteral("0 kbps aac"));
  lHz = Label(this, "lHz", {21, 31, 15, 108}, ui::VerdanaFont(12, false),
              FormatStyle(Qt::AlignLeft, EffectDirection::Right));
  lHz->setText(QStringLiteral("0 Hz"));
  lSag = widgets::CreateLevelMeter(this, 58, 29);
  lSag->setObjectName(QStringLiteral("lSag"));
  lSol = widgets::CreateLevelMeter(this, 37, 29);
  lSol->setObjectName(QStringLiteral("lSol"));

  for (ui::ImageButton* button : {btnKapat, btnMinimize}) {
    button->setCursor(Qt::PointingHandCursor);
  }
  btnKapat->setToolTip(QStringLiteral("Kapat"));
  btnMinimize->setToolTip(QStringLiteral("Simge Durumu"));
}

void TfrmMain::BuildTimers() {
  TimerKontrol = new QTimer(this);
  TimerKontrol->setObjectName("TimerKontrol");
  TimerKontrol->setInterval(25000);
  TimerKontrol->setTimerType(Qt::PreciseTimer);  // its period is observable: keep it exact
  tLevel = new QTimer(this);
  tLevel->setObjectName("tLevel");
  tLevel->setInterval(20);
  TimerKontrol->start();
  tLevel->start();
}
