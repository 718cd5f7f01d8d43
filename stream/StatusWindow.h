// The synchronous send to the window: every status, and every label text or station text a
// worker wants set, runs on the window's thread while the sender waits for it.
//
// StatusWindow is a QObject living on the window's thread. From that thread a send is a direct
// call; from any other it is a Qt::BlockingQueuedConnection call, so the sender goes on only
// after the window has handled it. Cross-thread sends are handled one at a time.
//
// Each send carries the sender's worker generation. On arrival (on the window's thread, where
// workers are also started) a generation older than the newest worker's is dropped, so a
// superseded worker can never change a label or a shared text, even with a send in flight.
// Engine callbacks are not workers and send with kAnyGeneration.
//
// The object is created once and kept for the life of the process; after DetachStatusWindow
// every send is dropped, and a sender released from a blocked send finds Closing() true and
// must then touch nothing more (the process is ending).
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

#include "stream/StatusCodes.h"
#include "stream/StatusLabels.h"

namespace stream {

constexpr std::uint64_t kAnyGeneration = 0;

void AttachStatusWindow(StatusLabels& labels);

class StatusWindow : public QObject {
  Q_OBJECT

 public:
  // The one instance, created by the first AttachStatusWindow on the window's thread;
  // nullptr before that.
  static StatusWindow* Instance();

 private:
  friend void AttachStatusWindow(StatusLabels&);
  StatusWindow() = default;
  Q_INVOKABLE void Deliver();
};

// Window's thread, at the window's creation: statuses are shown on these labels from now on.
void AttachStatusWindow(StatusLabels& labels);
// Window's thread, when the window goes away: every send from now on is dropped.
void DetachStatusWindow();
// True after DetachStatusWindow (until a new attach).
bool Closing();

// Runs action(labels) on the window's thread and waits for it. False when it was dropped:
// a stale generation, no window attached, or the process closing.
bool RunOnWindow(std::uint64_t generation, const std::function<void(StatusLabels&)>& action);
// WM_STATUS_UPDATE: the status display handles message on the window's thread.
bool SendStatus(std::uint64_t generation, const StatusMessage& message);
// Window's thread: every status delivered from now on is also handed to tap, before the
// display handles it (an empty function: none). For tools and tests that watch the traffic.
void SetStatusTap(std::function<void(const StatusMessage&)> tap);

}  // namespace stream
