// Events tied to a position in the byte ring rather than to the time the network saw them:
// a title that takes effect when its segment starts to play, and a point where the decoder
// must start afresh (a new encoding follows). The network thread adds marks at the ring's
// write position; the decoder takes them as its reads pass that position.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace engine {

class RingMarks {
 public:
  // More marks than this wait in no ring of ours; the oldest goes first.
  static constexpr std::size_t kMaxMarks = 256;

  void AddTitle(std::uint64_t at, std::string text);
  void AddRestart(std::uint64_t at);

  // How many bytes may be read from `consumed` on before a restart point.
  std::size_t ReadableBefore(std::uint64_t consumed) const;
  // True once for a restart point at `consumed`.
  bool TakeRestart(std::uint64_t consumed);
  // The titles of the marks before `consumed`, oldest first.
  std::vector<std::string> TakeTitles(std::uint64_t consumed);

 private:
  struct Mark {
    std::uint64_t at;
    bool restart;
    std::string title;
  };
  void Add(Mark mark);

  mutable std::mutex mutex_;
  std::deque<Mark> marks_;  // guarded by mutex_, in ring order
};

}  // namespace engine
