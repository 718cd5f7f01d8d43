#include "engine/real/HeaderLines.h"

#include <gtest/gtest.h>

namespace engine {
namespace {

using Result = HeaderLines::Result;

TEST(HeaderLines, KeepsTheIcyReplyAsASeries) {
  HeaderLines headers;
  EXPECT_EQ(headers.Add("ICY 200 OK\r\n"), Result::kMore);
  EXPECT_EQ(headers.Add("icy-name:Radio\r\n"), Result::kMore);
  EXPECT_EQ(headers.Add("icy-br: 128\r\n"), Result::kMore);
  EXPECT_EQ(headers.Add("\r\n"), Result::kComplete);
  EXPECT_TRUE(headers.IsIcy());
  EXPECT_EQ(headers.Status(), 200);
  EXPECT_EQ(headers.Series(), std::string("ICY 200 OK\0icy-name:Radio\0icy-br: 128\0\0", 39));
  EXPECT_EQ(headers.Value("ICY-BR"), "128");
  EXPECT_EQ(headers.Value("icy-genre"), std::nullopt);
}

// After a redirect only the final reply's lines remain.
TEST(HeaderLines, ANewStatusLineStartsOver) {
  HeaderLines headers;
  headers.Add("HTTP/1.1 302 Found\r\n");
  headers.Add("Location: /other\r\n");
  EXPECT_EQ(headers.Add("\r\n"), Result::kComplete);
  headers.Add("HTTP/1.0 200 OK\n");
  headers.Add("Content-Type: audio/mpeg\n");
  EXPECT_EQ(headers.Add("\n"), Result::kComplete);
  EXPECT_FALSE(headers.IsIcy());
  EXPECT_EQ(headers.Status(), 200);
  ASSERT_EQ(headers.Lines().size(), 2u);
  EXPECT_EQ(headers.Value("location"), std::nullopt);
}

TEST(HeaderLines, RefusesHugeHeaderBlocks) {
  HeaderLines manyLines;
  manyLines.Add("HTTP/1.0 200 OK\r\n");
  Result last = Result::kMore;
  for (int i = 0; i < 1000 && last == Result::kMore; ++i) last = manyLines.Add("x-filler: 1\r\n");
  EXPECT_EQ(last, Result::kTooLarge);

  HeaderLines longLine;
  longLine.Add("HTTP/1.0 200 OK\r\n");
  EXPECT_EQ(longLine.Add(std::string(HeaderLines::kMaxBytes, 'x')), Result::kTooLarge);
}

TEST(HeaderLines, ANulInsideALineEndsThatEntry) {
  HeaderLines headers;
  headers.Add("ICY 200 OK\r\n");
  headers.Add(std::string_view("icy-name:A\0B\r\n", 14));
  EXPECT_EQ(headers.Lines().back(), "icy-name:A");
}

}  // namespace
}  // namespace engine
