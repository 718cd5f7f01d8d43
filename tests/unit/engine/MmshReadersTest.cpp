#include <gtest/gtest.h>

#include "engine/real/AsfHeader.h"
#include "engine/real/AsfScript.h"
#include "engine/real/MmshChunks.h"
#include "tests/unit/engine/AsfBuilder.h"

namespace enginetest {
namespace {

using engine::AsfStream;
namespace asf = engine::asf;

std::string Broadcast() {
  return Header({FileProperties(3200), StreamProperties(1, asf::kAudioMedia, 4000),
                 StreamProperties(2, asf::kAudioMedia, 12000),
                 StreamProperties(3, asf::kCommandMedia), ContentDescription("Wma Radio", "Host")});
}

TEST(AsfHeader, ReadsPacketSizeStreamsAndTexts) {
  const auto header = engine::ReadAsfHeader(Broadcast() + std::string(50, '\0'));
  ASSERT_TRUE(header);
  EXPECT_EQ(header->packetSize, 3200u);
  ASSERT_EQ(header->streams.size(), 3u);
  EXPECT_EQ(header->streams[2].kind, AsfStream::Kind::kScript);
  ASSERT_TRUE(engine::BestAudioStream(*header));
  EXPECT_EQ(engine::BestAudioStream(*header)->number, 2);  // 96 kbit/s beats 32
  EXPECT_EQ(engine::BestAudioStream(*header)->bitrate, 96000u);
  EXPECT_EQ(header->tags, (engine::TagEntries{{"title", "Wma Radio"}, {"author", "Host"}}));
}

TEST(AsfHeader, RefusesWhatDoesNotHoldTogether) {
  const std::string good = Broadcast();
  std::string overlong = good;
  overlong.replace(30 + 16, 8, Le(1 << 20, 8));  // the first object claims more than there is
  const std::vector<std::string> bad = {
      good.substr(0, good.size() - 1),                        // cut short
      overlong,                                               //
      Header({StreamProperties(1, asf::kAudioMedia, 4000)}),  // no packet size
      Header({FileProperties(1 << 20)}),                      // absurd packet size
      std::string(64, 'x'),                                   // no header at all
  };
  for (const auto& bytes : bad) EXPECT_FALSE(engine::ReadAsfHeader(bytes)) << bytes.size();
}

TEST(AsfHeader, Utf16TextsBecomeUtf8) {
  EXPECT_EQ(engine::Utf16ToUtf8(std::string("\x2d\x01\x3d\xd8\xb5\xdc\0\0z\0", 10)),
            "\xc4\xad\xf0\x9f\x92\xb5");  // stops at the NUL
  EXPECT_EQ(engine::Utf16ToUtf8(std::string("\x00\xd8z\0", 4)), "\xef\xbf\xbdz");
}

TEST(MmshChunks, SplitsInAnyPiecesAndSkipsUnknownTypes) {
  const std::string body = Chunk('H', "head") + "$M" + Le(3, 2) + "xyz" + Chunk('D', "packet") +
                           Chunk('C', "") + Chunk('E', "");
  for (std::size_t piece : {1u, 3u, 1000u}) {
    engine::MmshChunks chunks;
    std::string seen;
    for (std::size_t at = 0; at < body.size(); at += piece) {
      ASSERT_TRUE(chunks.Feed(body.data() + at, std::min(piece, body.size() - at),
                              [&](engine::MmshChunks::Type type, std::string_view payload) {
                                seen += static_cast<char>(type);
                                seen += std::string(payload) + "|";
                                return true;
                              }));
    }
    EXPECT_EQ(seen, "Hhead|Dpacket|C|E|") << piece;
  }
}

TEST(MmshChunks, BrokenFramingStopsForGood) {
  for (const std::string& body : {std::string("HTTP/1.0 200 OK\r\n"),
                                  std::string("$D") + Le(4, 2) + "abcd"}) {  // shorter than 8
    engine::MmshChunks chunks;
    EXPECT_FALSE(chunks.Feed(body.data(), body.size(), [](auto, auto) { return true; }));
    EXPECT_TRUE(chunks.Broken());
    EXPECT_FALSE(chunks.Feed(Chunk('E', "").data(), 8, [](auto, auto) { return true; }));
  }
}

TEST(AsfScript, HandsOnWholeCommandsOfItsStreamOnly) {
  const std::string title = Utf16("TITLE") + Utf16("Song");
  engine::AsfScript script(3);
  std::vector<std::string> seen;
  const auto sink = [&](engine::ScriptCommand command) {
    seen.push_back(command.type + "=" + command.parameter);
  };
  EXPECT_TRUE(script.Packet(Packet(3, 1, 0, title.size(), title, 400), sink));
  EXPECT_TRUE(script.Packet(Packet(2, 2, 0, title.size(), title, 400), sink));  // audio
  // A sample in two fragments, and a fragment whose start was lost.
  EXPECT_TRUE(script.Packet(Packet(3, 3, 0, title.size(), title.substr(0, 7), 400), sink));
  EXPECT_TRUE(script.Packet(Packet(3, 3, 7, title.size(), title.substr(7), 400), sink));
  EXPECT_TRUE(script.Packet(Packet(3, 4, 7, title.size(), title.substr(7), 400), sink));
  EXPECT_EQ(seen, (std::vector<std::string>{"TITLE=Song", "TITLE=Song"}));
  EXPECT_FALSE(script.Packet(Packet(3, 5, 0, title.size(), title, 400).substr(0, 12), sink));
}

TEST(AsfScript, TitleCommands) {
  EXPECT_EQ(engine::TitleOf({"caption", "A"}), "A");
  EXPECT_EQ(engine::TitleOf({"TEXT", "B"}), "B");
  EXPECT_EQ(engine::TitleOf({"URL", "http://x"}), "");
}

}  // namespace
}  // namespace enginetest
