// What this process holds right now, read from /proc: the figures a leak shows up in.
#pragma once

#include <iosfwd>

namespace load_test {

struct ProcessFigures {
  int threads = 0;      // entries of /proc/self/task
  int descriptors = 0;  // entries of /proc/self/fd
  long rssKiB = 0;      // VmRSS of /proc/self/status

  static ProcessFigures Now();
};

std::ostream& operator<<(std::ostream& out, const ProcessFigures& figures);

}  // namespace load_test
