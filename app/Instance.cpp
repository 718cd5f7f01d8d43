#include "app/Instance.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "app/HandoffMessage.h"

namespace app {
namespace {

using Clock = std::chrono::steady_clock;

enum class Answer { kHandled, kClosed, kNoAnswer };

int RemainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

bool WriteAll(int fd, std::string_view bytes, Clock::time_point deadline) {
  while (!bytes.empty()) {
    const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
    pollfd p{fd, POLLOUT, 0};
    if (::poll(&p, 1, RemainingMs(deadline)) <= 0) return false;
  }
  return true;
}

Answer AwaitAnswer(int fd, Clock::time_point deadline) {
  for (;;) {
    char byte = 0;
    const ssize_t n = ::recv(fd, &byte, 1, 0);
    if (n == 1) return byte == kHandoffAck ? Answer::kHandled : Answer::kClosed;
    if (n == 0 || (errno != EAGAIN && errno != EINTR)) return Answer::kClosed;
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, RemainingMs(deadline));
    if (ready == 0) return Answer::kNoAnswer;
    if (ready < 0 && errno != EINTR) return Answer::kClosed;
  }
}

Answer Send(int fd, const std::string& message, const HandoffLimits& limits) {
  const auto deadline = Clock::now() + limits.answer;
  if (!WriteAll(fd, message, deadline)) return Answer::kClosed;
  return AwaitAnswer(fd, deadline);
}

std::uint64_t NowMicros() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

InstanceStart BecomePlayer(const std::string& folder) {
  InstanceStart start;
  const std::string path = folder + "/" + PlayerSocketName(NowMicros(), ::getpid());
  UniqueFd fd = ListenAt(path, start.note);
  if (fd) start.socket = PlayerSocket(std::move(fd), path);
  return start;
}

}  // namespace

PlayerSocket::~PlayerSocket() {
  if (!path_.empty()) ::unlink(path_.c_str());
}

InstanceStart StartInstance(const std::string& folder, const std::string& argument, uid_t uid,
                            const HandoffLimits& limits) {
  FolderLock lock(folder, limits.lock);
  if (argument.empty()) {
    RemoveStaleSockets(folder, uid);
    return BecomePlayer(folder);
  }
  const std::optional<std::string> message = EncodeHandoff(argument);
  bool playerRuns = false;
  for (const std::string& path : PlayerSocketsNewestFirst(folder)) {
    UniqueFd fd;
    const ConnectResult connected = ConnectToPlayer(path, uid, limits.connect, fd);
    if (connected == ConnectResult::kStale) {
      ::unlink(path.c_str());
      continue;
    }
    if (connected == ConnectResult::kBusy) playerRuns = true;
    if (connected != ConnectResult::kConnected) continue;
    // A player runs, so this start is a second one: it never becomes a player now.
    playerRuns = true;
    lock.Release();
    if (!message) break;
    const Answer answer = Send(fd.get(), *message, limits);
    if (answer == Answer::kHandled) return {InstanceStart::Kind::kHandedOver, {}, ""};
    // A player that closes without answering is ending; the next one may take the path.
    if (answer == Answer::kNoAnswer) {
      return {InstanceStart::Kind::kNotHandedOver, {}, "the running player did not answer"};
    }
  }
  if (!playerRuns) return BecomePlayer(folder);
  return {InstanceStart::Kind::kNotHandedOver,
          {},
          message ? "no running player took it" : "the path is too long to hand over"};
}

std::string AbsolutePath(std::string_view path, std::string_view cwd) {
  if (path.empty() || path.front() == '/' || cwd.empty()) return std::string(path);
  std::string absolute(cwd);
  if (absolute.back() != '/') absolute.push_back('/');
  return absolute.append(path);
}

}  // namespace app
