// Connecting: header tags, status texts, titles, playlists met at the address, file
// positions, and a distinct error code for each way a connection fails.
#include <cctype>
#include <mutex>
#include <set>
#include <vector>

#include "engine/TagSeries.h"
#include "tests/integration/engine/EngineTestBase.h"

namespace enginetest {
namespace {

using namespace std::chrono_literals;

std::vector<std::string> Entries(const std::string& series) {
  const auto views = engine::SeriesEntries(series);
  return {views.begin(), views.end()};
}

std::string Encode(const std::string& text) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '.' || c == '-' || c == '_') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

// A chain of `count` M3U playlists, each naming the next, the last naming the stream.
std::string PlaylistChain(int count) {
  std::string path = "/stream";
  for (int i = count; i >= 1; --i) path = "/pl/p" + std::to_string(i) + ".m3u?to=" + Encode(path);
  return path;
}

struct Recorder {
  std::mutex mutex;
  std::vector<std::string> texts;
  std::vector<std::string> titles;
  bool dataSeen = false;
};

void RecordDownload(const void* buffer, DWORD length, void* user) {
  auto* recorder = static_cast<Recorder*>(user);
  std::lock_guard lock(recorder->mutex);
  if (buffer && length == 0) recorder->texts.emplace_back(static_cast<const char*>(buffer));
  if (buffer && length > 0) recorder->dataSeen = true;
}

void RecordTitle(HSYNC, DWORD channel, DWORD, void* user) {
  auto* recorder = static_cast<Recorder*>(user);
  auto meta = BASS_ChannelGetTags(channel, BASS_TAG_META);
  std::lock_guard lock(recorder->mutex);
  if (meta) recorder->titles.push_back(meta->substr(0, meta->find('\0')));
}

TEST_F(EngineTest, IcyReplyHeadersStatusTextsAndTitles) {
  Recorder recorder;
  const std::string url = server_->Url(
      "/stream?fmt=mp3&icy=1&name=Test%20FM&br=128&metaint=4096&titles=First|Second&title_every=1");
  const HSTREAM stream = BASS_StreamCreateURL(
      url.c_str(), 0, BASS_STREAM_BLOCK | BASS_STREAM_STATUS, RecordDownload, &recorder);
  ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
  {
    std::lock_guard lock(recorder.mutex);
    ASSERT_FALSE(recorder.texts.empty());
    EXPECT_EQ(recorder.texts.front(), "ICY 200 OK");
  }
  const auto icy = BASS_ChannelGetTags(stream, BASS_TAG_ICY);
  ASSERT_TRUE(icy);
  const auto entries = Entries(*icy);
  EXPECT_EQ(entries, recorder.texts);
  EXPECT_EQ(std::count(entries.begin(), entries.end(), "icy-name:Test FM"), 1);
  EXPECT_EQ(icy->back(), '\0');
  EXPECT_FALSE(BASS_ChannelGetTags(stream, BASS_TAG_HTTP));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);

  ASSERT_NE(BASS_ChannelSetSync(stream, BASS_SYNC_META, 0, RecordTitle, &recorder), 0u);
  EXPECT_EQ(BASS_ChannelSetSync(stream, 2, 0, RecordTitle, &recorder), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLTYPE);
  BASS_ChannelPlay(stream, kFalse);
  EXPECT_TRUE(WaitUntil([&] {
    std::lock_guard lock(recorder.mutex);
    const std::set<std::string> seen(recorder.titles.begin(), recorder.titles.end());
    return seen.count("StreamTitle='First';") && seen.count("StreamTitle='Second';");
  }));
  std::lock_guard lock(recorder.mutex);
  EXPECT_TRUE(recorder.dataSeen);
}

