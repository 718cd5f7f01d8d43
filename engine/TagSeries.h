// Walking a tag series: the form of the engine's header and comment tag blocks.
#pragma once

#include <string_view>
#include <vector>

namespace engine {

// The entries of a series (each NUL-terminated, the series ending with an empty entry). Stops
// at the empty entry or at the end of block, whichever comes first; an entry missing its NUL
// at the end of block still counts, so a block cut short is walked to its end and no further.
// The views point into block.
inline std::vector<std::string_view> SeriesEntries(std::string_view block) {
  std::vector<std::string_view> entries;
  std::size_t start = 0;
  while (start < block.size()) {
    const std::size_t nul = block.find('\0', start);
    const std::size_t end = nul == std::string_view::npos ? block.size() : nul;
    if (end == start) break;  // the empty entry that ends the series
    entries.push_back(block.substr(start, end - start));
    start = end + 1;
  }
  return entries;
}

}  // namespace engine
