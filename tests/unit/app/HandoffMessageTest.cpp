#include "app/HandoffMessage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using app::HandoffReader;
using State = HandoffReader::State;

std::string Header(std::uint32_t length, std::string_view marker = app::kHandoffMarker) {
  std::string header(marker);
  for (int shift = 24; shift >= 0; shift -= 8) header.push_back(char((length >> shift) & 0xFF));
  return header;
}

TEST(HandoffMessage, RoundTripsPathsOfEveryLengthUpToTheBound) {
  for (const std::size_t length : {std::size_t{1}, std::size_t{255}, std::size_t{256},
                                   std::size_t{4096}, app::kMaxHandoffPath}) {
    std::string path = "/" + std::string(length - 1, 'x');
    path.back() = 'S';  // capitals and the end survive unchanged
    const auto message = app::EncodeHandoff(path);
    ASSERT_TRUE(message) << length;
    HandoffReader reader;
    EXPECT_EQ(reader.Feed(*message), State::kComplete) << length;
    EXPECT_EQ(reader.path(), path);
  }
}

TEST(HandoffMessage, ReadsAMessageArrivingByteByByte) {
  const std::string path = "/home/u/Çalma listesi.PLS";
  const std::string message = *app::EncodeHandoff(path);
  HandoffReader reader;
  for (std::size_t i = 0; i + 1 < message.size(); ++i) {
    ASSERT_EQ(reader.Feed(message.substr(i, 1)), State::kNeedMore) << i;
  }
  EXPECT_EQ(reader.Feed(message.substr(message.size() - 1)), State::kComplete);
  EXPECT_EQ(reader.path(), path);
}

TEST(HandoffMessage, RefusesWhatCannotBeSent) {
  EXPECT_FALSE(app::EncodeHandoff(""));
  EXPECT_FALSE(app::EncodeHandoff(std::string(app::kMaxHandoffPath + 1, 'a')));
  EXPECT_FALSE(app::EncodeHandoff(std::string("/a\0b.pls", 8)));
}

TEST(HandoffMessage, DropsMalformedAndOversizedMessages) {
  struct Case {
    const char* what;
    std::string bytes;
    State state;
  };
  const Case cases[] = {
      {"wrong marker, noticed at its first byte", "X", State::kMalformed},
      {"wrong marker", Header(3, "TVN2") + "/ab", State::kMalformed},
      {"empty path", Header(0), State::kMalformed},
      {"one byte over the bound", Header(app::kMaxHandoffPath + 1), State::kOversized},
      {"length with the top bit set", Header(0x80000000u), State::kOversized},
      {"NUL inside the path", Header(3) + std::string("/\0b", 3), State::kMalformed},
      {"bytes after the message", Header(2) + "/ab", State::kMalformed},
      {"two messages in one connection", Header(2) + "/a" + Header(2) + "/b", State::kMalformed},
      {"header only", Header(5), State::kNeedMore},
      {"body cut short", Header(5) + "/ab", State::kNeedMore},
  };
  for (const Case& c : cases) {
    HandoffReader reader;
    EXPECT_EQ(reader.Feed(c.bytes), c.state) << c.what;
  }
}

TEST(HandoffMessage, StaysRefusedWhateverFollows) {
  HandoffReader reader;
  ASSERT_EQ(reader.Feed(Header(app::kMaxHandoffPath + 1)), State::kOversized);
  EXPECT_EQ(reader.Feed(std::string(100, 'a')), State::kOversized);
  EXPECT_TRUE(reader.path().empty());  // the body of an oversized message is never kept
}

}  // namespace
