#include "engine/real/Id3Tag.h"

#include <cstdint>

#include "engine/real/Utf8.h"

namespace engine {
namespace {

constexpr std::size_t kHeaderBytes = 10;

std::uint32_t SyncSafe(std::string_view four) {
  std::uint32_t value = 0;
  for (unsigned char c : four.substr(0, 4)) value = value << 7 | (c & 0x7F);
  return value;
}

std::uint32_t BigEndian(std::string_view bytes) {
  std::uint32_t value = 0;
  for (unsigned char c : bytes) value = value << 8 | c;
  return value;
}

std::string FromUtf16(std::string_view bytes, bool bigEndian) {
  if (bytes.size() >= 2) {
    const auto b0 = static_cast<unsigned char>(bytes[0]);
    const auto b1 = static_cast<unsigned char>(bytes[1]);
    if ((b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF)) {
      bigEndian = b0 == 0xFE;
      bytes.remove_prefix(2);
    }
  }
  std::string out;
  for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
    const auto hi = static_cast<unsigned char>(bytes[at + (bigEndian ? 0 : 1)]);
    const auto lo = static_cast<unsigned char>(bytes[at + (bigEndian ? 1 : 0)]);
    std::uint32_t unit = static_cast<std::uint32_t>(hi) << 8 | lo;
    if (unit == 0) break;
    if (unit >= 0xD800 && unit < 0xDC00 && at + 3 < bytes.size()) {
      const auto hi2 = static_cast<unsigned char>(bytes[at + (bigEndian ? 2 : 3)]);
      const auto lo2 = static_cast<unsigned char>(bytes[at + (bigEndian ? 3 : 2)]);
      const std::uint32_t low = static_cast<std::uint32_t>(hi2) << 8 | lo2;
      if (low >= 0xDC00 && low < 0xE000) {
        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        at += 2;
      }
    }
    AppendUtf8(out, unit);
  }
  return out;
}

// A text frame's body: an encoding byte, then the text; only its first value is kept.
std::string FrameText(std::string_view body) {
  if (body.empty()) return {};
  const char encoding = body.front();
  body.remove_prefix(1);
  if (encoding == 1 || encoding == 2) return FromUtf16(body, encoding == 2);
  // Latin-1 and UTF-8 travel byte for byte, as Shoutcast titles do.
  return std::string(body.substr(0, body.find('\0')));
}

}  // namespace

std::optional<std::size_t> Id3TagSize(std::string_view bytes) {
  if (bytes.size() < kHeaderBytes) {
    return std::string_view("ID3").starts_with(bytes.substr(0, 3)) ? std::nullopt
                                                                   : std::optional<std::size_t>(0);
  }
  if (!bytes.starts_with("ID3")) return 0;
  const bool footer = bytes[5] & 0x10;
  return kHeaderBytes + SyncSafe(bytes.substr(6, 4)) + (footer ? kHeaderBytes : 0);
}

TagEntries Id3TextEntries(std::string_view tag) {
  TagEntries entries;
  const auto size = Id3TagSize(tag);
  if (!size || *size == 0 || tag.size() < kHeaderBytes) return entries;
  const int version = static_cast<unsigned char>(tag[3]);
  const auto flags = static_cast<unsigned char>(tag[5]);
  std::string_view frames = tag.substr(kHeaderBytes, *size - kHeaderBytes);
  if (flags & 0x40 && frames.size() >= 4) {  // an extended header goes first
    const std::size_t extended =
        version >= 4 ? SyncSafe(frames.substr(0, 4)) : BigEndian(frames.substr(0, 4)) + 4;
    frames.remove_prefix(std::min(extended, frames.size()));
  }
  const std::size_t idBytes = version == 2 ? 3 : 4;
  const std::size_t headBytes = version == 2 ? 6 : 10;
  while (frames.size() >= headBytes && frames.front() != '\0') {
    const auto id = frames.substr(0, idBytes);
    const auto sizeField = frames.substr(idBytes, idBytes);
    const std::size_t length = version >= 4 ? SyncSafe(sizeField) : BigEndian(sizeField);
    if (length > frames.size() - headBytes) break;
    const auto body = frames.substr(headBytes, length);
    if (id == "TIT2" || id == "TT2") entries.emplace_back("title", FrameText(body));
    if (id == "TPE1" || id == "TP1") entries.emplace_back("artist", FrameText(body));
    frames.remove_prefix(headBytes + length);
  }
  return entries;
}

}  // namespace engine
