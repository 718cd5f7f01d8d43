// Collects the response header lines of one transfer as curl hands them over.
//
// A new status line ("HTTP/..." or "ICY ...") starts a new response, so after redirects only
// the final reply's lines remain. Everything is bounded: a reply whose header block exceeds
// kMaxBytes or kMaxLines is refused.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

class HeaderLines {
 public:
  static constexpr std::size_t kMaxBytes = 64 * 1024;
  static constexpr std::size_t kMaxLines = 256;

  enum class Result { kMore, kComplete, kTooLarge };

  // One raw line as curl delivers it (with its CR LF). kComplete at the blank line ending a
  // reply's header block.
  Result Add(std::string_view raw);

  bool IsIcy() const { return icy_; }
  int Status() const { return status_; }
  const std::vector<std::string>& Lines() const { return lines_; }
  // The value of the first header named `name` (compared without regard to case), trimmed.
  std::optional<std::string> Value(std::string_view name) const;
  // The lines as a tag series: each ends with a NUL, the whole with one more.
  std::string Series() const;

 private:
  std::vector<std::string> lines_;
  std::size_t bytes_ = 0;
  bool icy_ = false;
  int status_ = 0;
  bool inReply_ = false;
};

// Leading and trailing blanks and control characters removed.
std::string_view Trim(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

}  // namespace engine
