// SIGTERM, SIGINT and SIGHUP (the session ending, Ctrl+C, the terminal closing) close the
// player the way its close button does, so it still ends with code 0 and frees the engine.
#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace app {

class TerminationSignals : public QObject {
 public:
  // onSignal runs on the window's thread. One instance per process.
  explicit TerminationSignals(std::function<void()> onSignal, QObject* parent = nullptr);
  ~TerminationSignals() override;
  bool Received() const { return received_; }

 private:
  void Drain();

  std::function<void()> onSignal_;
  QSocketNotifier* notifier_ = nullptr;
  bool received_ = false;
};

}  // namespace app
