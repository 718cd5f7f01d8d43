#include "tests/integration/ui/WindowFixture.h"

#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QGuiApplication>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <thread>

#include "sources/Station.h"
#include "stream/SharedState.h"
#include "ui/EffectLabel.h"

namespace ui_test {

void WindowTest::SetUp() {
  engine::SetBackend(fake_);
  // A fresh session: workers of earlier tests are superseded, whatever they still send is
  // dropped.
  player_ = std::make_unique<player::Player>();
  ui::SetMessageBoxFunction([this](const ui::MessageBoxRequest& box) { boxes_.push_back(box); });
  ui::SetInputBoxFunction([this](const ui::InputBoxRequest& box) { inputs_.push_back(box); });
  TfrmMain::SetHandlerErrorFunction({});
  QDesktopServices::setUrlHandler("http", &urls_, "Open");
}

void WindowTest::TearDown() {
  window_.reset();
  player_.reset();
  stream::NextGeneration();
  for (int i = 0; i < 10; ++i) {
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  QDesktopServices::unsetUrlHandler("http");
  while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
}

TestWindow& WindowTest::Window() {
  if (!window_) window_ = std::make_unique<TestWindow>(*player_);
  return *window_;
}

void WindowTest::ShowWindow() {
  Window().show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&Window()));
  ClearCalls();
}

QString WindowTest::Text(const char* label) {
  return Control<ui::EffectLabel>(label)->text();
}

bool WindowTest::PumpUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 500; ++i) {
    if (done()) return true;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return done();
}

bool WindowTest::CalledWith(const std::string& prefix) const {
  const auto calls = fake_->Calls();
  return std::any_of(calls.begin(), calls.end(),
                     [&](const std::string& call) { return call.rfind(prefix, 0) == 0; });
}

HSTREAM WindowTest::PlayingStream(DWORD level) {
  const HSTREAM handle = fake_->StreamCreateURL("http://127.0.0.1/", 0, 0, nullptr, nullptr);
  fake_->ChannelPlay(handle, kFalse);
  fake_->SetActive(handle, BASS_ACTIVE_PLAYING);
  fake_->SetLevel(handle, level);
  StreamChannel.store(handle);
  fake_->ClearCalls();
  return handle;
}

bool PaintSpy::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Paint) onPaint_();
  return QObject::eventFilter(watched, event);
}

}  // namespace ui_test