TEST_F(EngineTest, HttpReplyIsTag3AndPositionsFollowTheRing) {
  const HSTREAM stream = Open("/stream?fmt=mp3&br=128");
  ASSERT_NE(stream, 0u);
  const auto http = BASS_ChannelGetTags(stream, BASS_TAG_HTTP);
  ASSERT_TRUE(http);
  EXPECT_EQ(Entries(*http).front().rfind("HTTP/1.", 0), 0u);
  EXPECT_FALSE(BASS_ChannelGetTags(stream, BASS_TAG_ICY));
  EXPECT_FALSE(BASS_ChannelGetTags(stream, BASS_TAG_META));

  // 2000 ms of 128 kbit/s.
  EXPECT_EQ(BASS_StreamGetFilePosition(stream, BASS_FILEPOS_END), 32000u);
  EXPECT_TRUE(WaitUntil([&] {
    const QWORD download = BASS_StreamGetFilePosition(stream, BASS_FILEPOS_DOWNLOAD);
    const QWORD current = BASS_StreamGetFilePosition(stream, BASS_FILEPOS_CURRENT);
    return download >= current && (download - current) * 100 / 32000 > 75;
  }));
  EXPECT_EQ(BASS_StreamGetFilePosition(stream, BASS_FILEPOS_WMA_BUFFER), kFilePosError);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);
  EXPECT_EQ(BASS_ChannelSeconds2Bytes(stream, 0.001), 176u);

  ASSERT_TRUE(BASS_StreamFree(stream));
  EXPECT_EQ(BASS_StreamGetFilePosition(stream, BASS_FILEPOS_END), kFilePosError);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
  EXPECT_FALSE(BASS_StreamFree(stream));
}

TEST_F(EngineTest, AsfStreamHasWmaTagsAndBufferFigure) {
  const HSTREAM stream = Open("/stream?fmt=wma&loop=0");
  ASSERT_NE(stream, 0u);
  EXPECT_TRUE(BASS_ChannelGetTags(stream, BASS_TAG_WMA));
  EXPECT_TRUE(WaitUntil([&] {
    const QWORD percent = BASS_StreamGetFilePosition(stream, BASS_FILEPOS_WMA_BUFFER);
    return percent > 75 && percent <= 100;
  }));
}

// A new logical stream in a chained Ogg stream renews tag 2 and the Shoutcast-form title.
TEST_F(EngineTest, ChainedOggRenewsTheTitle) {
  const HSTREAM stream = Open("/stream?fmt=chain");
  ASSERT_NE(stream, 0u);
  EXPECT_EQ(BASS_ChannelGetTags(stream, BASS_TAG_META), "StreamTitle='Band - One';");
  const auto ogg = BASS_ChannelGetTags(stream, BASS_TAG_OGG);
  ASSERT_TRUE(ogg);
  const auto comments = Entries(*ogg);
  EXPECT_EQ(std::count(comments.begin(), comments.end(), "title=One"), 1);
  Recorder recorder;
  BASS_ChannelSetSync(stream, BASS_SYNC_OGG_CHANGE, 0, RecordTitle, &recorder);
  BASS_ChannelPlay(stream, kFalse);
  EXPECT_TRUE(WaitUntil([&] {
    std::lock_guard lock(recorder.mutex);
    return !recorder.titles.empty();
  }));
  std::lock_guard lock(recorder.mutex);
  ASSERT_FALSE(recorder.titles.empty());
  EXPECT_EQ(recorder.titles.front(), "StreamTitle='Band - Two';");
}

TEST_F(EngineTest, FollowsPlaylistsMetAtTheAddress) {
  struct Case {
    const char* path;
    DWORD ctype;
  } cases[] = {
      {"/pl/a.pls?to=%2Fstream%3Ffmt%3Daac", BASS_CTYPE_STREAM_AAC},
      {"/pl/a.m3u", BASS_CTYPE_STREAM_MP3},
      {"/pl/a.asx?to=%2Fstream%3Ffmt%3Dogg", BASS_CTYPE_STREAM_OGG},
      {"/pl/a.txt", BASS_CTYPE_STREAM_MP3},
      {"/redirect?hops=3&to=%2Fpl%2Fb.pls", BASS_CTYPE_STREAM_MP3},
  };
  const std::string chain = PlaylistChain(3);
  for (const auto& c : cases) {
    const HSTREAM stream = Open(c.path);
    ASSERT_NE(stream, 0u) << c.path << " error " << BASS_ErrorGetCode();
    BASS_CHANNELINFO info;
    BASS_ChannelGetInfo(stream, &info);
    EXPECT_EQ(info.ctype, c.ctype) << c.path;
    BASS_StreamFree(stream);
  }
  const HSTREAM deep = Open(chain);
  EXPECT_NE(deep, 0u) << "three playlists deep, error " << BASS_ErrorGetCode();
}

