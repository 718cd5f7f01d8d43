#include <QAbstractButton>
#include <QDBusObjectPath>
#include <QSlider>
#include <memory>

#include "mpris/Adaptors.h"
#include "mpris/MediaControls.h"
#include "mpris/Track.h"
#include "stream/StatusWindow.h"
#include "tests/integration/ui/WindowFixture.h"

namespace ui_test {
namespace {

TEST(Track, TitleArtistAndAlbumAsShown) {
  struct Case {
    const char* titleLine;
    const char* station;
    QString title;
    QStringList artist;
    QString album;
  };
  const QString slogan = QString::fromUtf8("Kelvo Fm Türkiye 105.0");
  const Case cases[] = {
      {"Tom & Jerry - Song - Live", "Radyo", "Tom & Jerry - Song - Live", {"Tom & Jerry"}, "Radyo"},
      {"Only a title", "Radyo", "Only a title", {"Radyo"}, "Radyo"},
      {"", "KELVO FM", slogan, {"KELVO FM"}, "KELVO FM"},  // nothing shown yet: the slogan
      {" - leading dash", "", " - leading dash", {}, ""},  // no artist before the dash
      {"\xDE"
       "ark\xFD - G\xF6n\xFCl",
       "R\xFCzgar",
       QString::fromUtf8("Şarkı - Gönül"),
       {QString::fromUtf8("Şarkı")},
       QString::fromUtf8("Rüzgar")},  // code page 1254
      {"\xC5\x9E"
       "ark\xC4\xB1 - X",
       "",
       QString::fromUtf8("Şarkı - X"),
       {QString::fromUtf8("Şarkı")},
       ""},  // UTF-8
  };
  for (const Case& c : cases) {
    const mpris::Track track = mpris::TrackOf(c.titleLine, c.station);
    EXPECT_EQ(track.title, c.title) << c.titleLine;
    EXPECT_EQ(track.artist, c.artist) << c.titleLine;
    EXPECT_EQ(track.album, c.album) << c.titleLine;
  }
}

class MediaControls : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    ShowWindow();
    controls_ = std::make_unique<mpris::MediaControls>(
        *player_,
        mpris::Application{"Ovanta Ziviv Odo", "talvoranest", [this] { Window().Raise(); },
                           [this] { Window().btnKapatClick(); }});
    adaptor_ = controls_->findChild<mpris::PlayerAdaptor*>();
    root_ = controls_->findChild<mpris::RootAdaptor*>();
    ASSERT_NE(adaptor_, nullptr);
    ASSERT_NE(root_, nullptr);
    ClearCalls();
  }
  void TearDown() override {
    controls_.reset();
    WindowTest::TearDown();
  }
  bool Status(std::uint32_t code, const char* text) {
    return stream::SendStatus(stream::kAnyGeneration, {code, 0, text});
  }

  std::unique_ptr<mpris::MediaControls> controls_;
  mpris::PlayerAdaptor* adaptor_ = nullptr;
  mpris::RootAdaptor* root_ = nullptr;
};

TEST_F(MediaControls, NoBusNoNameAndTheWindowRunsAsBefore) {
  EXPECT_EQ(controls_->ServiceName(), "");
  EXPECT_TRUE(boxes_.empty());
  EXPECT_EQ(root_->Identity(), "Ovanta Ziviv Odo");
  EXPECT_EQ(root_->DesktopEntry(), "talvoranest");
  EXPECT_FALSE(root_->HasTrackList());
}

TEST_F(MediaControls, VolumeMovesTheSliderWhoseHandlerSetsTheEngine) {
  auto* slider = Control<QSlider>("sndBar");
  int handled = 0;
  QObject::connect(slider, &QSlider::valueChanged, [&] { ++handled; });
  adaptor_->SetVolume(0.5);
  EXPECT_EQ(slider->value(), 50);
  EXPECT_EQ(handled, 1);
  EXPECT_EQ(Calls(), std::vector<std::string>{"SetVolume(0.5)"});
  adaptor_->SetVolume(7.0);
  EXPECT_EQ(slider->value(), 100) << "held within 0..1";
  slider->setValue(25);
  EXPECT_DOUBLE_EQ(adaptor_->Volume(), 0.25) << "and back from the slider";
}

TEST_F(MediaControls, StopPauseAndPlayPauseActAsTheButtons) {
  auto* watchdog = Control<QTimer>("TimerKontrol");
  PlayingStream();
  player_->RefreshPlaying();
  EXPECT_EQ(adaptor_->PlaybackStatus(), "Playing");
  adaptor_->PlayPause();
  EXPECT_EQ(Calls(), std::vector<std::string>{"Stop"});
  EXPECT_FALSE(watchdog->isActive());
  EXPECT_EQ(adaptor_->PlaybackStatus(), "Stopped");
  ClearCalls();
  adaptor_->PlayPause();
  EXPECT_TRUE(watchdog->isActive());
  EXPECT_EQ(Calls().front(), "Stop") << "play restarts on the same address";
  ClearCalls();
  adaptor_->Pause();
  EXPECT_EQ(Calls(), std::vector<std::string>{"Stop"}) << "a live stream has no pause";
  EXPECT_FALSE(watchdog->isActive());
}

TEST_F(MediaControls, MetadataFollowsTheTitleWithANewTrackIdEachTime) {
  const auto trackId = [&] {
    return adaptor_->Metadata().value("mpris:trackid").value<QDBusObjectPath>().path();
  };
  ASSERT_TRUE(Status(STATUS_TITLE, "Artist - One"));
  const QString first = trackId();
  EXPECT_TRUE(first.startsWith("/")) << first.toStdString();
  EXPECT_EQ(adaptor_->Metadata().value("xesam:title").toString(), "Artist - One");
  EXPECT_EQ(adaptor_->Metadata().value("xesam:artist").toStringList(), QStringList{"Artist"});
  EXPECT_EQ(adaptor_->Metadata().value("xesam:album").toString(), "KELVO FM");
  ASSERT_TRUE(Status(STATUS_TITLE, "Artist - One"));
  EXPECT_EQ(trackId(), first) << "the same title is the same track";
  ASSERT_TRUE(Status(STATUS_TITLE, "Artist - Two"));
  EXPECT_NE(trackId(), first);
}

TEST_F(MediaControls, RaiseBringsBackAMinimizedWindowAndQuitCloses) {
  Window().showMinimized();
  ASSERT_TRUE(Window().isMinimized());
  root_->Raise();
  EXPECT_FALSE(Window().isMinimized());
  EXPECT_TRUE(Window().isVisible());
  root_->Quit();
  EXPECT_FALSE(Window().isVisible());
}

}  // namespace
}  // namespace ui_test
