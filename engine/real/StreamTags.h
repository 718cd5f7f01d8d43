// Tag texts built from a decoder's metadata: Ogg comments, ASF header tags, and the Shoutcast
// form of an Ogg title for players that read titles from Shoutcast metadata only.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace engine {

using TagEntries = std::vector<std::pair<std::string, std::string>>;

// "NAME=value" entries as a series (each ends with a NUL, the whole with one more).
std::string OggTagSeries(const TagEntries& comments);
// StreamTitle='ARTIST - TITLE'; or StreamTitle='TITLE'; nullopt without a title.
std::optional<std::string> ShoutcastTitle(const TagEntries& comments);
// ASF header tags as "name=value" entries; the author travels as "author".
std::string AsfTagSeries(const TagEntries& tags);

}  // namespace engine
