#include "engine/real/StreamTags.h"

#include "engine/real/HeaderLines.h"

namespace engine {
namespace {

void Append(std::string& series, std::string_view entry) {
  series.append(entry.substr(0, entry.find('\0')));
  series += '\0';
}

std::optional<std::string> Find(const TagEntries& entries, std::string_view name) {
  for (const auto& [key, value] : entries) {
    if (EqualsNoCase(key, name) && !value.empty()) return value;
  }
  return std::nullopt;
}

}  // namespace

std::string OggTagSeries(const TagEntries& comments) {
  std::string series;
  for (const auto& [key, value] : comments) Append(series, key + "=" + value);
  series += '\0';
  return series;
}

std::optional<std::string> ShoutcastTitle(const TagEntries& comments) {
  const auto title = Find(comments, "title");
  if (!title) return std::nullopt;
  const auto artist = Find(comments, "artist");
  std::string text = "StreamTitle='";
  text += artist ? *artist + " - " + *title : *title;
  text += "';";
  return text.substr(0, text.find('\0'));
}

std::string AsfTagSeries(const TagEntries& tags) {
  std::string series;
  for (const auto& [key, value] : tags) {
    // FFmpeg files the ASF "Author" under the generic name "artist".
    const std::string name = EqualsNoCase(key, "artist") || EqualsNoCase(key, "author") ? "author"
                             : EqualsNoCase(key, "title")                               ? "title"
                                                                                        : key;
    Append(series, name + "=" + value);
  }
  series += '\0';
  return series;
}

}  // namespace engine
