// The start of a player: either it hands its argument to a running player of the same user
// and ends, or it becomes a player itself and listens for the hand-offs of later starts.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <string_view>

#include "app/PlayerSockets.h"

namespace app {

struct HandoffLimits {
  std::chrono::milliseconds lock{5000};
  std::chrono::milliseconds connect{2000};
  // How long a second start waits for the player to have opened the path.
  std::chrono::milliseconds answer{10000};
};

// This player's listening socket; the file is removed when it goes.
class PlayerSocket {
 public:
  PlayerSocket() = default;
  PlayerSocket(UniqueFd fd, std::string path) : fd_(std::move(fd)), path_(std::move(path)) {}
  ~PlayerSocket();
  PlayerSocket(PlayerSocket&&) = default;
  PlayerSocket& operator=(PlayerSocket&&) = default;
  const std::string& path() const { return path_; }
  // The listening descriptor, handed to whoever accepts on it.
  int ReleaseFd() { return fd_.Release(); }
  explicit operator bool() const { return !path_.empty(); }

 private:
  UniqueFd fd_;
  std::string path_;
};

struct InstanceStart {
  enum class Kind {
    kRunPlayer,      // no player runs (or no argument): start the window
    kHandedOver,     // a running player opened the path
    kNotHandedOver,  // players run but none opened the path within the bounds
  };
  Kind kind = Kind::kRunPlayer;
  PlayerSocket socket;  // kRunPlayer: where to listen (none when it could not be created)
  std::string note;     // what went wrong, for standard error
};

// argument is absolute or empty. Without an argument the start always runs as a player.
InstanceStart StartInstance(const std::string& folder, const std::string& argument, uid_t uid,
                            const HandoffLimits& limits);

// path made absolute against cwd; an absolute path is returned unchanged.
std::string AbsolutePath(std::string_view path, std::string_view cwd);

}  // namespace app
