// The player window with the real engine, against the local test stream server. The test
// thread is the window's thread; every wait pumps its events and is bounded, and a guard ends
// the process with a message should the window's thread ever stop coming back.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "player/Player.h"
#include "tests/integration/load/CountingBackend.h"
#include "tests/integration/load/ProcessFigures.h"
#include "tests/support/ServerProcess.h"
#include "ui/TfrmMain.h"

namespace load_test {

class HangGuard;

class LoadTest : public testing::Test {
 protected:
  LoadTest();
  ~LoadTest() override;
  void SetUp() override;
  void TearDown() override;

  TfrmMain& Window() { return *window_; }
  // Handles the window's events at least once, and until when / for about ms milliseconds.
  void PumpTill(std::chrono::steady_clock::time_point when);
  void Pump(int ms) { PumpTill(std::chrono::steady_clock::now() + std::chrono::milliseconds(ms)); }
  // Handles the window's events until done() or seconds have passed; done()'s last answer.
  bool PumpUntil(const std::function<bool()>& done, int seconds);
  // A station of the test server: a playlist file naming a stream of its own (told apart by
  // "id=N" in its address), whose titles change with every metadata block.
  std::string StationUrl(int id) const;
  std::string WritePlaylist(int id) const;
  // The text a window line shows.
  std::string Text(const char* label) const;
  bool Playing(HSTREAM handle) const { return BASS_ChannelIsActive(handle) == BASS_ACTIVE_PLAYING; }
  // Connections the server still holds open.
  std::size_t ServerConnections() const;
  // The request each connection the server holds open made.
  std::vector<std::string> OpenRequests() const;
  // Plays the station and waits until it plays; the figures are taken then.
  ProcessFigures PlayingBaseline(int id);
  // Waits (bounded) for the threads of freed streams and ended workers to be gone, then
  // prints both figures and checks that nothing was left behind.
  void ExpectNothingLeftSince(const ProcessFigures& before);

  std::shared_ptr<CountingBackend> engine_ = std::make_shared<CountingBackend>();
  std::optional<test_support::ServerProcess> server_;
  std::unique_ptr<player::Player> session_;
  std::unique_ptr<TfrmMain> window_;
  std::filesystem::path playlists_;
  std::vector<std::string> boxes_;

 private:
  std::unique_ptr<HangGuard> guard_;
};

}  // namespace load_test
