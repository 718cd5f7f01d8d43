#include <QFontInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSlider>
#include <QTimer>

#include "sources/Station.h"
#include "tests/integration/ui/WindowFixture.h"
#include "tests/support/TempFolder.h"
#include "ui/EffectLabel.h"
#include "ui/Fonts.h"
#include "ui/Placement.h"

namespace ui_test {
namespace {

using Creation = WindowTest;

struct Place {
  const char* name;
  QRect rect;
  bool shown;
};

// Bottom to top, as the window stacks them.
const Place kControls[] = {
    {"Image1", {0, 0, 543, 193}, true},          {"btnKapat", {502, 10, 21, 21}, true},
    {"btnMinimize", {477, 10, 21, 21}, true},    {"btnSesAcik", {54, 145, 16, 16}, true},
    {"btnDur", {36, 145, 16, 16}, true},         {"btnPlay", {18, 145, 16, 16}, true},
    {"btnSesKapali", {271, 120, 16, 16}, false}, {"Image4", {318, 31, 213, 135}, true},
    {"Label4", {81, 45, 244, 30}, true},         {"sndBar", {66, 142, 255, 29}, true},
    {"Label3", {81, 74, 244, 64}, true},         {"sLink", {90, 163, 353, 30}, true},
    {"lKbps", {7, 31, 19, 108}, true},           {"lHz", {21, 31, 15, 108}, true},
    {"lSag", {58, 29, 20, 112}, true},           {"lSol", {37, 29, 20, 112}, true},
};

TEST_F(Creation, EveryControlInItsPlaceAndStackingOrder) {
  TestWindow& window = Window();
  EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(window.minimumSize(), QSize(543, 193));
  EXPECT_EQ(window.maximumSize(), QSize(543, 193));

  QStringList stacking;
  for (QObject* child : window.children()) {
    if (child->isWidgetType()) stacking << child->objectName();
  }
  QStringList expected;
  for (const Place& place : kControls) {
    expected << place.name;
    auto* control = Control<QWidget>(place.name);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->geometry(), place.rect) << place.name;
    EXPECT_EQ(!control->isHidden(), place.shown) << place.name;
    const bool hand =
        place.name == std::string("btnKapat") || place.name == std::string("btnMinimize");
    EXPECT_EQ(control->testAttribute(Qt::WA_SetCursor), hand) << place.name;
    EXPECT_EQ(!control->toolTip().isEmpty(), hand) << place.name;
  }
  EXPECT_EQ(stacking, expected);
  EXPECT_EQ(Control<QWidget>("btnKapat")->toolTip(), "Kapat");
  EXPECT_EQ(Control<QWidget>("btnMinimize")->toolTip(), "Simge Durumu");
}

TEST_F(Creation, InitialTextsSliderAndTimers) {
  EXPECT_EQ(Text("Label4"), "");
  EXPECT_EQ(Text("Label3"), "");
  EXPECT_EQ(Text("lKbps"), "0 kbps aac");
  EXPECT_EQ(Text("lHz"), "0 Hz");
  auto* slider = Control<QSlider>("sndBar");
  EXPECT_EQ(slider->minimum(), 0);
  EXPECT_EQ(slider->maximum(), 100);
  EXPECT_EQ(slider->singleStep(), 1);
  EXPECT_EQ(slider->value(), 0);
  EXPECT_EQ(slider->tickPosition(), QSlider::NoTicks);
  auto* watchdog = Control<QTimer>("TimerKontrol");
  EXPECT_TRUE(watchdog->isActive());
  EXPECT_EQ(watchdog->interval(), 25000);
  auto* level = Control<QTimer>("tLevel");
  EXPECT_TRUE(level->isActive());
  EXPECT_EQ(level->interval(), 20);
}

struct Look {
  const char* name;
  int pixelSize;
  bool bold;
  QColor color;
  Qt::Alignment alignment;
  bool wraps;
  ui::TextEffect effect;
  int depth;
  ui::EffectDirection direction;
  bool vertical;
  bool showAccelChar;
};

TEST_F(Creation, EveryLabelWithItsFontColourAlignmentEffectAndAngle) {
  using ui::EffectDirection;
  using ui::TextEffect;
  const QColor white(0xFF, 0xFF, 0xFF), grey(0xE9, 0xE9, 0xE9);
  const Look looks[] = {
      {"Label4", 21, true, white, Qt::AlignCenter, false, TextEffect::Cool, 1,
       EffectDirection::RightBottom, false, true},
      {"Label3", 21, true, white, Qt::AlignCenter, true, TextEffect::Cool, 1,
       EffectDirection::RightBottom, false, false},
      {"sLink", 20, true, white, Qt::AlignCenter, false, TextEffect::Cool, 1,
       EffectDirection::LeftBottom, false, true},
      {"lKbps", 12, false, grey, Qt::AlignRight | Qt::AlignTop, true, TextEffect::Fun, 0,
       EffectDirection::Top, true, true},
      {"lHz", 12, false, grey, Qt::AlignLeft | Qt::AlignTop, true, TextEffect::Fun, 0,
       EffectDirection::Right, true, true},
  };
  for (const Look& look : looks) {
    auto* label = Control<ui::EffectLabel>(look.name);
    const ui::LabelStyle& style = label->style();
    EXPECT_EQ(label->font().pixelSize(), look.pixelSize) << look.name;
    EXPECT_EQ(label->font().bold(), look.bold) << look.name;
    EXPECT_EQ(style.textColor, look.color) << look.name;
    EXPECT_EQ(style.alignment, look.alignment) << look.name;
    EXPECT_EQ(style.wordWrap, look.wraps) << look.name;
    EXPECT_EQ(style.effect, look.effect) << look.name;
    EXPECT_EQ(style.depth, look.depth) << look.name;
    EXPECT_EQ(style.effectColor, QColor(0, 0, 0)) << look.name;
    EXPECT_EQ(style.direction, look.direction) << look.name;
    EXPECT_EQ(style.vertical, look.vertical) << look.name;
    EXPECT_EQ(style.showAccelChar, look.showAccelChar) << look.name;
  }
  for (const char* line : {"Label4", "Label3", "sLink"}) {
    auto* label = Control<QWidget>(line);
    EXPECT_EQ(label->font(), ui::TahomaFont(label->font().pixelSize(), true)) << line;
  }
  const QString verdana = QFontInfo(Control<QWidget>("lKbps")->font()).family();
  EXPECT_TRUE(verdana == "Verdana" || verdana == "DejaVu Sans") << verdana.toStdString();
}

TEST_F(Creation, EngineTestedStartedAndConfiguredThenTheWindowShaped) {
  TestWindow& window = Window();
  EXPECT_FALSE(window.EndRequested());
  EXPECT_TRUE(boxes_.empty());
  const std::vector<std::string> expected = {"GetVersion",
                                             "Init(-1,44100,0)",
                                             "PluginLoad(basswma,1)",
                                             "PluginLoad(bass_aac.dll,1)",
                                             "SetConfig(21,1)",
                                             "SetConfig(0,500)",
                                             "SetConfig(12,2000)",
                                             "SetConfig(15,100)",
                                             "SetConfig(11,20000)",
                                             "SetConfig(24,4)",
                                             "SetConfigPtr(16,TALVORANEST)"};
  EXPECT_EQ(Calls(), expected);
  EXPECT_NEAR(window.windowOpacity(), 229 / 255.0, 1e-9);
  const QRegion outline = window.mask();
  EXPECT_FALSE(outline.contains(QPoint(0, 0)));
  EXPECT_FALSE(outline.contains(QPoint(542, 192)));
  EXPECT_TRUE(outline.contains(QPoint(271, 96)));

  window_.reset();
  EXPECT_EQ(Calls().back(), "Free");
}

TEST_F(Creation, AnotherEngineVersionEndsWithItsBox) {
  fake_->SetVersion(0x02030000);
  TestWindow& window = Window();
  EXPECT_TRUE(window.EndRequested());
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(Calls(), std::vector<std::string>{"GetVersion"});
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, QString::fromUtf8("BASS.DLL kütüphanesi bulunamadı.."));
  EXPECT_EQ(boxes_[0].caption, "");
  EXPECT_EQ(boxes_[0].owner, nullptr);
  EXPECT_EQ(boxes_[0].icon, QMessageBox::Critical);
}

