#include "stream/TagText.h"

#include <limits>

#include "engine/bass.h"
#include "text/Text.h"

namespace stream {
namespace {

// Trimmed value of a header line when its name (the part before ':') is name.
std::optional<std::string> HeaderValue(std::string_view entry, std::string_view name) {
  if (TextBefore(entry, ':') != name) return std::nullopt;
  return text::TrimControl(TextAfter(entry, ':'));
}

}  // namespace

std::string_view FirstText(std::string_view block) {
  return block.substr(0, block.find('\0'));
}

std::optional<std::string> ShoutcastTitle(std::string_view meta) {
  const auto a = static_cast<long long>(text::Pos("StreamTitle=", meta));
  if (a == 0) return std::nullopt;
  const auto b = static_cast<long long>(text::Pos(";", meta));
  // Leaves out the quotes around the title without testing them.
  return text::Copy(meta, a + 13, b - a - 14);
}

std::string BitrateText(const std::optional<std::string>& icy,
                        const std::optional<std::string>& http) {
  std::string bitrate;
  if (icy) {
    // Every entry is looked at: the last "icy-br" wins.
    for (std::string_view entry : engine::SeriesEntries(*icy))
      if (auto value = HeaderValue(entry, "icy-br")) bitrate = *value;
  } else if (http) {
    for (std::string_view entry : engine::SeriesEntries(*http)) {
      auto value = HeaderValue(entry, "ice-bitrate");
      if (!value) value = HeaderValue(entry, "icy-br");
      if (value) return *value;
    }
  }
  return bitrate;
}

std::string TextBefore(std::string_view text, char separator) {
  const auto i = static_cast<long long>(text::Pos(std::string_view(&separator, 1), text));
  if (i == 0) return std::string(text);
  return text::Copy(text, 1, i - 1);
}

std::string TextAfter(std::string_view text, char separator) {
  const auto i = static_cast<long long>(text::Pos(std::string_view(&separator, 1), text));
  if (i == 0) return std::string(text);
  return text::Copy(text, i + 1, 255);
}

std::int32_t WholeNumber(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return 0;
  // Accumulated as a negative number so that the lowest 32-bit value fits.
  constexpr std::int64_t kLowest = std::numeric_limits<std::int32_t>::min();
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 - (c - '0');
    if (value < kLowest) return 0;
  }
  if (!negative) value = -value;
  if (value > std::numeric_limits<std::int32_t>::max()) return 0;
  return static_cast<std::int32_t>(value);
}

const char* FormatNameOfType(std::uint32_t ctype) {
  switch (ctype) {
    case BASS_CTYPE_STREAM_OGG:
      return "ogg";
    case BASS_CTYPE_STREAM_MP1:
    case BASS_CTYPE_STREAM_MP2:
    case BASS_CTYPE_STREAM_MP3:
      return "mp3";
    case BASS_CTYPE_STREAM_WMA:
    case BASS_CTYPE_STREAM_WMA_MP3:
      return "wma";
    case BASS_CTYPE_STREAM_AAC:
      return "aac";
    case BASS_CTYPE_STREAM_MP4:
      return "mp4";
    default:
      return nullptr;
  }
}

}  // namespace stream
