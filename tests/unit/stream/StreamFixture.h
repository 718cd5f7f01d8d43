// A window stand-in and a scripted engine for the stream tests.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/fake/FakeEngine.h"
#include "stream/StatusCodes.h"
#include "stream/StatusLabels.h"

namespace stream_test {

// Records every label change in order: "4:text", "3:text", "kbps:text", "hz:text", "repaint4".
class RecordingLabels : public stream::StatusLabels {
 public:
  void SetLabel4(const std::string& text) override { Add("4:" + text), label4 = text; }
  void SetLabel3(const std::string& text) override { Add("3:" + text), label3 = text; }
  void SetKbps(const std::string& text) override { Add("kbps:" + text), kbps = text; }
  void SetHz(const std::string& text) override { Add("hz:" + text), hz = text; }
  void RepaintLabel4() override { Add("repaint4"); }

  std::vector<std::string> events;
  std::string label4, label3, kbps = "0 kbps aac", hz = "0 Hz";

 private:
  void Add(std::string event) { events.push_back(std::move(event)); }
};

// A delivered status as "code" or "code:value" or "code:text".
std::string Describe(const stream::StatusMessage& message);

// Installs a fresh fake engine, resets the shared texts and state, attaches the labels as the
// window and taps the statuses the window receives.
class StreamTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // One worker run on this (the window's) thread, as the newest worker.
  void RunWorker(const std::string& address = "http://127.0.0.1/stream");
  // Processes window events until done() or about five seconds have passed.
  bool PumpUntil(const std::function<bool()>& done);

  std::shared_ptr<engine::FakeEngine> engine_ = std::make_shared<engine::FakeEngine>();
  RecordingLabels labels_;
  std::vector<std::string> statuses_;
};

// A queued creation of a stream with these tags (blocks end with the extra NUL themselves).
engine::FakeEngine::Creation StreamWith(HSTREAM handle, std::map<DWORD, std::string> tags = {});

}  // namespace stream_test