TEST_F(EngineTest, EachFailureHasItsCode) {
  BASS_SetConfig(BASS_CONFIG_NET_TIMEOUT, 10000);
  struct Case {
    std::string url;
    int error;
    DWORD timeoutMs = 10000;
  } cases[] = {
      {server_->Url("/status/404"), BASS_ERROR_HTTP},
      {server_->Url("/status/503"), BASS_ERROR_HTTP},
      {"http://127.0.0.1:1/stream", BASS_ERROR_FILEOPEN},
      {"http://no-such-host.invalid/stream", BASS_ERROR_NONET},
      {server_->Url("/hang"), BASS_ERROR_TIMEOUT, 800},
      // The reply comes but no audio: the same deadline covers recognising the format.
      {server_->Url("/stream?fmt=mp3&stall_after=0"), BASS_ERROR_TIMEOUT, 800},
      {server_->Url("/stream?garbage=1"), BASS_ERROR_FILEFORM},
      {server_->Url("/stream?hdr_kib=100"), BASS_ERROR_MEM},
      {server_->Url("/pl/loop.pls?self=1"), BASS_ERROR_PLAYLIST},
      {server_->Url(PlaylistChain(4)), BASS_ERROR_PLAYLIST},
      {server_->Url("/redirect?loop=1"), BASS_ERROR_FILEOPEN},
      {"ftp://127.0.0.1/stream", BASS_ERROR_FILEOPEN},
  };
  for (const auto& c : cases) {
    BASS_SetConfig(BASS_CONFIG_NET_TIMEOUT, c.timeoutMs);
    EXPECT_EQ(BASS_StreamCreateURL(c.url.c_str(), 0, 0, nullptr, nullptr), 0u) << c.url;
    EXPECT_EQ(BASS_ErrorGetCode(), c.error) << c.url;
  }
}

TEST(EngineWithoutInit, StreamsNeedTheOutput) {
  EXPECT_EQ(BASS_StreamCreateURL("http://127.0.0.1:1/", 0, 0, nullptr, nullptr), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
  EXPECT_EQ(BASS_GetVolume(), -1.0f);
  EXPECT_EQ(BASS_GetVersion() >> 16, BASSVERSION);
  EXPECT_NE(BASS_PluginLoad("basswma", 1), 0u);
  EXPECT_NE(BASS_PluginLoad("bass_aac.dll", 1), 0u);
  EXPECT_EQ(BASS_PluginLoad("other.dll", 1), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
  EXPECT_FALSE(BASS_SetConfig(999, 1));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLTYPE);
}

// HTTPS against a local server whose certificate a test authority signed.
TEST_F(EngineTest, HttpsNeedsATrustedCertificate) {
  const std::string ca = FixtureDir() + "/ca";
  ASSERT_EQ(std::system(("bash " TEST_CA_SCRIPT " " + ca + " >/dev/null").c_str()), 0);
  Server tls({"--audio", "mp3=" + FixtureDir() + "/tone.mp3", "--tls-cert", ca + "/server.pem",
              "--tls-key", ca + "/server.key"});
  const std::string url = "https://127.0.0.1:" + std::to_string(tls.Port()) + "/stream";
  unsetenv("SSL_CERT_FILE");
  EXPECT_EQ(BASS_StreamCreateURL(url.c_str(), 0, 0, nullptr, nullptr), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_SSL);
  setenv("SSL_CERT_FILE", (ca + "/ca.pem").c_str(), 1);
  const HSTREAM stream = BASS_StreamCreateURL(url.c_str(), 0, 0, nullptr, nullptr);
  EXPECT_NE(stream, 0u) << BASS_ErrorGetCode();
  unsetenv("SSL_CERT_FILE");
}

}  // namespace
}  // namespace enginetest
