// The sockets of the running players in the channel folder: each player listens on its own
// socket, named "Talvoranest-<start time in microseconds, 16 digits>-<pid>", so that names
// sort by age and a second independent player never disturbs the first.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "os/UniqueFd.h"

namespace app {

using os::UniqueFd;

std::string PlayerSocketName(std::uint64_t startMicros, pid_t pid);
std::size_t MaxPlayerSocketNameLength();
// The pid in a player socket's name; nullopt for any other name.
std::optional<pid_t> PlayerSocketPid(const std::string& name);
// Full paths of the player sockets in folder, newest first.
std::vector<std::string> PlayerSocketsNewestFirst(const std::string& folder);

// The user id of the peer of a connected local socket.
std::optional<uid_t> PeerUid(int fd);

enum class ConnectResult {
  kConnected,
  kStale,        // nobody listens there: a socket left behind by a player that ended
  kBusy,         // a player listens but its backlog stayed full past the time bound
  kUnavailable,  // gone, not enterable, or another user's
};
// Connects without blocking longer than timeout; a full backlog is retried. The result fd is
// non-blocking.
ConnectResult ConnectToPlayer(const std::string& path, uid_t uid, std::chrono::milliseconds timeout,
                              UniqueFd& fd);

// A listening socket at path, private to its owner, or an empty fd with why in error.
UniqueFd ListenAt(const std::string& path, std::string& error);

// Removes the sockets of players that ended without removing them (their process is gone and
// nobody listens). Live players are not contacted.
void RemoveStaleSockets(const std::string& folder, uid_t uid);

// Serialises "is a player running? then I am one" between starts, like a named mutex. If the
// lock cannot be had within the bound, the start goes on without it: at worst two players run.
class FolderLock {
 public:
  FolderLock(const std::string& folder, std::chrono::milliseconds bound);
  void Release() { fd_.Reset(); }

 private:
  UniqueFd fd_;
};

}  // namespace app
