#include <gtest/gtest.h>

#include "engine/real/HlsSegment.h"
#include "engine/real/Id3Tag.h"

namespace engine {
namespace {

std::string SyncSafe(std::size_t n) {
  return {static_cast<char>(n >> 21 & 0x7F), static_cast<char>(n >> 14 & 0x7F),
          static_cast<char>(n >> 7 & 0x7F), static_cast<char>(n & 0x7F)};
}

std::string BigEndian(std::size_t n) {
  return {static_cast<char>(n >> 24), static_cast<char>(n >> 16 & 0xFF),
          static_cast<char>(n >> 8 & 0xFF), static_cast<char>(n & 0xFF)};
}

// An ID3v2.<version> tag of (id, body) frames.
std::string Tag(int version, std::initializer_list<std::pair<std::string, std::string>> frames) {
  std::string body;
  for (const auto& [id, data] : frames)
    body += id + (version >= 4 ? SyncSafe(data.size()) : BigEndian(data.size())) +
            std::string(2, '\0') + data;
  return "ID3" + std::string{static_cast<char>(version), 0, 0} + SyncSafe(body.size()) + body;
}

const std::string kPriv = "com.apple.streaming.transportStreamTimestamp" + std::string(1, '\0') +
                          std::string("\0\0\0\0\0\x01\x5f\x90", 8);

TEST(Id3Tag, TitleAndArtistInEveryEncoding) {
  struct Case {
    std::string tag;
    std::optional<std::string> title;
  } cases[] = {
      {Tag(4, {{"PRIV", kPriv},
               {"TIT2",
                "\x03"
                "Caf\xC3\xA9"},
               {"TPE1",
                "\x03"
                "Band"}}),
       "StreamTitle='Band - Caf\xC3\xA9';"},
      // UTF-16 with a byte-order mark, v2.3 sizes; a second value after the NUL is dropped.
      {Tag(3, {{"TIT2", std::string("\x01\xFF\xFES\0o\0n\0g\0\0\0X\0", 16)}}),
       "StreamTitle='Song';"},
      {Tag(4, {{"TIT2", std::string("\x02\0\xE9\0A", 5)}}),
       "StreamTitle='\xC3\xA9"
       "A';"},
      {Tag(4, {{"TIT2", std::string("\0Latin\xE9", 7)}}), "StreamTitle='Latin\xE9';"},
      // Timestamps alone carry no title.
      {Tag(4, {{"PRIV", kPriv}}), std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ShoutcastTitle(Id3TextEntries(c.tag)), c.title);
}

TEST(Id3Tag, SizesAndDamage) {
  EXPECT_EQ(Id3TagSize("ID3"), std::nullopt);  // too short to tell
  EXPECT_EQ(Id3TagSize("\x47\x40"), 0u);
  EXPECT_EQ(Id3TagSize(std::string("ID3\x04\0\0\0\0\x01\x00", 10)), 10u + 128u);
  EXPECT_EQ(Id3TagSize(std::string("ID3\x04\0\x10\0\0\0\x05", 10)), 10u + 5u + 10u);  // footer
  // A frame that claims more than the tag holds ends the reading, and nothing is invented.
  std::string damaged = Tag(4, {{"TIT2", "\x03Whole"}});
  damaged[10 + 7] = 0x7F;
  EXPECT_TRUE(Id3TextEntries(damaged).empty());
  EXPECT_TRUE(Id3TextEntries(damaged.substr(0, 14)).empty());
}

TEST(HlsSegment, LeadingTagsNeverReachTheDecoder) {
  const std::string audio = std::string("\xFF\xF1\x50\x80\x02\x1F\xFC", 7) + "adts frame bytes";
  const std::string segment =
      Tag(4, {{"PRIV", kPriv}}) + Tag(4, {{"TIT2", "\x03Two tags"}}) + audio;
  for (std::size_t chunk : {segment.size(), std::size_t{1}, std::size_t{7}}) {
    SegmentHead head;
    std::string out;
    const SegmentHead::Sink sink = [&](const char* data, std::size_t size) {
      out.append(data, size);
      return true;
    };
    for (std::size_t at = 0; at < segment.size(); at += chunk)
      ASSERT_TRUE(head.Feed(segment.data() + at, std::min(chunk, segment.size() - at), sink));
    ASSERT_TRUE(head.Finish(sink));
    EXPECT_EQ(out, audio) << "chunks of " << chunk;
    EXPECT_EQ(ShoutcastTitle(head.Tags()), "StreamTitle='Two tags';");
    EXPECT_EQ(SniffSegment(out), SegmentKind::kAdts);
  }
}

TEST(HlsSegment, OtherSegmentsPassUnchanged) {
  for (const std::string& segment : {std::string("\x47\x40\x11\x10", 4) + std::string(184, 'T'),
                                     std::string("ID"), std::string()}) {
    SegmentHead head;
    std::string out;
    const SegmentHead::Sink sink = [&](const char* data, std::size_t size) {
      out.append(data, size);
      return true;
    };
    ASSERT_TRUE(head.Feed(segment.data(), segment.size(), sink));
    ASSERT_TRUE(head.Finish(sink));
    EXPECT_EQ(out, segment);
    EXPECT_TRUE(head.Tags().empty());
  }
  SegmentHead huge;
  const std::string tooLarge = "ID3" + std::string{4, 0, 0} + SyncSafe(kMaxId3Bytes);
  EXPECT_FALSE(
      huge.Feed(tooLarge.data(), tooLarge.size(), [](const char*, std::size_t) { return true; }));
}

TEST(HlsSegment, SniffsTheKindForTheDecoder) {
  struct Case {
    std::string start;
    SegmentKind kind;
  } cases[] = {
      {"\x47\x40\x00", SegmentKind::kTransportStream},
      {"\xFF\xF1\x50", SegmentKind::kAdts},
      {"\xFF\xFB\x90\x64", SegmentKind::kMpegAudio},
      {std::string("\0\0\0\x18"
                   "ftypiso6",
                   12),
       SegmentKind::kMp4},
      {"RIFF....", SegmentKind::kUnknown},
  };
  for (const auto& c : cases) EXPECT_EQ(SniffSegment(c.start), c.kind) << c.start;
}

}  // namespace
}  // namespace engine
