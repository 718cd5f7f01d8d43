// What the window does with each WM_STATUS_UPDATE: the texts of its two lines, the station
// name it adopts and the title it keeps.
#pragma once

#include <cstddef>
#include <string>

#include "stream/StatusCodes.h"
#include "stream/StatusLabels.h"

// The latest title, at most kNowPlayingMax characters. Window's thread only.
extern std::string NowPlaying;

namespace stream {

constexpr std::size_t kNowPlayingMax = 58;

// Written against the window's labels so that it runs without a window in tests. Window's
// thread only; reads and writes StationName (sources/Station.h) and NowPlaying.
class StatusDisplay {
 public:
  explicit StatusDisplay(StatusLabels& labels) : labels_(labels) {}

  // The handling of one status: codes 0-3, 6 and 7 change texts; 4, 5, 8 and above nothing.
  void Handle(const StatusMessage& message);

 private:
  void ShowTitle(const char* text);
  StatusLabels& labels_;
};

}  // namespace stream
