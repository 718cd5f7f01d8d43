#include "engine/real/AsfHeader.h"

#include <algorithm>

#include "engine/real/AsfBytes.h"
#include "engine/real/Utf8.h"

namespace engine {
namespace {

using asf::Fits;
using asf::IsGuid;
using asf::Le;

constexpr std::size_t kObjectHead = 24;  // GUID and 64-bit size
constexpr std::size_t kMaxEntries = 256;

void AddTag(TagEntries& tags, std::string name, std::string value) {
  if (!value.empty() && tags.size() < kMaxEntries) tags.emplace_back(std::move(name), value);
}

void ReadFileProperties(std::string_view object, AsfHeader& header) {
  if (!Fits(object, 92, 12)) return;
  header.packetSize = static_cast<std::uint32_t>(Le(object, 96, 4));  // the maximum
  header.maxBitrate = static_cast<std::uint32_t>(Le(object, 100, 4));
}

void ReadStreamProperties(std::string_view object, AsfHeader& header) {
  if (!Fits(object, 72, 6)) return;
  AsfStream stream;
  stream.number = static_cast<int>(Le(object, 72, 2) & 0x7F);
  if (IsGuid(object, kObjectHead, asf::kAudioMedia)) {
    stream.kind = AsfStream::Kind::kAudio;
    // WAVEFORMATEX: the average bytes per second after the tag, channels and rate.
    if (Fits(object, 78 + 8, 4)) stream.bitrate = static_cast<std::uint32_t>(Le(object, 86, 4) * 8);
  } else if (IsGuid(object, kObjectHead, asf::kCommandMedia)) {
    stream.kind = AsfStream::Kind::kScript;
  }
  if (stream.number == 0 || header.streams.size() >= 127) return;
  header.streams.push_back(stream);
}

// May come before the streams it names, so it is applied once all are known.
void ReadStreamBitrates(std::string_view object, std::vector<AsfStream>& bitrates) {
  if (!Fits(object, kObjectHead, 2)) return;
  const auto count = Le(object, kObjectHead, 2);
  for (std::size_t i = 0, at = kObjectHead + 2; i < count && Fits(object, at, 6); ++i, at += 6) {
    if (bitrates.size() >= 127) return;
    AsfStream entry;
    entry.number = static_cast<int>(Le(object, at, 2) & 0x7F);
    entry.bitrate = static_cast<std::uint32_t>(Le(object, at + 2, 4));
    bitrates.push_back(entry);
  }
}

void ReadContentDescription(std::string_view object, AsfHeader& header) {
  static constexpr const char* kNames[] = {"title", "author", "copyright", "description", "rating"};
  if (!Fits(object, kObjectHead, 10)) return;
  std::size_t at = kObjectHead + 10;
  for (int i = 0; i < 5; ++i) {
    const auto length = static_cast<std::size_t>(Le(object, kObjectHead + 2 * i, 2));
    if (!Fits(object, at, length)) return;
    AddTag(header.tags, kNames[i], Utf16ToUtf8(object.substr(at, length)));
    at += length;
  }
}

// A value of the extended content description as text; byte arrays are left out.
std::optional<std::string> ExtendedValue(std::string_view value, std::uint64_t type) {
  switch (type) {
    case 0:
      return Utf16ToUtf8(value);
    case 2:
    case 3:
      if (value.size() < 4) return std::nullopt;
      return std::to_string(Le(value, 0, 4));
    case 4:
      if (value.size() < 8) return std::nullopt;
      return std::to_string(Le(value, 0, 8));
    case 5:
      if (value.size() < 2) return std::nullopt;
      return std::to_string(Le(value, 0, 2));
    default:
      return std::nullopt;
  }
}

void ReadExtendedContent(std::string_view object, AsfHeader& header) {
  if (!Fits(object, kObjectHead, 2)) return;
  const auto count = Le(object, kObjectHead, 2);
  std::size_t at = kObjectHead + 2;
  for (std::uint64_t i = 0; i < count; ++i) {
    if (!Fits(object, at, 2)) return;
    const auto nameLength = static_cast<std::size_t>(Le(object, at, 2));
    if (!Fits(object, at + 2, nameLength) || !Fits(object, at + 2 + nameLength, 4)) return;
    std::string name = Utf16ToUtf8(object.substr(at + 2, nameLength));
    at += 2 + nameLength;
    const auto type = Le(object, at, 2);
    const auto valueLength = static_cast<std::size_t>(Le(object, at + 2, 2));
    if (!Fits(object, at + 4, valueLength)) return;
    if (auto value = ExtendedValue(object.substr(at + 4, valueLength), type))
      AddTag(header.tags, std::move(name), std::move(*value));
    at += 4 + valueLength;
  }
}

// Command types first (UTF-16 texts with their lengths in code units), then the commands:
// a time, an index into the types and the parameter.
void ReadScriptCommands(std::string_view object, AsfHeader& header) {
  constexpr std::size_t kCounts = kObjectHead + 16;  // after a reserved GUID
  if (!Fits(object, kCounts, 4)) return;
  const auto commands = Le(object, kCounts, 2);
  const auto typeCount = Le(object, kCounts + 2, 2);
  std::vector<std::string> types;
  std::size_t at = kCounts + 4;
  // One UTF-16 text after its 16-bit length in code units; false when it does not fit.
  const auto text = [&](std::string& out) {
    if (!Fits(object, at, 2)) return false;
    const auto bytes = static_cast<std::size_t>(Le(object, at, 2)) * 2;
    if (!Fits(object, at + 2, bytes)) return false;
    out = Utf16ToUtf8(object.substr(at + 2, bytes));
    at += 2 + bytes;
    return true;
  };
  for (std::uint64_t i = 0; i < typeCount; ++i) {
    std::string type;
    if (!text(type)) return;
    types.push_back(std::move(type));
  }
  for (std::uint64_t i = 0; i < commands && header.scripts.size() < AsfHeader::kMaxScripts; ++i) {
    if (!Fits(object, at, 6)) return;
    ScriptCommand command;
    command.timeMs = static_cast<std::uint32_t>(Le(object, at, 4));
    const auto index = static_cast<std::size_t>(Le(object, at + 4, 2));
    at += 6;
    if (!text(command.parameter)) return;
    if (index < types.size()) {
      command.type = types[index];
      header.scripts.push_back(std::move(command));
    }
  }
}

}  // namespace

std::string Utf16ToUtf8(std::string_view bytes) {
  std::string out;
  for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
    std::uint32_t code = static_cast<std::uint32_t>(Le(bytes, at, 2));
    if (code == 0) break;
    if (code >= 0xD800 && code < 0xDC00 && at + 3 < bytes.size()) {
      const auto low = static_cast<std::uint32_t>(Le(bytes, at + 2, 2));
      if (low >= 0xDC00 && low < 0xE000) {
        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        at += 2;
      } else {
        code = 0xFFFD;
      }
    } else if (code >= 0xD800 && code < 0xE000) {
      code = 0xFFFD;
    }
    AppendUtf8(out, code);
  }
  return out;
}

