#include "engine/real/PlaylistAtUrl.h"

#include <curl/curl.h>

#include <array>
#include <vector>

#include "engine/real/HeaderLines.h"

namespace engine {
namespace {

constexpr std::array kPlaylistTypes = {
    "audio/x-scpls",
    "audio/scpls",
    "application/pls+xml",
    "audio/x-mpegurl",
    "audio/mpegurl",
    "application/x-mpegurl",
    "application/vnd.apple.mpegurl",
    "video/x-ms-asx",
    "audio/x-ms-asx",
    "video/x-ms-wax",
    "audio/x-ms-wax",
    "video/x-ms-wvx",
};

std::string_view SkipBomAndBlanks(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  return Trim(text);
}

bool LooksLikeAddress(std::string_view line) {
  return StartsWithNoCase(line, "http://") || StartsWithNoCase(line, "https://") ||
         StartsWithNoCase(line, "mms://") || StartsWithNoCase(line, "icy://");
}

bool IsText(std::string_view bytes) {
  for (unsigned char c : bytes) {
    if (c < 0x20 && c != '\r' && c != '\n' && c != '\t') return false;
  }
  return true;
}

std::vector<std::string_view> Lines(std::string_view body) {
  std::vector<std::string_view> lines;
  while (!body.empty()) {
    const auto end = body.find_first_of("\r\n");
    lines.push_back(Trim(body.substr(0, end)));
    if (end == std::string_view::npos) break;
    body.remove_prefix(end + 1);
  }
  return lines;
}

std::optional<std::string_view> FromPls(std::string_view body) {
  for (auto line : Lines(body)) {
    const auto eq = line.find('=');
    if (eq != std::string_view::npos && StartsWithNoCase(line, "file")) {
      auto value = Trim(line.substr(eq + 1));
      if (!value.empty()) return value;
    }
  }
  return std::nullopt;
}

std::optional<std::string_view> FromLines(std::string_view body) {
  for (auto line : Lines(body)) {
    if (!line.empty() && line.front() != '#' && line.front() != '[') return line;
  }
  return std::nullopt;
}

// First <ref href="..."> (quotes " or ', any case).
std::optional<std::string_view> FromAsx(std::string_view body) {
  std::string lower(body);
  for (auto& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (std::size_t at = lower.find("<ref"); at != std::string::npos;
       at = lower.find("<ref", at + 4)) {
    const auto href = lower.find("href", at);
    const auto close = lower.find('>', at);
    if (href == std::string::npos || href > close) continue;
    const auto quote = lower.find_first_of("\"'", href);
    if (quote == std::string::npos || quote > close) continue;
    const auto end = lower.find(lower[quote], quote + 1);
    if (end == std::string::npos) continue;
    auto value = Trim(body.substr(quote + 1, end - quote - 1));
    if (!value.empty()) return value;
  }
  return std::nullopt;
}

// Resolves a relative entry against the playlist's own address; ASX "mms://" means HTTP here.
std::optional<std::string> Resolve(std::string_view entry, const std::string& base) {
  std::string target(entry);
  if (StartsWithNoCase(target, "mms://")) target = "http://" + target.substr(6);
  if (StartsWithNoCase(target, "icy://")) target = "http://" + target.substr(6);
  CURLU* url = curl_url();
  if (!url) return std::nullopt;
  std::optional<std::string> result;
  if (curl_url_set(url, CURLUPART_URL, base.c_str(), 0) == CURLUE_OK &&
      curl_url_set(url, CURLUPART_URL, target.c_str(), 0) == CURLUE_OK) {
    char* out = nullptr;
    if (curl_url_get(url, CURLUPART_URL, &out, 0) == CURLUE_OK) result = out;
    curl_free(out);
  }
  curl_url_cleanup(url);
  return result;
}

}  // namespace

BodyKind ClassifyBody(std::string_view contentType, std::string_view start) {
  const auto type = Trim(contentType.substr(0, contentType.find(';')));
  const auto head = SkipBomAndBlanks(start);
  if (StartsWithNoCase(head, "[playlist]") || head.starts_with("#EXTM3U") ||
      StartsWithNoCase(head, "<asx"))
    return BodyKind::kPlaylist;
  for (const char* known : kPlaylistTypes) {
    if (EqualsNoCase(type, known)) return BodyKind::kPlaylist;
  }
  const bool textual = type.empty() || StartsWithNoCase(type, "text/");
  if (textual && IsText(start.substr(0, 512)) &&
      (head.empty() || head.front() == '#' || LooksLikeAddress(head)))
    return BodyKind::kUndecided;
  return BodyKind::kAudio;
}

std::optional<std::string> FirstPlaylistEntry(std::string_view body, const std::string& base,
                                              bool relativeOk) {
  if (body.size() > kMaxPlaylistBytes) return std::nullopt;
  const auto head = SkipBomAndBlanks(body);
  std::optional<std::string_view> entry;
  if (StartsWithNoCase(head, "[playlist]"))
    entry = FromPls(body);
  else if (StartsWithNoCase(head, "<asx") || StartsWithNoCase(head, "<?xml"))
    entry = FromAsx(body);
  else
    entry = FromLines(body);
  if (!entry || entry->find('\0') != std::string_view::npos) return std::nullopt;
  if (!relativeOk && !LooksLikeAddress(*entry)) return std::nullopt;
  return Resolve(*entry, base);
}

}  // namespace engine
