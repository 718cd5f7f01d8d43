#include <QWidget>
#include <cstdio>

#include "sources/Station.h"
#include "sources/StationSelection.h"
#include "stream/SharedState.h"
#include "stream/StatusWindow.h"
#include "tests/integration/ui/WindowFixture.h"
#include "tests/support/TempFolder.h"
#include "text/Text.h"

namespace ui_test {
namespace {

class Station : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Window();
    ClearCalls();
    char folder[] = "/tmp/ui_station_XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    folder_ = folder;
  }
  void TearDown() override {
    for (const std::string& file : files_) ::unlink(file.c_str());
    ::rmdir(folder_.c_str());
    WindowTest::TearDown();
  }
  std::string Write(const std::string& name, const std::string& content) {
    const std::string path = folder_ + "/" + name;
    FILE* file = std::fopen(path.c_str(), "w");
    std::fputs(content.c_str(), file);
    std::fclose(file);
    files_.push_back(path);
    return path;
  }
  // The restart's calls, then the worker's connection to the address.
  void ExpectRestartThenConnection(const std::string& address, HSTREAM previous = 0) {
    const std::vector<std::string> restart = {
        "Stop", "StreamFree(" + std::to_string(previous) + ")", "Stop", "Start", "GetVolume"};
    const auto calls = Calls();
    ASSERT_GE(calls.size(), restart.size());
    EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 5), restart);
    EXPECT_TRUE(PumpUntil([&] { return CalledWith("StreamCreateURL(" + address + ","); }))
        << address;
  }

  std::string folder_;
  std::vector<std::string> files_;
};

TEST_F(Station, NoPathTakesTheBuiltInStationAndShowsIt) {
  Window().OpenStation("");
  EXPECT_EQ(Text("Label4"), "KELVO FM");
  EXPECT_EQ(Text("Label3"), QString::fromUtf8("Kelvo Fm Türkiye 105.0"));
  EXPECT_EQ(StreamUrl, sources::DefaultStreamUrl());
  EXPECT_EQ(SiteAddress, sources::StationSiteUrl());
  ExpectRestartThenConnection(sources::DefaultStreamUrl());
}

TEST_F(Station, APlaylistChoosesTheStationWithoutTouchingTheLines) {
  const std::string path =
      Write("LIST.PLS", "[playlist]\nFile1=http://127.0.0.1:8000/live\nTitle1=Radyo Test\n");
  StreamChannel.store(77);
  Window().OpenStation(path);
  EXPECT_EQ(Text("Label4"), "");
  EXPECT_EQ(Text("Label3"), "");
  EXPECT_EQ(StationName, "Radyo Test");
  ExpectRestartThenConnection("http://127.0.0.1:8000/live", 77);
}

TEST_F(Station, NoReaderForThePathStartsAWorkerWithoutAddress) {
  for (const std::string& path :
       {Write("station.txt", "File1=http://x/\n"), folder_ + "/absent.m3u"}) {
    ClearCalls();
    const HSTREAM previous = StreamChannel.load();
    Window().OpenStation(path);
    EXPECT_EQ(StreamUrl, "") << path;
    ExpectRestartThenConnection("", previous);
  }
}

TEST_F(Station, AnUnreadablePlaylistEndsTheSelectionBeforeTheRestart) {
  ::chmod(folder_.c_str(), 0755);
  const std::string path = Write("locked.m3u", "http://127.0.0.1/\n");
  ::chmod(path.c_str(), 0);
  StreamUrl = "http://playing/";
  EXPECT_TRUE(RunUnprivileged([&] {
    try {
      Window().OpenStation(path);
    } catch (const sources::InputError&) {
      return Calls().empty() && StreamUrl.empty();
    }
    return false;
  }));
}

TEST_F(Station, AHandedOverPathIsSelected) {
  const std::string path = Write("x.asx", "<ref href=\"http://127.0.0.1:9/a\"/>\n");
  Window().WMOpenSource(path);
  ExpectRestartThenConnection("http://127.0.0.1:9/a");
}

// Statuses arrive through the window's status send, as a worker's do.
TEST_F(Station, StatusesDriveTheTwoLines) {
  const auto send = [](std::uint32_t code, std::int32_t value, const char* text = nullptr) {
    return stream::SendStatus(stream::kAnyGeneration, {code, value, text});
  };
  ShowWindow();
  ASSERT_TRUE(send(STATUS_CONNECTING, 0));
  EXPECT_EQ(Text("Label4"), QString::fromUtf8("Bağlanıyor..."));
  EXPECT_EQ(Text("Label3"), QString::fromUtf8("Kelvo Fm Türkiye 105.0"));

  int paints = 0;
  QString painted;
  PaintSpy spy([&] { ++paints, painted = Text("Label4"); });
  Control<QWidget>("Label4")->installEventFilter(&spy);
  ASSERT_TRUE(send(STATUS_BUFFERING, 42));
  EXPECT_EQ(paints, 1) << "painted at once, not at the next idle moment";
  EXPECT_EQ(painted, QString::fromUtf8("Yükleniyor... 42%"));
  Control<QWidget>("Label4")->removeEventFilter(&spy);

  StationName.clear();
  ASSERT_TRUE(send(STATUS_STATION_NAME, 0, "R&B Radyo  "));
  EXPECT_EQ(Text("Label4"), "R&B Radyo");
  ASSERT_TRUE(send(STATUS_STATION_NAME, 0, "Other"));
  EXPECT_EQ(Text("Label4"), "R&B Radyo") << "a name once adopted stays";
  ASSERT_TRUE(send(STATUS_TITLE, 0, "Tom & Jerry - Song"));
  EXPECT_EQ(Text("Label3"), "Tom & Jerry - Song");
}

TEST_F(Station, TitlesShowAsUtf8OrCodePage1254) {
  const auto title = [](const char* bytes) {
    return stream::SendStatus(stream::kAnyGeneration, {STATUS_TITLE, 0, bytes});
  };
  const QString expected = QString::fromUtf8("Şarkı Gönül");
  ASSERT_TRUE(
      title("\xC5\x9E"
            "ark\xC4\xB1 G\xC3\xB6n\xC3\xBCl"));  // UTF-8
  EXPECT_EQ(Text("Label3"), expected);
  ASSERT_TRUE(
      title("\xDE"
            "ark\xFD G\xF6n\xFCl"));  // code page 1254
  EXPECT_EQ(Text("Label3"), expected);
  ASSERT_TRUE(title("Caf\xE9"));  // not valid UTF-8: code page 1254
  EXPECT_EQ(Text("Label3"), QString::fromUtf8("Café"));
}

}  // namespace
}  // namespace ui_test
