// The player window on the offscreen platform with a scripted engine. The test thread is the
// window's thread; connection workers the window starts run for real against the fake engine.
#pragma once

#include <gtest/gtest.h>

#include <QObject>
#include <QUrl>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/fake/FakeEngine.h"
#include "player/Player.h"
#include "ui/Boxes.h"
#include "ui/TfrmMain.h"

namespace ui_test {

class TestWindow : public TfrmMain {
 public:
  using TfrmMain::TfrmMain;
  int moves = 0;

 protected:
  void StartSystemMove() override { ++moves; }
};

// Calls onPaint each time the widget it watches is painted.
class PaintSpy : public QObject {
 public:
  explicit PaintSpy(std::function<void()> onPaint) : onPaint_(std::move(onPaint)) {}
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<void()> onPaint_;
};

// Receives the addresses the window asks the desktop to open.
class UrlRecorder : public QObject {
  Q_OBJECT

 public:
  std::vector<QUrl> urls;

 public Q_SLOTS:
  void Open(const QUrl& url) { urls.push_back(url); }
};

class WindowTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Constructs the window (running its creation) on first use.
  TestWindow& Window();
  template <typename T>
  T* Control(const char* name) {
    T* control = Window().findChild<T*>(name);
    EXPECT_NE(control, nullptr) << name;
    return control;
  }
  // Shows the window (its first show selects the built-in station) and waits until it is on
  // screen, so that an immediate repaint paints; the engine call log starts empty.
  void ShowWindow();
  // The window's line texts as shown.
  QString Text(const char* label);
  // Engine calls since the last ClearCalls, without the queries of the level timer.
  std::vector<std::string> Calls() const { return fake_->Calls(); }
  void ClearCalls() { fake_->ClearCalls(); }
  // Processes window events until done() or about five seconds have passed.
  bool PumpUntil(const std::function<bool()>& done);
  bool CalledWith(const std::string& prefix) const;
  // A stream the fake engine reports as playing, published as the current one.
  HSTREAM PlayingStream(DWORD level = 0);

  std::shared_ptr<engine::FakeEngine> fake_ = std::make_shared<engine::FakeEngine>();
  std::vector<ui::MessageBoxRequest> boxes_;
  std::vector<ui::InputBoxRequest> inputs_;
  UrlRecorder urls_;
  std::unique_ptr<player::Player> player_;
  std::unique_ptr<TestWindow> window_;
};

}  // namespace ui_test
