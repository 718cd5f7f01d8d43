// Which backend the operations reach: the installed one, else the executable's default, else
// none, in which case every operation fails cleanly instead of crashing.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "engine/bass.h"
#include "engine/fake/FakeEngine.h"

namespace {

std::shared_ptr<engine::FakeEngine>& DefaultFake() {
  static auto fake = std::make_shared<engine::FakeEngine>();
  return fake;
}
std::shared_ptr<engine::Backend> MakeDefaultFake() {
  return DefaultFake();
}

class DispatchTest : public testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }
  static void Reset() {
    engine::SetDefaultBackend(nullptr);
    engine::SetBackend(nullptr);
  }
};

struct Operation {
  std::string name;
  std::function<bool()> failed;  // runs the operation; true when it gave its failure result
};

TEST_F(DispatchTest, WithoutAnyBackendEveryOperationFailsWithInitError) {
  int downloads = 0;
  DOWNLOADPROC* const download = [](const void*, DWORD, void* user) { ++*static_cast<int*>(user); };
  SYNCPROC* const sync = [](HSYNC, DWORD, DWORD, void*) {};
  BASS_CHANNELINFO info{};
  const Operation operations[] = {
      {"GetVersion", [] { return BASS_GetVersion() == 0; }},
      {"Init", [] { return !BASS_Init(-1, 44100, 0, nullptr, nullptr); }},
      {"PluginLoad", [] { return BASS_PluginLoad("bassaac.dll", 0) == 0; }},
      {"SetConfig", [] { return !BASS_SetConfig(BASS_CONFIG_NET_TIMEOUT, 1000); }},
      {"SetConfigPtr", [] { return !BASS_SetConfigPtr(BASS_CONFIG_NET_AGENT, "agent"); }},
      {"Free", [] { return !BASS_Free(); }},
      {"Start", [] { return !BASS_Start(); }},
      {"Stop", [] { return !BASS_Stop(); }},
      {"GetVolume", [] { return BASS_GetVolume() == -1.0f; }},
      {"SetVolume", [] { return !BASS_SetVolume(0.5f); }},
      {"StreamCreateURL",
       [&] {
         return BASS_StreamCreateURL("http://127.0.0.1:9/", 0, BASS_STREAM_STATUS, download,
                                     &downloads) == 0;
       }},
      {"StreamFree", [] { return !BASS_StreamFree(100); }},
      {"MusicFree", [] { return !BASS_MusicFree(100); }},
      {"StreamGetFilePosition",
       [] { return BASS_StreamGetFilePosition(100, BASS_FILEPOS_DOWNLOAD) == kFilePosError; }},
      {"ChannelPlay", [] { return !BASS_ChannelPlay(100, kFalse); }},
      {"ChannelIsActive", [] { return BASS_ChannelIsActive(100) == BASS_ACTIVE_STOPPED; }},
      {"ChannelGetLevel", [] { return BASS_ChannelGetLevel(100) == ~DWORD{0}; }},
      {"ChannelGetInfo", [&] { return !BASS_ChannelGetInfo(100, &info); }},
      {"ChannelGetTags", [] { return !BASS_ChannelGetTags(100, BASS_TAG_META); }},
      {"ChannelSetSync",
       [&] { return BASS_ChannelSetSync(100, BASS_SYNC_META, 0, sync, nullptr) == 0; }},
      {"ChannelSeconds2Bytes", [] { return BASS_ChannelSeconds2Bytes(100, 1.0) == kFilePosError; }},
  };
  for (const auto& operation : operations) {
    engine::SetError(BASS_OK);
    EXPECT_TRUE(operation.failed()) << operation.name;
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT) << operation.name;
  }
  EXPECT_EQ(downloads, 0);
}

TEST_F(DispatchTest, TheDefaultServesWhileNoneIsInstalledAndReturnsAfterwards) {
  DefaultFake()->SetVersion(0x02040001);
  engine::SetDefaultBackend(&MakeDefaultFake);
  EXPECT_EQ(BASS_GetVersion(), 0x02040001u);

  auto installed = std::make_shared<engine::FakeEngine>();
  installed->SetVersion(0x02040002);
  engine::SetBackend(installed);
  EXPECT_EQ(BASS_GetVersion(), 0x02040002u);

  engine::SetBackend(nullptr);
  EXPECT_EQ(BASS_GetVersion(), 0x02040001u);

  engine::SetDefaultBackend(nullptr);
  engine::SetBackend(nullptr);
  EXPECT_EQ(BASS_GetVersion(), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
}

}  // namespace
