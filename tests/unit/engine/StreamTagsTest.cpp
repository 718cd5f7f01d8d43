#include "engine/real/StreamTags.h"

#include <gtest/gtest.h>

namespace engine {
namespace {

TEST(StreamTags, OggCommentsBecomeASeries) {
  EXPECT_EQ(OggTagSeries({{"ARTIST", "Band"}, {"TITLE", "Song"}}),
            std::string("ARTIST=Band\0TITLE=Song\0\0", 24));
  EXPECT_EQ(OggTagSeries({}), std::string("\0", 1));
}

TEST(StreamTags, OggTitleInShoutcastForm) {
  EXPECT_EQ(ShoutcastTitle({{"artist", "Band"}, {"title", "Song"}}), "StreamTitle='Band - Song';");
  EXPECT_EQ(ShoutcastTitle({{"TITLE", "Song"}}), "StreamTitle='Song';");
  EXPECT_EQ(ShoutcastTitle({{"artist", "Band"}}), std::nullopt);
}

TEST(StreamTags, AsfAuthorKeepsItsName) {
  EXPECT_EQ(AsfTagSeries({{"title", "Show"}, {"artist", "Host"}, {"copyright", "c"}}),
            std::string("title=Show\0author=Host\0copyright=c\0\0", 36));
}

}  // namespace
}  // namespace engine
