// Windows Media stations from the local server's MMSH route: header tags, script-command
// titles, a header change, the end chunk, and a clean error code for each broken reply.
#include <atomic>
#include <mutex>
#include <thread>

#include "tests/integration/engine/EngineTestBase.h"

namespace enginetest {
namespace {

using namespace std::chrono_literals;

struct Events {
  std::mutex mutex;
  std::vector<std::string> titles;   // tag 11 at each WMA META sync
  std::vector<std::string> headers;  // tag 8 at each WMA change sync
};

void OnTitle(HSYNC, DWORD channel, DWORD, void* user) {
  auto* events = static_cast<Events*>(user);
  if (auto tag = BASS_ChannelGetTags(channel, BASS_TAG_WMA_META)) {
    std::lock_guard lock(events->mutex);
    events->titles.push_back(*tag);
  }
}

void OnHeader(HSYNC, DWORD channel, DWORD, void* user) {
  auto* events = static_cast<Events*>(user);
  if (auto tag = BASS_ChannelGetTags(channel, BASS_TAG_WMA)) {
    std::lock_guard lock(events->mutex);
    events->headers.push_back(*tag);
  }
}

bool Has(Events& events, const std::vector<std::string> Events::*list, const std::string& text) {
  std::lock_guard lock(events.mutex);
  for (const auto& entry : events.*list) {
    if (entry.find(text) != std::string::npos) return true;
  }
  return false;
}

TEST_F(EngineTest, MmshHeaderTagsScriptTitlesAndHeaderChange) {
  const HSTREAM stream = Open(
      "/mmsh?title=Wma%20Radio&author=Wma%20Host&scripts=First%20Song|Second%20Song"
      "&script_every=1&change_after=30&change_title=Next%20Show&unknown=1");
  ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
  const auto tags = BASS_ChannelGetTags(stream, BASS_TAG_WMA);
  ASSERT_TRUE(tags);
  EXPECT_NE(tags->find(std::string("title=Wma Radio\0", 16)), std::string::npos);
  EXPECT_NE(tags->find(std::string("author=Wma Host\0", 16)), std::string::npos);
  EXPECT_EQ(tags->substr(tags->size() - 2), std::string(2, '\0'));
  BASS_CHANNELINFO info;
  ASSERT_TRUE(BASS_ChannelGetInfo(stream, &info));
  EXPECT_EQ(info.ctype, BASS_CTYPE_STREAM_WMA);
  EXPECT_NE(BASS_StreamGetFilePosition(stream, BASS_FILEPOS_WMA_BUFFER), kFilePosError);

  Events events;
  BASS_ChannelSetSync(stream, BASS_SYNC_WMA_META, 0, OnTitle, &events);
  BASS_ChannelSetSync(stream, BASS_SYNC_WMA_CHANGE, 0, OnHeader, &events);
  ASSERT_TRUE(BASS_ChannelPlay(stream, kFalse));
  // The title arrives as the command's text alone, as one text.
  EXPECT_TRUE(WaitUntil([&] { return Has(events, &Events::titles, "Second Song"); }, 20s));
  EXPECT_EQ(BASS_ChannelGetTags(stream, BASS_TAG_WMA_META), std::string("Second Song\0\0", 13));
  EXPECT_TRUE(WaitUntil(
      [&] { return Has(events, &Events::headers, std::string("title=Next Show\0", 16)); }, 30s));
  CloseOutput();
  EXPECT_EQ(DominantFrequency(ReadLeft(capture_), kRate), 990);
}

struct Downloads {
  std::atomic<std::uint64_t> bytes{0};
  std::atomic<bool> ended{false};
};

void OnDownload(const void* buffer, DWORD length, void* user) {
  auto* downloads = static_cast<Downloads*>(user);
  if (buffer) downloads->bytes += length;
  if (!buffer) downloads->ended = true;
}

TEST_F(EngineTest, MmshEndChunkEndsTheStream) {
  Downloads downloads;
  const HSTREAM stream = BASS_StreamCreateURL(server_->Url("/mmsh?end_after=20&pace=0").c_str(), 0,
                                              BASS_STREAM_BLOCK, OnDownload, &downloads);
  ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
  ASSERT_TRUE(BASS_ChannelPlay(stream, kFalse));
  // Played out, the stream is stopped (and, created without auto-free, still there).
  EXPECT_TRUE(WaitUntil([&] { return BASS_ChannelIsActive(stream) == BASS_ACTIVE_STOPPED; }));
  const QWORD download = BASS_StreamGetFilePosition(stream, BASS_FILEPOS_DOWNLOAD);
  EXPECT_EQ(download, BASS_StreamGetFilePosition(stream, BASS_FILEPOS_CURRENT));
  // The download callback saw the data after the creation, then the end.
  EXPECT_TRUE(downloads.ended);
  EXPECT_GT(downloads.bytes.load(), 0u);
  EXPECT_LT(downloads.bytes.load(), download);
}

// A file's titles in the header's script command object are handed on as the stream
// reaches their times.
TEST_F(EngineTest, MmshHeaderScriptCommandsComeOnTime) {
  const HSTREAM stream = Open("/mmsh?header_scripts=Opening|Later%20On&script_every=3&burst=0");
  ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
  Events events;
  BASS_ChannelSetSync(stream, BASS_SYNC_WMA_META, 0, OnTitle, &events);
  EXPECT_EQ(BASS_ChannelGetTags(stream, BASS_TAG_WMA_META), std::string("Opening\0\0", 9));
  ASSERT_TRUE(BASS_ChannelPlay(stream, kFalse));
  EXPECT_TRUE(WaitUntil([&] { return Has(events, &Events::titles, "Later On"); }, 20s));
  // The opening title came while the stream was being created: the sync, set afterwards,
  // never hears of it, however soon the engine's threads got to run.
  std::lock_guard lock(events.mutex);
  EXPECT_EQ(events.titles, std::vector<std::string>{std::string("Later On\0\0", 10)});
}

// The usual way to such a station: an .asx met at an http:// address names an mms:// one.
TEST_F(EngineTest, MmshStationFromAnAsxMetAtTheAddress) {
  const std::string station = "mms://127.0.0.1:" + std::to_string(server_->Port()) + "/mmsh";
  const HSTREAM stream = Open("/pl/station.asx?abs=" + station);
  ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
  EXPECT_TRUE(BASS_ChannelGetTags(stream, BASS_TAG_WMA));
  BASS_CHANNELINFO info;
  ASSERT_TRUE(BASS_ChannelGetInfo(stream, &info));
  EXPECT_EQ(info.ctype, BASS_CTYPE_STREAM_WMA);
}

// However a server cuts the header into chunks, and whether or not the data object's head
// follows it, the stream plays.
TEST_F(EngineTest, MmshHeaderInPieces) {
  for (const char* query : {"split_header=100", "split_header=end", "no_data_head=1",
                            "split_header=end&no_data_head=1"}) {
    const HSTREAM stream = Open(std::string("/mmsh?") + query);
    ASSERT_NE(stream, 0u) << query << ": " << BASS_ErrorGetCode();
    EXPECT_TRUE(BASS_ChannelGetTags(stream, BASS_TAG_WMA)) << query;
    BASS_StreamFree(stream);
  }
}

TEST_F(EngineTest, MmshBrokenRepliesHaveCleanCodes) {
  struct Case {
    const char* path;
    int error;
  };
  const Case cases[] = {
      {"/mmsh?garbage=describe", BASS_ERROR_FILEFORM},
      {"/mmsh?garbage=play", BASS_ERROR_FILEFORM},
      {"/mmsh?big_packets=1", BASS_ERROR_FILEFORM},
      {"/mmsh?big_header=1", BASS_ERROR_MEM},
      {"/status/404?x=1", BASS_ERROR_HTTP},
  };
  for (const auto& c : cases) {
    const std::string url = "mms://127.0.0.1:" + std::to_string(server_->Port()) + c.path;
    EXPECT_EQ(BASS_StreamCreateURL(url.c_str(), 0, BASS_STREAM_BLOCK, nullptr, nullptr), 0u)
        << c.path;
    EXPECT_EQ(BASS_ErrorGetCode(), c.error) << c.path;
  }
}

}  // namespace
}  // namespace enginetest
