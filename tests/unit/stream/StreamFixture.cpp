#include "StreamFixture.h"

#include <QCoreApplication>
#include <chrono>
#include <thread>

#include "sources/Station.h"
#include "stream/SharedState.h"
#include "stream/StatusDisplay.h"
#include "stream/StatusWindow.h"
#include "stream/Worker.h"

namespace stream_test {

std::string Describe(const stream::StatusMessage& message) {
  std::string out = std::to_string(message.code);
  if (message.code == STATUS_BUFFERING) return out + ":" + std::to_string(message.value);
  if (message.text) out += std::string(":") + message.text;
  return out;
}

void StreamTest::SetUp() {
  engine::SetBackend(engine_);
  stream::ResetSession();
  stream::AttachStatusWindow(labels_);
  stream::SetStatusTap(
      [this](const stream::StatusMessage& message) { statuses_.push_back(Describe(message)); });
}

void StreamTest::TearDown() {
  stream::SetStatusTap(nullptr);
  stream::DetachStatusWindow();
  engine::SetBackend(nullptr);
}

void StreamTest::RunWorker(const std::string& address) {
  stream::StreamThread(address, stream::NextGeneration());
}

bool StreamTest::PumpUntil(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

engine::FakeEngine::Creation StreamWith(HSTREAM handle, std::map<DWORD, std::string> tags) {
  engine::FakeEngine::Creation creation;
  creation.handle = handle;
  creation.script.tags = std::move(tags);
  return creation;
}

}  // namespace stream_test
