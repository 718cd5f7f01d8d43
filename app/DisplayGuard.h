// QApplication ends the process through a fatal message when the platform (the display)
// cannot be opened. While a guard lives, that message is turned into a plain explanation on
// standard error and an exit with code 0, after removing this player's socket.
#pragma once

#include <string>

namespace app {

class DisplayGuard {
 public:
  // socketPath: removed before the exit ("" for none).
  explicit DisplayGuard(const std::string& socketPath);
  ~DisplayGuard();
  DisplayGuard(const DisplayGuard&) = delete;
  DisplayGuard& operator=(const DisplayGuard&) = delete;
};

}  // namespace app
