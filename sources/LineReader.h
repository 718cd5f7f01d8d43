// Reads a text file line by line as the playlist readers see it: lines end at CR LF, LF or
// CR; a NUL byte ends the text; a last line without a break counts, a break at the very end
// adds no empty line. Bounded: a line keeps at most kMaxLine bytes and reading stops after
// kMaxTotal bytes, so a huge or endless file can neither exhaust memory nor hang the reader.
#pragma once

#include <cstddef>
#include <string>

namespace sources {

class LineReader {
 public:
  static constexpr std::size_t kMaxLine = 64 * 1024;
  static constexpr std::size_t kMaxTotal = 16 * 1024 * 1024;

  explicit LineReader(int fd) : fd_(fd) {}
  // The next line, or false at the end of the text.
  bool Next(std::string& line);

 private:
  bool Fill();  // false at the end of input or at the bound
  int fd_;
  char buffer_[8192];
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  std::size_t total_ = 0;
  bool ended_ = false;
  bool skipLf_ = false;  // the previous line ended with CR; a following LF belongs to it
};

}  // namespace sources
