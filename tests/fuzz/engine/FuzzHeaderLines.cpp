// The response header collector fed arbitrary lines: it stays within its bounds and its
// series is always well formed (entries without NULs, one extra NUL at the end).
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "engine/real/HeaderLines.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  engine::HeaderLines headers;
  while (!input.empty()) {
    const auto end = input.find('\n');
    const auto line = input.substr(0, end == std::string_view::npos ? input.size() : end + 1);
    input.remove_prefix(line.size());
    if (headers.Add(line) == engine::HeaderLines::Result::kTooLarge) break;
  }
  const std::string series = headers.Series();
  if (series.empty() || series.back() != '\0') std::abort();
  if (headers.Lines().size() > engine::HeaderLines::kMaxLines) std::abort();
  std::size_t nuls = 0;
  for (char c : series) nuls += c == '\0';
  if (nuls != headers.Lines().size() + 1) std::abort();
  headers.Value("icy-metaint");
  return 0;
}
