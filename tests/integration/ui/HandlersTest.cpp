#include <QAbstractButton>
#include <QCoreApplication>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QTest>

#include "sources/Station.h"
#include "stream/StatusWindow.h"
#include "tests/integration/ui/WindowFixture.h"

namespace ui_test {
namespace {

class Handlers : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    ShowWindow();
  }
  void ShowInLabel4(const char* text) {
    ASSERT_TRUE(stream::RunOnWindow(stream::kAnyGeneration,
                                    [&](stream::StatusLabels& labels) { labels.SetLabel4(text); }));
  }
};

TEST_F(Handlers, AnyButtonOnTheSkinLogoOrLinesDragsTheWindow) {
  for (const char* name : {"Image1", "Image4", "Label3", "Label4"}) {
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
      const int before = Window().moves;
      QTest::mousePress(Control<QWidget>(name), button, Qt::ShiftModifier, QPoint(5, 5));
      QTest::mouseRelease(Control<QWidget>(name), button, Qt::ShiftModifier, QPoint(5, 5));
      EXPECT_EQ(Window().moves, before + 1) << name << " " << button;
    }
  }
}

TEST_F(Handlers, ControlsDoNotDragTheWindow) {
  for (const char* name : {"btnPlay", "btnDur", "btnSesAcik", "btnKapat", "btnMinimize", "sndBar",
                           "sLink", "lKbps", "lHz", "lSol", "lSag"}) {
    QTest::mousePress(Control<QWidget>(name), Qt::RightButton, {}, QPoint(3, 3));
    QTest::mouseRelease(Control<QWidget>(name), Qt::RightButton, {}, QPoint(3, 3));
  }
  EXPECT_EQ(Window().moves, 0);
}

TEST_F(Handlers, CloseAndMinimize) {
  QTest::mouseClick(Control<QWidget>("btnMinimize"), Qt::LeftButton);
  EXPECT_TRUE(Window().windowState() & Qt::WindowMinimized);
  Window().showNormal();
  QTest::mouseClick(Control<QWidget>("btnKapat"), Qt::LeftButton);
  EXPECT_FALSE(Window().isVisible());
}

TEST_F(Handlers, TheLinkOpensTheStationSite) {
  EXPECT_EQ(Text("sLink"), QString::fromStdString(sources::StationHost()));
  QTest::mouseClick(Control<QWidget>("sLink"), Qt::LeftButton);
  ASSERT_EQ(urls_.urls.size(), 1u);
  EXPECT_EQ(urls_.urls[0], QUrl(QString::fromStdString(sources::StationSiteUrl())));
}

TEST_F(Handlers, DoubleClickOnTheStationLineOpensTheSiteOnlyForAnAddress) {
  const std::pair<const char*, bool> table[] = {{"Servis Yok", false},
                                                {"www.kelvofm.com.tr", true},
                                                {"http://www.elsewhere.org/", true},
                                                {"WWW.KELVOFM.COM.TR", false},
                                                {"KELVO FM", false}};
  for (auto [shown, opens] : table) {
    ShowInLabel4(shown);
    urls_.urls.clear();
    QTest::mouseDClick(Control<QWidget>("Label4"), Qt::LeftButton);
    ASSERT_EQ(urls_.urls.size(), opens ? 1u : 0u) << shown;
    if (opens) {
      EXPECT_EQ(urls_.urls[0], QUrl(QString::fromStdString(sources::StationSiteUrl())));
    }
  }
}

TEST_F(Handlers, TheLinkShowsTheHandPointerWhileTheMouseIsOverIt) {
  QWidget* link = Control<QWidget>("sLink");
  QEnterEvent enter(QPointF(5, 5), QPointF(95, 168), QPointF(95, 168));
  QCoreApplication::sendEvent(link, &enter);
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(link, &leave);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(Handlers, TheTwentyFirstClickOnTheFormatLabelsShowsTheStreamAddress) {
  for (int i = 0; i < 20; ++i) QTest::mouseClick(Control<QWidget>("lKbps"), Qt::LeftButton);
  EXPECT_TRUE(inputs_.empty());
  QTest::mouseClick(Control<QWidget>("lKbps"), Qt::LeftButton);
  ASSERT_EQ(inputs_.size(), 1u);
  EXPECT_EQ(inputs_[0].title, "Bilgi");
  EXPECT_EQ(inputs_[0].prompt, QString::fromUtf8("Yayın Adresi :"));
  EXPECT_EQ(inputs_[0].value, QString::fromStdString(sources::DefaultStreamUrl() + " - "));
  QTest::mouseClick(Control<QWidget>("lHz"), Qt::LeftButton);
  EXPECT_EQ(inputs_.size(), 2u);
}

TEST_F(Handlers, ClicksOnBothFormatLabelsCountTogether) {
  for (int i = 0; i < 10; ++i) QTest::mouseClick(Control<QWidget>("lKbps"), Qt::LeftButton);
  for (int i = 0; i < 10; ++i) QTest::mouseClick(Control<QWidget>("lHz"), Qt::LeftButton);
  EXPECT_TRUE(inputs_.empty());
  QTest::mouseClick(Control<QWidget>("lHz"), Qt::LeftButton);
  EXPECT_EQ(inputs_.size(), 1u);
}

}  // namespace
}  // namespace ui_test
