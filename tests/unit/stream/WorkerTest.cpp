// One worker run, step by step, against the scripted engine. The run happens on the window's
// thread here, so every send is a direct call and the order is deterministic.
#include <gtest/gtest.h>

#include "StreamFixture.h"
#include "sources/Station.h"
#include "stream/SharedState.h"
#include "stream/StatusDisplay.h"

namespace stream_test {
namespace {

using namespace std::string_literals;
using Strings = std::vector<std::string>;

const std::string kConnecting = "4:Ba\xF0lan\xFDyor...";
const std::string kSlogan = "3:"s + sources::StationSlogan;
std::string Buffering(int percent) {
  return "4:Y\xFCkleniyor... " + std::to_string(percent) + "%";
}

class WorkerTest : public StreamTest {
 protected:
  static constexpr HSTREAM kHandle = 42;
  engine::FakeEngine::StreamScript& Queue(std::map<DWORD, std::string> tags = {}) {
    queued_ = StreamWith(kHandle, std::move(tags));
    return queued_.script;
  }
  void Run() {
    engine_->QueueCreation(queued_);
    RunWorker();
  }
  // The logged engine calls whose names start with one of prefixes, in order.
  Strings CallsOf(std::initializer_list<const char*> prefixes) const {
    Strings picked;
    for (const auto& call : engine_->Calls())
      for (const char* prefix : prefixes)
        if (call.rfind(prefix, 0) == 0) picked.push_back(call);
    return picked;
  }
  int Count(const std::string& status) const {
    return static_cast<int>(std::count(statuses_.begin(), statuses_.end(), status));
  }
  engine::FakeEngine::Creation queued_;
};

TEST_F(WorkerTest, SuccessfulConnection) {
  StreamChannel.store(7);
  auto& script = Queue({{BASS_TAG_ICY, "icy-name:Radio X\0icy-br:128\0\0"s},
                        {BASS_TAG_META, "StreamTitle='Song';\0"s}});
  script.filePositions = {
      {BASS_FILEPOS_END, {1000}}, {BASS_FILEPOS_DOWNLOAD, {800}}, {BASS_FILEPOS_CURRENT, {0}}};
  queued_.downloadTexts = {"ICY 200 OK"};
  Run();

  EXPECT_EQ(statuses_,
            (Strings{"0", "8:ICY 200 OK", "2:80", "3:Radio X", "4:bitrate: 128", "7:Song"}));
  EXPECT_EQ(labels_.events,
            (Strings{kSlogan, kConnecting, Buffering(80), "repaint4", "4:Radio X",
                     "kbps:128 kbps mp3", "hz:44100 Hz Stereo ", "3:Song", "4:Radio X"}));
  EXPECT_EQ(
      CallsOf({"StreamFree", "MusicFree", "StreamCreateURL", "ChannelSetSync", "ChannelPlay"}),
      (Strings{"StreamFree(7)", "MusicFree(7)", "StreamCreateURL(http://127.0.0.1/stream,9699328)",
               "ChannelSetSync(42,4)", "ChannelSetSync(42,12)", "ChannelPlay(42,0)"}));
  EXPECT_EQ(StreamChannel.load(), kHandle);
  EXPECT_FALSE(IsWmaStream.load());
  EXPECT_EQ(StationName, "Radio X");
  EXPECT_EQ(SiteAddress, sources::DefaultStreamUrl());
  EXPECT_EQ(NowPlaying, "Song");
}

TEST_F(WorkerTest, FailedConnectionReportsNoServiceAndNothingElse) {
  StreamChannel.store(7);
  IsWmaStream.store(true);
  engine_->QueueCreation(engine::FakeEngine::Creation{});  // handle 0: the creation fails
  RunWorker();

  EXPECT_EQ(statuses_, (Strings{"0", "1"}));
  EXPECT_EQ(labels_.events, (Strings{kSlogan, kConnecting, "4:Servis Yok"}));
  EXPECT_EQ(StreamChannel.load(), 0u);
  EXPECT_TRUE(IsWmaStream.load());
  EXPECT_TRUE(CallsOf({"ChannelGetTags", "ChannelSetSync", "ChannelPlay"}).empty());
  EXPECT_TRUE(SiteAddress.empty());
}

TEST_F(WorkerTest, BufferingGoesOnAt75AndEndsAt76) {
  Queue().filePositions = {
      {BASS_FILEPOS_END, {1000}}, {BASS_FILEPOS_DOWNLOAD, {750, 760}}, {BASS_FILEPOS_CURRENT, {0}}};
  Run();
  EXPECT_EQ(Count("2:75"), 1);
  EXPECT_EQ(Count("2:76"), 1);
  EXPECT_EQ(CallsOf({"StreamGetFilePosition"}),
            (Strings{"StreamGetFilePosition(42,2)", "StreamGetFilePosition(42,2)",
                     "StreamGetFilePosition(42,1)", "StreamGetFilePosition(42,0)",
                     "StreamGetFilePosition(42,2)", "StreamGetFilePosition(42,2)",
                     "StreamGetFilePosition(42,1)", "StreamGetFilePosition(42,0)"}));
}

TEST_F(WorkerTest, NegativeProgressIsShownAndEndsTheLoop) {
  Queue().filePositions = {
      {BASS_FILEPOS_END, {1000}}, {BASS_FILEPOS_DOWNLOAD, {0}}, {BASS_FILEPOS_CURRENT, {105}}};
  Run();
  EXPECT_EQ(Count("2:-10"), 1);  // truncated toward zero
  EXPECT_EQ(labels_.events[2], Buffering(-10));
  EXPECT_EQ(CallsOf({"StreamGetFilePosition(42,2)"}).size(), 2u);
}

TEST_F(WorkerTest, AFailingOrZeroEndPositionEndsTheLoopWithoutStatus) {
  for (std::deque<QWORD> end : {std::deque<QWORD>{}, std::deque<QWORD>{0}}) {
    statuses_.clear();
    engine_->ClearCalls();
    Queue({{BASS_TAG_ICY, "icy-name:N\0\0"s}}).filePositions = {
        {BASS_FILEPOS_END, end}, {BASS_FILEPOS_DOWNLOAD, {10}}, {BASS_FILEPOS_CURRENT, {0}}};
    Run();
    EXPECT_EQ(statuses_, (Strings{"0", "3:N"}));  // the run goes on after the loop
    EXPECT_EQ(CallsOf({"ChannelPlay"}), Strings{"ChannelPlay(42,0)"});
  }
}

TEST_F(WorkerTest, WmaStream) {
  Queue({{BASS_TAG_WMA, "WMFSDKVersion=12\0\0"s},
         {BASS_TAG_WMA_META, "title=Wma Radio\0author=Someone\0Title=no\0\0"s}})
      .filePositions = {{BASS_FILEPOS_END, {1000}}, {BASS_FILEPOS_WMA_BUFFER, {50, 90}}};
  Run();
  EXPECT_EQ(statuses_,
            (Strings{"0", "2:50", "2:90", "3:1: Wma Radio", "4:2: Someone", "6:title=Wma Radio"}));
  EXPECT_TRUE(IsWmaStream.load());
  EXPECT_TRUE(CallsOf({"StreamGetFilePosition(42,1)", "StreamGetFilePosition(42,0)"}).empty());
  EXPECT_EQ(
      CallsOf({"ChannelSetSync"}),
      (Strings{"ChannelSetSync(42,65793)", "ChannelSetSync(42,65792)", "ChannelSetSync(42,4)"}));
  EXPECT_EQ(StationName, "1: Wma Radio");
}

TEST_F(WorkerTest, HeaderBlocksAreTakenInOrderIcyHttpOgg) {
  struct Case {
    std::map<DWORD, std::string> tags;
    const char* name;
  };
  const Case cases[] = {
      {{{BASS_TAG_ICY, "icy-name:I\0\0"s},
        {BASS_TAG_HTTP, "icy-name:H\0\0"s},
        {BASS_TAG_OGG, "icy-name:O\0\0"s}},
       "3:I"},
      {{{BASS_TAG_ICY, "x:1\0\0"s}, {BASS_TAG_HTTP, "icy-name:H\0\0"s}}, nullptr},
      {{{BASS_TAG_HTTP, "icy-name:H\0\0"s}, {BASS_TAG_OGG, "icy-name:O\0\0"s}}, "3:H"},
      {{{BASS_TAG_OGG, "icy-name:O\0\0"s}}, "3:O"},
      {{{BASS_TAG_ICY, "icy-name: Spaced\0\0"s}}, "3: Spaced"},  // the blank stays
      {{{BASS_TAG_ICY, "ICY-NAME:Caps\0Icy-Br:128\0\0"s}}, nullptr},
  };
  for (const auto& c : cases) {
    statuses_.clear();
    Queue(c.tags);
    Run();
    const Strings expected = c.name ? Strings{"0", c.name} : Strings{"0"};
    EXPECT_EQ(statuses_, expected);
  }
}

TEST_F(WorkerTest, BitrateAndRateLabels) {
  struct Case {
    DWORD chans;
    bool infoOk;
    const char* kbps;
    const char* hz;
  };
  const Case cases[] = {
      {1, true, "kbps:128 kbps mp3", "hz:22050 Hz Mono "},
      {2, true, "kbps:128 kbps mp3", "hz:22050 Hz Stereo "},
      {6, true, "kbps:128 kbps mp3", "hz:22050 Hz Stereo "},
      {1, false, "kbps:128 kbps ", "hz:0 Hz Stereo "},  // the record keeps its zeros
  };
  for (const auto& c : cases) {
    labels_.events.clear();
    ChannelInfo = BASS_CHANNELINFO{};
    auto& script = Queue({{BASS_TAG_ICY, "icy-br: 128\0\0"s}});
    script.info.freq = 22050;
    script.info.chans = c.chans;
    script.infoOk = c.infoOk;
    Run();
    EXPECT_EQ(Count("4:bitrate:  128"), 1);
    const Strings format{labels_.events[2], labels_.events[3]};
    EXPECT_EQ(format, (Strings{c.kbps, c.hz}));
    statuses_.clear();
  }
}

TEST_F(WorkerTest, NoBitrateHeaderLeavesTheFormatLabels) {
  Queue({{BASS_TAG_ICY, "icy-name:N\0\0"s}});
  Run();
  EXPECT_EQ(labels_.kbps, "0 kbps aac");
  EXPECT_EQ(labels_.hz, "0 Hz");
}

TEST_F(WorkerTest, StationNameAndSiteDefaultToTheBuiltInAddress) {
  Queue();
  Run();
  EXPECT_EQ(SiteAddress, sources::DefaultStreamUrl());
  EXPECT_EQ(StationName, sources::DefaultStreamUrl());
  EXPECT_EQ(labels_.label4, sources::DefaultStreamUrl());

  SiteAddress = "http://site";
  StationName = "Chosen";
  Queue();
  Run();
  EXPECT_EQ(SiteAddress, "http://site");
  EXPECT_EQ(labels_.label4, "Chosen");
}

}  // namespace
}  // namespace stream_test
