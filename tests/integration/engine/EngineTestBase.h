// A fresh engine with its sound captured to a file, and a stream server with every tone.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "engine/bass.h"
#include "tests/integration/engine/Harness.h"

namespace enginetest {

class EngineTest : public ::testing::Test {
 protected:
  static constexpr int kRate = 44100;

  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (auto& c : name) {
      if (c == '/') c = '_';
    }
    capture_ = std::string(CAPTURE_DIR) + "/" + name + ".raw";
    std::remove(capture_.c_str());
    ChooseOutput();
    if (HasFatalFailure() || IsSkipped()) return;
    const std::string dir = FixtureDir() + "/";
    server_ = std::make_unique<Server>(std::vector<std::string>{
        "--audio", "mp3=" + dir + "tone.mp3", "--audio", "aac=" + dir + "tone.aac", "--audio",
        "ogg=" + dir + "tone.ogg", "--audio", "opus=" + dir + "tone.opus", "--audio",
        "mp4=" + dir + "tone.mp4", "--audio", "wma=" + dir + "tone.wma", "--audio",
        "chain=" + dir + "chain.ogg@128"});
    ASSERT_TRUE(BASS_Init(-1, kRate, 0, nullptr, nullptr)) << BASS_ErrorGetCode();
    initialised_ = true;
    BASS_SetConfig(BASS_CONFIG_NET_PLAYLIST, 1);
    BASS_SetConfig(BASS_CONFIG_BUFFER, 500);
    BASS_SetConfig(BASS_CONFIG_NET_BUFFER, 2000);
    BASS_SetConfig(BASS_CONFIG_NET_PREBUF, 75);
    BASS_SetConfig(BASS_CONFIG_NET_TIMEOUT, 5000);
    BASS_SetConfigPtr(BASS_CONFIG_NET_AGENT, "TALVORANEST");
  }

  // Where the sound goes: SDL's disk driver, into the capture file.
  virtual void ChooseOutput() {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", capture_.c_str(), 1);
  }

  void TearDown() override {
    if (initialised_) BASS_Free();
    server_.reset();
  }

  // Closes the output so that the capture file is complete.
  void CloseOutput() {
    BASS_Free();
    initialised_ = false;
  }

  HSTREAM Open(const std::string& path, DWORD flags = BASS_STREAM_BLOCK | BASS_STREAM_STATUS) {
    return BASS_StreamCreateURL(server_->Url(path).c_str(), 0, flags, nullptr, nullptr);
  }

  std::unique_ptr<Server> server_;
  std::string capture_;
  bool initialised_ = false;
};

}  // namespace enginetest
