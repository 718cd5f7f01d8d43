// Where the status display and the connection worker put what the window shows: its two text
// lines, the two format labels and an immediate repaint of the status line.
//
// Implemented by the player's session, which the window follows; called only on the window's
// thread. Texts are 8-bit code page 1254 bytes, exactly as they came from the stream; the
// window converts them for drawing.
#pragma once

#include <string>

namespace stream {

class StatusLabels {
 public:
  virtual ~StatusLabels() = default;
  virtual void SetLabel4(const std::string& text) = 0;  // status and station-name line
  virtual void SetLabel3(const std::string& text) = 0;  // slogan and title line
  virtual void SetKbps(const std::string& text) = 0;    // lKbps: bitrate and format
  virtual void SetHz(const std::string& text) = 0;      // lHz: sample rate and channel mode
  virtual void RepaintLabel4() = 0;                     // paint Label4 now, not at the next idle
  // After each status or worker step handled on the window's thread: the step may have
  // written the shared station texts, the title or the stream state.
  virtual void Handled() {}
};

}  // namespace stream
