#include "engine/real/HeaderLines.h"

#include <cctype>
#include <charconv>

namespace engine {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  return text;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && StartsWithNoCase(a, b);
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) !=
        std::tolower(static_cast<unsigned char>(prefix[i])))
      return false;
  }
  return true;
}

namespace {

// "HTTP/1.1 200 OK" or "ICY 200 OK": the number after the first blank.
int StatusCode(std::string_view line) {
  const auto blank = line.find(' ');
  if (blank == std::string_view::npos) return 0;
  const auto rest = Trim(line.substr(blank + 1));
  int code = 0;
  std::from_chars(rest.data(), rest.data() + rest.size(), code);
  return code;
}

}  // namespace

HeaderLines::Result HeaderLines::Add(std::string_view raw) {
  while (!raw.empty() && (raw.back() == '\n' || raw.back() == '\r')) raw.remove_suffix(1);
  const bool statusLine = raw.starts_with("HTTP/") || raw.starts_with("ICY ");
  if (statusLine) {
    lines_.clear();
    bytes_ = 0;
    icy_ = raw.starts_with("ICY ");
    status_ = StatusCode(raw);
    inReply_ = true;
  } else if (raw.empty()) {
    if (!inReply_) return Result::kMore;
    inReply_ = false;
    return Result::kComplete;
  }
  if (!inReply_) return Result::kMore;
  bytes_ += raw.size() + 1;
  if (bytes_ > kMaxBytes || lines_.size() >= kMaxLines) return Result::kTooLarge;
  // A NUL inside a line would split the tag series; it ends the entry instead.
  lines_.emplace_back(raw.substr(0, raw.find('\0')));
  return Result::kMore;
}

std::optional<std::string> HeaderLines::Value(std::string_view name) const {
  for (const auto& line : lines_) {
    const std::string_view view(line);
    const auto colon = view.find(':');
    if (colon == std::string_view::npos) continue;
    if (EqualsNoCase(Trim(view.substr(0, colon)), name))
      return std::string(Trim(view.substr(colon + 1)));
  }
  return std::nullopt;
}

std::string HeaderLines::Series() const {
  std::string series;
  for (const auto& line : lines_) {
    series += line;
    series += '\0';
  }
  series += '\0';
  return series;
}

}  // namespace engine
