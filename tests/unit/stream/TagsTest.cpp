// Tag block walking, title, format and bitrate readers, and the engine callbacks.
#include <gtest/gtest.h>

#include "StreamFixture.h"
#include "stream/SharedState.h"
#include "stream/Tags.h"

namespace stream_test {
namespace {

using namespace std::string_literals;
using Strings = std::vector<std::string>;

class TagsTest : public StreamTest {
 protected:
  // Opens a scripted stream and makes it the current one.
  HSTREAM Open(engine::FakeEngine::Creation creation, bool wma = false) {
    engine_->QueueCreation(std::move(creation));
    const HSTREAM handle = BASS_StreamCreateURL("http://x", 0, 0, nullptr, nullptr);
    StreamChannel.store(handle);
    IsWmaStream.store(wma);
    return handle;
  }
  engine::FakeEngine::Creation WithInfo(DWORD ctype, QWORD bytesPerMs = 176, bool infoOk = true,
                                        std::map<DWORD, std::string> tags = {}) {
    auto creation = StreamWith(7, std::move(tags));
    creation.script.info.ctype = ctype;
    creation.script.bytesPerMs = bytesPerMs;
    creation.script.infoOk = infoOk;
    return creation;
  }
};

TEST(SeriesEntriesTest, WalksASeriesWithoutReadingPastTheBlock) {
  struct Case {
    std::string block;
    Strings entries;
  };
  const Case cases[] = {
      {"a=1\0b=2\0\0"s, {"a=1", "b=2"}},
      {"a=1\0\0ignored\0\0"s, {"a=1"}},  // the empty entry ends the series
      {"a=1\0b=2"s, {"a=1", "b=2"}},     // cut short by the engine: no terminators
      {"a=1\0"s, {"a=1"}},
      {""s, {}},
      {"\0"s, {}},
  };
  for (const auto& c : cases) {
    Strings got;
    for (auto entry : engine::SeriesEntries(c.block)) got.emplace_back(entry);
    EXPECT_EQ(got, c.entries) << testing::PrintToString(c.block);
  }
}

TEST(ShoutcastTitleTest, TakesWhatStandsBetweenTheQuotes) {
  struct Case {
    std::string meta;
    std::optional<std::string> title;
  };
  const Case cases[] = {
      {"StreamTitle='Artist - Song';StreamUrl='';", "Artist - Song"},
      {"StreamTitle='';", ""},
      {"StreamTitle='Rock; Roll';", "Roc"},    // cut one before the inner ';'
      {"StreamTitle=';x';", ""},               // ';' right after the opening quote
      {"StreamTitle='no end'", ""},            // no ';' at all
      {"a=1;StreamTitle='late';", ""},         // ';' before "StreamTitle="
      {"streamtitle='lower';", std::nullopt},  // names are compared exactly
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(stream::ShoutcastTitle(c.meta), c.title) << c.meta;
}

TEST(WholeNumberTest, SignAndDigitsOnly) {
  const std::pair<const char*, std::int32_t> cases[] = {
      {"128", 128},
      {"+128", 128},
      {"-5", -5},
      {"007", 7},
      {"", 0},
      {"+", 0},
      {"-", 0},
      {"12a", 0},
      {"1,5", 0},
      {"128 kbps", 0},
      {" 12", 0},
      {"0x80", 0},
      {"2147483647", 2147483647},
      {"2147483648", 0},
      {"-2147483648", INT32_MIN},
      {"-2147483649", 0},
      {"99999999999999999999999", 0},
  };
  for (const auto& [input, expected] : cases)
    EXPECT_EQ(stream::WholeNumber(input), expected) << input;
}

TEST(TextBeforeAfterTest, SplitAtTheFirstSeparator) {
  EXPECT_EQ(stream::TextBefore("icy-br:128:x", ':'), "icy-br");
  EXPECT_EQ(stream::TextAfter("icy-br:128:x", ':'), "128:x");
  EXPECT_EQ(stream::TextBefore("no colon", ':'), "no colon");
  EXPECT_EQ(stream::TextAfter("no colon", ':'), "no colon");
  EXPECT_EQ(stream::TextAfter(":", ':'), "");
  EXPECT_EQ(stream::TextAfter("k:" + std::string(300, 'v'), ':'), std::string(255, 'v'));
}

TEST_F(TagsTest, BitrateFromHeaders) {
  struct Case {
    const char* what;
    std::map<DWORD, std::string> tags;
    std::int32_t bitrate;
  };
  const Case cases[] = {
      {"icy, blank after colon", {{BASS_TAG_ICY, "icy-br: 128\0\0"s}}, 128},
      {"icy, last wins", {{BASS_TAG_ICY, "icy-br:64\0icy-name:x\0icy-br:128\0\0"s}}, 128},
      {"http, first wins", {{BASS_TAG_HTTP, "icy-br:96\0ice-bitrate:128\0\0"s}}, 96},
      {"http, ice-bitrate", {{BASS_TAG_HTTP, "Server: x\0ice-bitrate: 320 \0\0"s}}, 320},
      {"not a number", {{BASS_TAG_ICY, "icy-br:128kbps\0\0"s}}, 0},
      {"capitals are other names", {{BASS_TAG_ICY, "ICY-BR:128\0\0"s}}, 176},
      // ICY headers without a bitrate hide the HTTP ones: the byte-rate fallback is used.
      {"icy hides http",
       {{BASS_TAG_ICY, "icy-name:x\0\0"s}, {BASS_TAG_HTTP, "icy-br:128\0\0"s}},
       176},
  };
  for (const auto& c : cases) {
    Open(WithInfo(BASS_CTYPE_STREAM_MP3, 176, true, c.tags));
    EXPECT_EQ(stream::StreamBitrate(), c.bitrate) << c.what;
  }
}

TEST_F(TagsTest, BitrateFallbackByChannelType) {
  struct Case {
    DWORD ctype;
    QWORD bytesPerMs;
    bool infoOk;
    std::int32_t bitrate;
  };
  const Case cases[] = {
      {BASS_CTYPE_STREAM_MP3, 176, true, 176},
      {BASS_CTYPE_STREAM_OGG, 192, true, 192},
      {BASS_CTYPE_STREAM_WMA, 10, true, 2},      // 2.5 to the even 2
      {BASS_CTYPE_STREAM_WMA_MP3, 14, true, 4},  // 3.5 to the even 4
      {BASS_CTYPE_STREAM_WMA, 13, true, 3},      // 3.25
      {BASS_CTYPE_STREAM_AAC, 176, true, 0},
      {BASS_CTYPE_STREAM_MP4, 176, true, 0},
      {0x12345, 100, true, 100},
      {BASS_CTYPE_STREAM_MP3, 176, false, 0},
  };
  for (const auto& c : cases) {
    Open(WithInfo(c.ctype, c.bytesPerMs, c.infoOk));
    EXPECT_EQ(stream::StreamBitrate(), c.bitrate) << std::hex << c.ctype << " " << c.bytesPerMs;
  }
}

TEST_F(TagsTest, FormatNames) {
  const std::pair<DWORD, const char*> cases[] = {
      {BASS_CTYPE_STREAM_OGG, "ogg"},
      {BASS_CTYPE_STREAM_MP1, "mp3"},
      {BASS_CTYPE_STREAM_MP2, "mp3"},
      {BASS_CTYPE_STREAM_MP3, "mp3"},
      {BASS_CTYPE_STREAM_WMA, "wma"},
      {BASS_CTYPE_STREAM_WMA_MP3, "wma"},
      {BASS_CTYPE_STREAM_AAC, "aac"},
      {BASS_CTYPE_STREAM_MP4, "mp4"},
      {0x10000, nullptr},
  };
  for (const auto& [ctype, name] : cases) {
    Open(WithInfo(ctype));
    const char* got = stream::StreamFormatName();
    EXPECT_EQ(got ? std::string(got) : "(none)", name ? std::string(name) : "(none)");
  }
  Open(WithInfo(BASS_CTYPE_STREAM_MP3, 176, false));
  EXPECT_EQ(stream::StreamFormatName(), nullptr);
}

TEST_F(TagsTest, ReadStreamTitleSendsTheShoutcastTitle) {
  Open(StreamWith(7, {{BASS_TAG_META, "StreamTitle='Artist - Song';StreamUrl='';\0"s}}));
  stream::ReadStreamTitle();
  Open(StreamWith(8, {{BASS_TAG_META, "StreamTitle='';\0"s}}));
  stream::ReadStreamTitle();
  Open(StreamWith(9, {{BASS_TAG_META, "StreamUrl='x';\0"s}}));  // no title: nothing sent
  stream::ReadStreamTitle();
  Open(StreamWith(10));  // no metadata: nothing sent
  stream::ReadStreamTitle();
  EXPECT_EQ(statuses_, (Strings{"7:Artist - Song", "7:"}));
  EXPECT_EQ(labels_.label3, "Artist - Song");
}

TEST_F(TagsTest, ReadStreamTitleSendsWmaMetadataWhole) {
  Open(StreamWith(7, {{BASS_TAG_WMA_META, "StreamTitle='x';caption=y\0"s},
                      {BASS_TAG_META, "StreamTitle='not this';\0"s}}),
       true);
  stream::OnMetaSync(0, 0, 0, nullptr);
  EXPECT_EQ(statuses_, Strings{"6:StreamTitle='x';caption=y"});
}

TEST_F(TagsTest, WmaChangeSendsTitleAndAuthor) {
  Open(StreamWith(7, {{BASS_TAG_WMA, "Title=no\0title=Song\0x=1\0author=Band\0AUTHOR=no\0\0"s}}),
       true);
  stream::OnWmaChangeSync(0, 0, 0, nullptr);
  EXPECT_EQ(statuses_, (Strings{"3:Song", "4:Band"}));
}

TEST_F(TagsTest, DownloadStatusSendsOnlyServerTexts) {
  stream::OnDownloadStatus("ICY 200 OK", 0, nullptr);
  stream::OnDownloadStatus("data", 4, nullptr);
  stream::OnDownloadStatus(nullptr, 0, nullptr);
  EXPECT_EQ(statuses_, Strings{"8:ICY 200 OK"});
  EXPECT_TRUE(labels_.events.empty());
}

}  // namespace
}  // namespace stream_test
