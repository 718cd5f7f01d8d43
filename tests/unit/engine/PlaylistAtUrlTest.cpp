#include "engine/real/PlaylistAtUrl.h"

#include <gtest/gtest.h>

namespace engine {
namespace {

TEST(PlaylistAtUrl, ClassifiesByContentTypeAndBody) {
  struct Case {
    const char* type;
    std::string start;
    BodyKind expected;
  } cases[] = {
      {"audio/mpeg", "\xFF\xFB\x90\x00", BodyKind::kAudio},
      {"audio/x-scpls", "anything", BodyKind::kPlaylist},
      {"audio/x-mpegurl; charset=utf-8", "", BodyKind::kPlaylist},
      {"text/plain", "  [Playlist]\nFile1=http://a/", BodyKind::kPlaylist},
      {"", "#EXTM3U\n", BodyKind::kPlaylist},
      // The same type names ASF audio and ASX playlists; the body tells them apart.
      {"video/x-ms-asf", "<ASX version=\"3.0\">", BodyKind::kPlaylist},
      {"video/x-ms-asf", std::string("\x30\x26\xB2\x75\x8E\x66\xCF\x11", 8), BodyKind::kAudio},
      {"text/plain", "\xEF\xBB\xBFhttp://host:8000/live\r\n", BodyKind::kUndecided},
      {"text/plain", "<html><body>Not here</body>", BodyKind::kAudio},
      {"", std::string("\xFF\xF1\x50\x80\0\0", 6), BodyKind::kAudio},
  };
  for (const auto& c : cases) EXPECT_EQ(ClassifyBody(c.type, c.start), c.expected) << c.start;
}

TEST(PlaylistAtUrl, FindsTheFirstStreamAddress) {
  const std::string base = "http://example.com/lists/radio.pls";
  struct Case {
    std::string body;
    bool relativeOk;
    std::optional<std::string> expected;
  } cases[] = {
      {"[playlist]\nNumberOfEntries=2\nFile1=http://a.example:8000/live\nFile2=http://b/\n", true,
       "http://a.example:8000/live"},
      {"#EXTM3U\n#EXTINF:-1,Radio\r\nhttp://c.example/stream.mp3\r\n", true,
       "http://c.example/stream.mp3"},
      {"<asx version=\"3.0\"><entry><REF HREF='mms://d.example/live'/></entry></asx>", true,
       "http://d.example/live"},
      {"\n\n  https://e.example/a.aac  \n", false, "https://e.example/a.aac"},
      {"#EXTM3U\nrelative/stream\n", true, "http://example.com/lists/relative/stream"},
      {"just some words\n", false, std::nullopt},
      {"[playlist]\nNumberOfEntries=0\n", true, std::nullopt},
      {"<asx><entry><ref href=\"\"/></entry></asx>", true, std::nullopt},
      {std::string(kMaxPlaylistBytes + 1, '#'), true, std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FirstPlaylistEntry(c.body, base, c.relativeOk), c.expected) << c.body.substr(0, 40);
}

}  // namespace
}  // namespace engine
