#include "app/PlayerSockets.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <thread>

#include "app/Title.h"

namespace app {
namespace {

constexpr int kListenBacklog = 128;
constexpr std::size_t kTimeDigits = 16;

bool Address(const std::string& path, sockaddr_un& address) {
  address = {};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof(address.sun_path)) return false;
  std::memcpy(address.sun_path, path.data(), path.size());
  return true;
}

std::string Prefix() {
  return std::string(kInstanceKey) + "-";
}

}  // namespace

std::string PlayerSocketName(std::uint64_t startMicros, pid_t pid) {
  char digits[32];
  std::snprintf(digits, sizeof digits, "%016llu", static_cast<unsigned long long>(startMicros));
  return Prefix() + digits + "-" + std::to_string(pid);
}

std::size_t MaxPlayerSocketNameLength() {
  return Prefix().size() + kTimeDigits + 1 + 10;
}

std::optional<pid_t> PlayerSocketPid(const std::string& name) {
  const std::string prefix = Prefix();
  if (name.size() <= prefix.size() + kTimeDigits + 1 || name.compare(0, prefix.size(), prefix)) {
    return std::nullopt;
  }
  const std::string time = name.substr(prefix.size(), kTimeDigits);
  const std::string pid = name.substr(prefix.size() + kTimeDigits + 1);
  const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  if (name[prefix.size() + kTimeDigits] != '-' || !std::all_of(time.begin(), time.end(), isDigit) ||
      pid.size() > 10 || !std::all_of(pid.begin(), pid.end(), isDigit)) {
    return std::nullopt;
  }
  const long long value = std::stoll(pid);
  if (value <= 0 || value > 0x7fffffff) return std::nullopt;
  return static_cast<pid_t>(value);
}

std::vector<std::string> PlayerSocketsNewestFirst(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      if (PlayerSocketPid(entry->d_name)) names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
  }
  std::sort(names.rbegin(), names.rend());
  for (std::string& name : names) name = folder + "/" + name;
  return names;
}

std::optional<uid_t> PeerUid(int fd) {
  ucred credentials{};
  socklen_t size = sizeof credentials;
  if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 ||
      size != sizeof credentials) {
    return std::nullopt;
  }
  return credentials.uid;
}

ConnectResult ConnectToPlayer(const std::string& path, uid_t uid, std::chrono::milliseconds timeout,
                              UniqueFd& fd) {
  sockaddr_un address;
  if (!Address(path, address)) return ConnectResult::kUnavailable;
  fd = UniqueFd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!fd) return ConnectResult::kUnavailable;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    if (errno == ECONNREFUSED) return ConnectResult::kStale;
    // A full backlog: the player is busy with other starts' hand-offs.
    if (errno != EAGAIN && errno != EINTR) {
      fd.Reset();
      return ConnectResult::kUnavailable;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      fd.Reset();
      return ConnectResult::kBusy;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (PeerUid(fd.get()) != uid) {
    fd.Reset();
    return ConnectResult::kUnavailable;
  }
  return ConnectResult::kConnected;
}

UniqueFd ListenAt(const std::string& path, std::string& error) {
  sockaddr_un address;
  if (!Address(path, address)) {
    error = path + ": the path is too long for a socket";
    return {};
  }
  UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!fd || ::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    error = path + ": cannot create the socket: " + std::strerror(errno);
    return {};
  }
  if (::chmod(path.c_str(), 0600) != 0 || ::listen(fd.get(), kListenBacklog) != 0) {
    error = path + ": cannot listen: " + std::strerror(errno);
    ::unlink(path.c_str());
    return {};
  }
  return fd;
}

void RemoveStaleSockets(const std::string& folder, uid_t uid) {
  for (const std::string& path : PlayerSocketsNewestFirst(folder)) {
    const pid_t pid = *PlayerSocketPid(path.substr(folder.size() + 1));
    if (::kill(pid, 0) == 0 || errno != ESRCH) continue;
    UniqueFd fd;
    if (ConnectToPlayer(path, uid, std::chrono::milliseconds(0), fd) == ConnectResult::kStale) {
      ::unlink(path.c_str());
    }
  }
}

FolderLock::FolderLock(const std::string& folder, std::chrono::milliseconds bound) {
  const std::string path = folder + "/" + kInstanceKey + ".lock";
  fd_ = UniqueFd(::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!fd_) return;
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (::flock(fd_.get(), LOCK_EX | LOCK_NB) != 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      fd_.Reset();
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace app
