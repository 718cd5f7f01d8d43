#include "sources/LineReader.h"

#include <unistd.h>

#include <cerrno>

namespace sources {

bool LineReader::Fill() {
  if (ended_ || total_ >= kMaxTotal) return false;
  ssize_t got;
  do {
    got = ::read(fd_, buffer_, sizeof buffer_);
  } while (got < 0 && errno == EINTR);
  if (got <= 0) {
    ended_ = true;
    return false;
  }
  begin_ = 0;
  end_ = static_cast<std::size_t>(got);
  if (total_ + end_ > kMaxTotal) end_ = kMaxTotal - total_;
  total_ += end_;
  return true;
}

bool LineReader::Next(std::string& line) {
  line.clear();
  bool any = false;  // something (a character or a break) belongs to this line
  for (;;) {
    if (begin_ == end_ && !Fill()) {
      ended_ = true;
      return any;
    }
    const char c = buffer_[begin_++];
    if (skipLf_) {
      skipLf_ = false;
      if (c == '\n') continue;
    }
    if (c == '\0') {
      ended_ = true;
      begin_ = end_;
      return any;
    }
    if (c == '\r' || c == '\n') {
      skipLf_ = c == '\r';
      return true;
    }
    any = true;
    if (line.size() < kMaxLine) line += c;
  }
}

}  // namespace sources