std::optional<std::uint64_t> AsfHeaderSize(std::string_view bytes) {
  if (!IsGuid(bytes, 0, asf::kHeaderObject) || !Fits(bytes, 16, 8)) return std::nullopt;
  return Le(bytes, 16, 8);
}

std::optional<AsfHeader> ReadAsfHeader(std::string_view bytes) {
  const auto size = AsfHeaderSize(bytes);
  constexpr std::size_t kHeaderHead = 30;  // GUID, size, object count, two reserved bytes
  if (!size || *size < kHeaderHead || *size > AsfHeader::kMaxBytes || *size > bytes.size())
    return std::nullopt;
  AsfHeader header;
  header.size = *size;
  const std::string_view objects = bytes.substr(0, static_cast<std::size_t>(*size));
  std::vector<AsfStream> bitrates;
  for (std::size_t at = kHeaderHead; at < objects.size();) {
    if (!Fits(objects, at, kObjectHead)) return std::nullopt;
    const auto objectSize = Le(objects, at + 16, 8);
    if (objectSize < kObjectHead || objectSize > objects.size() - at) return std::nullopt;
    const auto object = objects.substr(at, static_cast<std::size_t>(objectSize));
    if (IsGuid(object, 0, asf::kFileProperties)) ReadFileProperties(object, header);
    if (IsGuid(object, 0, asf::kStreamProperties)) ReadStreamProperties(object, header);
    if (IsGuid(object, 0, asf::kStreamBitrateProperties)) ReadStreamBitrates(object, bitrates);
    if (IsGuid(object, 0, asf::kContentDescription)) ReadContentDescription(object, header);
    if (IsGuid(object, 0, asf::kExtendedContentDescription)) ReadExtendedContent(object, header);
    if (IsGuid(object, 0, asf::kScriptCommand)) ReadScriptCommands(object, header);
    at += static_cast<std::size_t>(objectSize);
  }
  for (const auto& entry : bitrates) {
    for (auto& stream : header.streams) {
      if (stream.number == entry.number && entry.bitrate) stream.bitrate = entry.bitrate;
    }
  }
  std::stable_sort(header.scripts.begin(), header.scripts.end(),
                   [](const auto& a, const auto& b) { return a.timeMs < b.timeMs; });
  // The demuxer needs fixed-size packets; a header without that size can't be streamed.
  if (header.packetSize == 0 || header.packetSize > 64 * 1024) return std::nullopt;
  return header;
}

const AsfStream* BestAudioStream(const AsfHeader& header) {
  const AsfStream* best = nullptr;
  for (const auto& stream : header.streams) {
    if (stream.kind == AsfStream::Kind::kAudio && (!best || stream.bitrate > best->bitrate))
      best = &stream;
  }
  return best;
}

}  // namespace engine
