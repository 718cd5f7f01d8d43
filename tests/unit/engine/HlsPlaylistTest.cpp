#include "engine/real/HlsPlaylist.h"

#include <gtest/gtest.h>

namespace engine {
namespace {

TEST(HlsPlaylist, RecognisesHlsButNotAPlainM3u) {
  struct Case {
    std::string body;
    bool hls;
  } cases[] = {
      {"#EXTM3U\n#EXT-X-TARGETDURATION:6\n#EXTINF:6,\na.ts\n", true},
      {"\xEF\xBB\xBF#EXTM3U\r\n#EXT-X-STREAM-INF:BANDWIDTH=1\r\nv.m3u8\r\n", true},
      // Stations serve address lists under the HLS content types too.
      {"#EXTM3U\n#EXTINF:-1,Radio\nhttp://host/stream.mp3\n", false},
      {"#EXTM3U\nhttp://host/#EXT-X-TARGETDURATION\n", false},
      {"#EXT-X-TARGETDURATION:6\n#EXTM3U\n", false},
  };
  for (const auto& c : cases) EXPECT_EQ(LooksLikeHls(c.body), c.hls) << c.body;
}

TEST(HlsPlaylist, ReadsALiveMediaPlaylist) {
  const auto list = ParseHls(
      "#EXTM3U\n#EXT-X-VERSION:6\n#EXT-X-TARGETDURATION:4\n#EXT-X-MEDIA-SEQUENCE:1200\n"
      "#EXT-X-KEY:METHOD=NONE\n#EXT-X-MAP:URI=\"init.mp4\"\n"
      "#EXTINF:3.968,Song\nseg1200.m4s\n"
      "#EXT-X-DISCONTINUITY\n#EXT-X-PROGRAM-DATE-TIME:2026-12-10T10:00:00Z\n"
      "#EXTINF:4.011,\n/abs/seg1201.m4s\n"
      "#EXTINF:4,\nhttp://cdn.example/seg1202.m4s?token=a,b\n");
  ASSERT_TRUE(list);
  EXPECT_FALSE(list->master);
  EXPECT_FALSE(list->ended);
  EXPECT_FALSE(list->encrypted);
  EXPECT_EQ(list->targetSeconds, 4);
  ASSERT_EQ(list->segments.size(), 3u);
  EXPECT_EQ(list->segments[0].sequence, 1200u);
  EXPECT_DOUBLE_EQ(list->segments[0].seconds, 3.968);
  EXPECT_EQ(list->segments[0].map, "init.mp4");
  EXPECT_FALSE(list->segments[0].discontinuity);
  EXPECT_TRUE(list->segments[1].discontinuity);
  EXPECT_EQ(list->segments[1].uri, "/abs/seg1201.m4s");
  EXPECT_FALSE(list->segments[2].discontinuity);
  EXPECT_EQ(list->segments[2].sequence, 1202u);
  EXPECT_EQ(list->segments[2].uri, "http://cdn.example/seg1202.m4s?token=a,b");
}

TEST(HlsPlaylist, EndEncryptionAndWhatIsNoPlaylist) {
  const auto ended = ParseHls(
      "#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:10,\na.aac\n"
      "#EXT-X-ENDLIST\n");
  ASSERT_TRUE(ended);
  EXPECT_TRUE(ended->ended);
  const auto encrypted = ParseHls(
      "#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXT-X-KEY:METHOD=AES-128,URI=\"k\"\n"
      "#EXTINF:10,\na.ts\n");
  ASSERT_TRUE(encrypted);
  EXPECT_TRUE(encrypted->encrypted);
  // Without a target duration the longest segment stands in; without either it is no use.
  const auto untimed = ParseHls("#EXTM3U\n#EXT-X-VERSION:3\n#EXTINF:5.5,\na.ts\n");
  ASSERT_TRUE(untimed);
  EXPECT_DOUBLE_EQ(untimed->targetSeconds, 5.5);
  EXPECT_FALSE(ParseHls("#EXTM3U\n#EXT-X-VERSION:3\na.ts\n"));
  EXPECT_FALSE(ParseHls("#EXT-X-TARGETDURATION:10\n#EXTINF:10,\na.ts\n"));
  EXPECT_FALSE(ParseHls("#EXTM3U\n#EXT-X-TARGETDURATION:5\n" +
                        std::string(HlsPlaylist::kMaxPlaylistBytes, '#')));
}

TEST(HlsPlaylist, ChoosesTheAudioToPlay) {
  struct Case {
    const char* what;
    std::string body;
    std::optional<std::string> choice;
  } cases[] = {
      {"the highest bandwidth of audio-only variants",
       "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=64000,CODECS=\"mp4a.40.5\"\nlow.m3u8\n"
       "#EXT-X-STREAM-INF:BANDWIDTH=320000,CODECS=\"mp4a.40.2\"\nhigh.m3u8\n"
       "#EXT-X-STREAM-INF:BANDWIDTH=128000\nmid.m3u8\n",
       "high.m3u8"},
      {"audio-only before a richer video variant",
       "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=2000000,CODECS=\"avc1.4d401f,mp4a.40.2\"\n"
       "video.m3u8\n#EXT-X-STREAM-INF:BANDWIDTH=96000,CODECS=\"mp4a.40.2\"\naudio.m3u8\n",
       "audio.m3u8"},
      {"a codec we do not decode is passed over",
       "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=900000,CODECS=\"alac\"\nalac.m3u8\n"
       "#EXT-X-STREAM-INF:BANDWIDTH=128000,CODECS=\"mp4a.40.34\"\nmp3.m3u8\n",
       "mp3.m3u8"},
      {"the default rendition of the richest video variant's audio group",
       "#EXTM3U\n"
       "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"lo\",NAME=\"en\",DEFAULT=YES,URI=\"lo/en.m3u8\"\n"
       "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"hi\",NAME=\"de\",URI=\"hi/de.m3u8\"\n"
       "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"hi\",NAME=\"en\",DEFAULT=YES,URI=\"hi/en.m3u8\"\n"
       "#EXT-X-STREAM-INF:BANDWIDTH=800000,RESOLUTION=640x360,AUDIO=\"lo\"\nsd.m3u8\n"
       "#EXT-X-STREAM-INF:BANDWIDTH=5000000,RESOLUTION=1920x1080,AUDIO=\"hi\"\nhd.m3u8\n",
       "hi/en.m3u8"},
      {"the cheapest variant when the audio is muxed with video",
       "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=5000000,RESOLUTION=1920x1080\nhd.m3u8\n"
       "#EXT-X-STREAM-INF:BANDWIDTH=800000,RESOLUTION=640x360\nsd.m3u8\n",
       "sd.m3u8"},
      {"video without audio",
       "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=800000,CODECS=\"avc1.4d401f\"\nv.m3u8\n",
       std::nullopt},
  };
  for (const auto& c : cases) {
    const auto master = ParseHls(c.body);
    ASSERT_TRUE(master && master->master) << c.what;
    EXPECT_EQ(ChooseAudio(*master), c.choice) << c.what;
  }
}

TEST(HlsPlaylist, JoinsALiveStreamThreeTargetDurationsBack) {
  const auto playlist = [](int count, double seconds, bool ended) {
    std::string body = "#EXTM3U\n#EXT-X-TARGETDURATION:4\n";
    for (int i = 0; i < count; ++i) body += "#EXTINF:" + std::to_string(seconds) + ",\ns.ts\n";
    if (ended) body += "#EXT-X-ENDLIST\n";
    return *ParseHls(body);
  };
  EXPECT_EQ(LiveStartIndex(playlist(10, 4, false)), 7u);
  EXPECT_EQ(LiveStartIndex(playlist(10, 2, false)), 4u);  // short segments: more of them
  EXPECT_EQ(LiveStartIndex(playlist(2, 4, false)), 0u);
  EXPECT_EQ(LiveStartIndex(playlist(10, 4, true)), 0u);  // an ended one from its start
  EXPECT_EQ(LiveStartIndex(playlist(0, 4, false)), 0u);
}

TEST(HlsPlaylist, ResolvesAgainstThePlaylistsAddress) {
  const std::string base = "https://cdn.example/live/radio/index.m3u8?token=1";
  struct Case {
    std::string reference;
    std::optional<std::string> expected;
  } cases[] = {
      {"seg42.aac", "https://cdn.example/live/radio/seg42.aac"},
      {"../other/chunk.ts?x=1", "https://cdn.example/live/other/chunk.ts?x=1"},
      {"/root.m3u8", "https://cdn.example/root.m3u8"},
      {"http://elsewhere.example/a.ts", "http://elsewhere.example/a.ts"},
      {"file:///etc/passwd", std::nullopt},
      {std::string("a\0b.ts", 6), std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ResolveHlsUri(base, c.reference), c.expected);
}

}  // namespace
}  // namespace engine
