#include "engine/real/IcyReader.h"

#include <gtest/gtest.h>

#include <vector>

namespace engine {
namespace {

// A body of `metaint` audio bytes, then a block, repeated; the block's length byte counts 16s.
std::string Block(const std::string& text) {
  std::string padded = text;
  padded.resize((text.size() + 15) / 16 * 16, '\0');
  return std::string(1, static_cast<char>(padded.size() / 16)) + padded;
}

struct Split {
  std::string audio;
  std::vector<std::string> titles;
};

Split SplitBody(std::size_t metaint, const std::string& body, std::size_t chunk) {
  IcyReader reader(metaint);
  Split split;
  for (std::size_t at = 0; at < body.size(); at += chunk) {
    reader.Feed(
        body.data() + at, std::min(chunk, body.size() - at),
        [&](const char* data, std::size_t size) {
          split.audio.append(data, size);
          return true;
        },
        [&](std::string text) { split.titles.push_back(std::move(text)); });
  }
  return split;
}

// Every way of cutting the body into network chunks gives the same audio and titles.
TEST(IcyReader, SeparatesAudioFromMetadataWhateverTheChunking) {
  const std::string body = "abcd" + Block("StreamTitle='One';") + "efgh" + Block("") + "ijkl" +
                           Block(std::string("StreamTitle='Two';\0junk", 23)) + "mn";
  for (std::size_t chunk : {1u, 2u, 3u, 5u, 7u, 64u}) {
    const auto split = SplitBody(4, body, chunk);
    EXPECT_EQ(split.audio, "abcdefghijklmn") << "chunk " << chunk;
    EXPECT_EQ(split.titles, (std::vector<std::string>{"StreamTitle='One';", "StreamTitle='Two';"}))
        << "chunk " << chunk;
  }
}

TEST(IcyReader, ABlockOfNulsIsNoTitle) {
  const auto split = SplitBody(2, "ab" + std::string(1, '\1') + std::string(16, '\0') + "cd", 64);
  EXPECT_EQ(split.audio, "abcd");
  EXPECT_TRUE(split.titles.empty());
}

TEST(IcyReader, WithoutMetaIntEverythingIsAudio) {
  const auto split = SplitBody(0, std::string("\x01StreamTitle='x';", 17), 4);
  EXPECT_EQ(split.audio.size(), 17u);
  EXPECT_TRUE(split.titles.empty());
}

TEST(IcyReader, StopsWhenTheAudioSinkRefuses) {
  IcyReader reader(4);
  int calls = 0;
  EXPECT_FALSE(reader.Feed(
      "abcdefgh", 8, [&](const char*, std::size_t) { return ++calls < 1; }, [](std::string) {}));
  EXPECT_EQ(calls, 1);
}

TEST(IcyReader, MetaIntHeaderValues) {
  struct Case {
    std::optional<std::string> value;
    std::optional<std::size_t> expected;
  } cases[] = {
      {std::nullopt, std::nullopt},
      {"0", std::nullopt},
      {"-16000", std::nullopt},
      {"abc", std::nullopt},
      {"16000x", std::nullopt},
      {"99999999999", std::nullopt},
      {"16000", 16000u},
      {"1", 1u},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseMetaInt(c.value), c.expected) << c.value.value_or("-");
}

}  // namespace
}  // namespace engine
