#include "stream/StatusWindow.h"

#include <QThread>
#include <atomic>
#include <mutex>
#include <optional>

#include "stream/SharedState.h"
#include "stream/StatusDisplay.h"

namespace stream {
namespace {

std::atomic<StatusWindow*> instance{nullptr};  // created once, never deleted
std::atomic<bool> closing{false};

// Window's thread only.
StatusLabels* attachedLabels = nullptr;
std::optional<StatusDisplay> display;
std::function<void(const StatusMessage&)> statusTap;

// A cross-thread send in flight. The sender holds sendMutex from filling the mailbox until
// its blocking call returns; the window reads it in Deliver. The two sequence numbers make the
// hand-over visible to the thread sanitizer, which cannot see Qt's own synchronisation.
struct Mailbox {
  std::uint64_t generation = 0;
  const std::function<void(StatusLabels&)>* action = nullptr;
  bool delivered = false;
};
std::mutex sendMutex;
Mailbox mailbox;
std::uint64_t lastSequence = 0;  // guarded by sendMutex
std::atomic<std::uint64_t> posted{0};
std::atomic<std::uint64_t> handled{0};

// Window's thread: runs the action unless the sender is stale or the window is gone.
bool RunHere(std::uint64_t generation, const std::function<void(StatusLabels&)>& action) {
  if (!attachedLabels || closing.load()) return false;
  if (generation != kAnyGeneration && generation != CurrentGeneration()) return false;
  action(*attachedLabels);
  if (attachedLabels) attachedLabels->Handled();
  return true;
}

}  // namespace

StatusWindow* StatusWindow::Instance() {
  return instance.load();
}

void StatusWindow::Deliver() {
  const std::uint64_t sequence = posted.load(std::memory_order_acquire);
  mailbox.delivered = RunHere(mailbox.generation, *mailbox.action);
  handled.store(sequence, std::memory_order_release);
}

void AttachStatusWindow(StatusLabels& labels) {
  if (!instance.load()) instance.store(new StatusWindow);
  attachedLabels = &labels;
  display.emplace(labels);
  closing.store(false);
}

void DetachStatusWindow() {
  closing.store(true);
  attachedLabels = nullptr;
  display.reset();
}

bool Closing() {
  return closing.load();
}

bool RunOnWindow(std::uint64_t generation, const std::function<void(StatusLabels&)>& action) {
  StatusWindow* window = instance.load();
  if (!window || closing.load()) return false;
  if (QThread::currentThread() == window->thread()) return RunHere(generation, action);

  std::lock_guard lock(sendMutex);
  if (closing.load()) return false;
  mailbox = Mailbox{generation, &action, false};
  const std::uint64_t sequence = ++lastSequence;
  posted.store(sequence, std::memory_order_release);
  QMetaObject::invokeMethod(window, "Deliver", Qt::BlockingQueuedConnection);
  // An event dropped unhandled (the window's thread has gone) leaves handled behind.
  const bool ran = handled.load(std::memory_order_acquire) == sequence && mailbox.delivered;
  return ran && !closing.load();
}

bool SendStatus(std::uint64_t generation, const StatusMessage& message) {
  return RunOnWindow(generation, [&message](StatusLabels&) {
    if (statusTap) statusTap(message);
    display->Handle(message);
  });
}

void SetStatusTap(std::function<void(const StatusMessage&)> tap) {
  statusTap = std::move(tap);
}

}  // namespace stream
