#include <gtest/gtest.h>

#include "StreamFixture.h"
#include "sources/Station.h"
#include "stream/StatusDisplay.h"

namespace stream_test {
namespace {

using stream::StatusMessage;
using Events = std::vector<std::string>;

class StatusDisplayTest : public testing::Test {
 protected:
  void SetUp() override {
    StationName.clear();
    NowPlaying.clear();
  }
  void Handle(std::uint32_t code, std::int32_t value = 0, const char* text = nullptr) {
    display_.Handle(StatusMessage{code, value, text});
  }
  RecordingLabels labels_;
  stream::StatusDisplay display_{labels_};
};

TEST_F(StatusDisplayTest, ConnectingNoServiceAndBuffering) {
  Handle(STATUS_CONNECTING);
  Handle(STATUS_BUFFERING, 42);
  Handle(STATUS_BUFFERING, -1);
  Handle(STATUS_NO_SERVICE);
  EXPECT_EQ(labels_.events, (Events{std::string("3:") + sources::StationSlogan,
                                    "4:Ba\xF0lan\xFDyor...", "4:Y\xFCkleniyor... 42%", "repaint4",
                                    "4:Y\xFCkleniyor... -1%", "repaint4", "4:Servis Yok"}));
}

TEST_F(StatusDisplayTest, TitleIsTrimmedThenCutTo58) {
  const std::string seventy(70, 'x');
  Handle(STATUS_TITLE, 0, seventy.c_str());
  EXPECT_EQ(NowPlaying, std::string(58, 'x'));
  EXPECT_EQ(labels_.label3, NowPlaying);

  // Trailing blanks go before the cut, so a blank at position 58 survives at the end.
  const std::string spaced = std::string(57, 'a') + " " + std::string(10, 'b') + "   ";
  Handle(STATUS_TITLE_WMA, 0, spaced.c_str());
  EXPECT_EQ(NowPlaying, std::string(57, 'a') + " ");
  EXPECT_EQ(labels_.label3, NowPlaying);
}

TEST_F(StatusDisplayTest, EmptyOrNullTitleKeepsTheLine) {
  Handle(STATUS_TITLE, 0, "Artist - Song  ");
  EXPECT_EQ(labels_.label3, "Artist - Song");
  for (const char* empty : {"", "   ", static_cast<const char*>(nullptr)}) {
    for (std::uint32_t code : {STATUS_TITLE, STATUS_TITLE_WMA}) {
      NowPlaying = "old";
      Handle(code, 0, empty);
      EXPECT_EQ(NowPlaying, "");
      EXPECT_EQ(labels_.label3, "Artist - Song");
    }
  }
}

TEST_F(StatusDisplayTest, StationNameIsAdoptedOnlyWhileEmpty) {
  Handle(STATUS_STATION_NAME, 0, "Radio\tOne \t  ");
  EXPECT_EQ(StationName, "Radio\tOne \t");  // only the blanks after the last tab go
  EXPECT_EQ(labels_.label4, "Radio\tOne \t");

  Handle(STATUS_STATION_NAME, 0, "Other");
  EXPECT_EQ(StationName, "Radio\tOne \t");

  StationName = "Set By Selection  ";
  Handle(STATUS_STATION_NAME, 0, "Other");
  EXPECT_EQ(StationName, "Set By Selection");
  EXPECT_EQ(labels_.label4, "Set By Selection");
}

TEST_F(StatusDisplayTest, NullStationNameShowsTheEmptyName) {
  Handle(STATUS_STATION_NAME, 0, nullptr);
  EXPECT_EQ(StationName, "");
  EXPECT_EQ(labels_.events, Events{"4:"});
}

TEST_F(StatusDisplayTest, IgnoredCodesChangeNothing) {
  for (std::uint32_t code : {STATUS_INFO, 5u, STATUS_DOWNLOAD, 9u, 0x80000000u, 0xFFFFFFFFu})
    Handle(code, 7, "text");
  EXPECT_TRUE(labels_.events.empty());
  EXPECT_EQ(StationName, "");
  EXPECT_EQ(NowPlaying, "");
}

}  // namespace
}  // namespace stream_test