TEST_F(Creation, AnEngineThatCannotStartEndsWithItsErrorCode) {
  fake_->SetInitResult(kFalse, BASS_ERROR_DRIVER);
  TestWindow& window = Window();
  EXPECT_TRUE(window.EndRequested());
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(Calls(), (std::vector<std::string>{"GetVersion", "Init(-1,44100,0)"}));
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, "Cant initialize device\n(error code: 3)");
  EXPECT_EQ(boxes_[0].caption, "");
  EXPECT_EQ(boxes_[0].owner, &window);
  EXPECT_EQ(boxes_[0].icon, QMessageBox::NoIcon);
  EXPECT_FALSE(Control<QTimer>("TimerKontrol")->isActive())
      << "a window that ends never reconnects";
}

TEST_F(Creation, FirstShowPlacesTheWindowAndTunesIn) {
  fake_->SetGetVolumeResult(0.125f);
  TestWindow& window = Window();
  ClearCalls();
  window.show();
  const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
  EXPECT_EQ(window.pos(), ui::WindowPlacement(screen, window.size()));
  EXPECT_EQ(Text("sLink"), QString::fromStdString(sources::StationHost()));
  EXPECT_EQ(Text("Label4"), "KELVO FM");
  EXPECT_EQ(Control<QSlider>("sndBar")->value(), 12);
  const std::vector<std::string> expected = {"Stop",      "StreamFree(0)",   "Stop",     "Start",
                                             "GetVolume", "SetVolume(0.12)", "GetVolume"};
  EXPECT_EQ(Calls(), expected);

  // Later shows (after a minimize, say) select nothing.
  ClearCalls();
  window.hide();
  window.show();
  EXPECT_TRUE(Calls().empty());
}

TEST_F(Creation, AnUnreadablePlaylistAtFirstShowGoesToTheErrorBoxAndSkipsTheSlider) {
  char folder[] = "/tmp/ui_test_XXXXXX";
  ASSERT_NE(::mkdtemp(folder), nullptr);
  ::chmod(folder, 0755);
  const std::string path = std::string(folder) + "/locked.pls";
  FILE* file = std::fopen(path.c_str(), "w");
  std::fputs("File1=http://127.0.0.1/\n", file);
  std::fclose(file);
  ::chmod(path.c_str(), 0);

  TestWindow& window = Window();
  window.SetFirstArgument(path);
  std::vector<std::string> errors;
  TfrmMain::SetHandlerErrorFunction(
      [&](const std::exception& error) { errors.push_back(error.what()); });
  ClearCalls();
  EXPECT_TRUE(RunUnprivileged([&] {
    window.show();
    return errors.size() == 1 && errors[0].find(path) != std::string::npos && window.isVisible() &&
           Calls().empty();
  }));
  ::unlink(path.c_str());
  ::rmdir(folder);
}

}  // namespace
}  // namespace ui_test
