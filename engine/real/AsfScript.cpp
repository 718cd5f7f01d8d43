#include "engine/real/AsfScript.h"

#include "engine/real/AsfBytes.h"
#include "engine/real/AsfHeader.h"
#include "engine/real/HeaderLines.h"

namespace engine {
namespace {

using asf::Fits;
using asf::Le;

constexpr int kWidths[] = {0, 1, 2, 4};  // the 2-bit length types of the packet fields

// Reads a field of a 2-bit length type; false when the packet is too short.
bool Field(std::string_view packet, std::size_t& at, unsigned type, std::uint32_t& value) {
  const int width = kWidths[type & 3];
  if (!Fits(packet, at, static_cast<std::size_t>(width))) return false;
  value = width ? static_cast<std::uint32_t>(Le(packet, at, width)) : 0;
  at += static_cast<std::size_t>(width);
  return true;
}

}  // namespace

bool AsfScript::Packet(std::string_view packet, const Sink& sink) {
  std::size_t at = 0;
  if (!Fits(packet, at, 1)) return false;
  if (static_cast<unsigned char>(packet[0]) & 0x80) {  // error correction data first
    if (static_cast<unsigned char>(packet[0]) & 0x60) return false;
    at = 1 + (static_cast<unsigned char>(packet[0]) & 0x0F);
  }
  if (!Fits(packet, at, 2)) return false;
  const unsigned lengthFlags = static_cast<unsigned char>(packet[at]);
  const unsigned propertyFlags = static_cast<unsigned char>(packet[at + 1]);
  at += 2;
  std::uint32_t length = 0, sequence = 0, padding = 0;
  if (!Field(packet, at, lengthFlags >> 5, length) ||
      !Field(packet, at, lengthFlags >> 1, sequence) ||
      !Field(packet, at, lengthFlags >> 3, padding) || !Fits(packet, at, 6))
    return false;
  const auto sendTime = static_cast<std::uint32_t>(Le(packet, at, 4));
  at += 6;  // send time and duration
  std::size_t end = length && length <= packet.size() ? length : packet.size();
  if (end < at || padding > end - at) return false;
  // Every read below stays before the padding.
  packet = packet.substr(0, end - padding);

  const bool multiple = lengthFlags & 1;
  std::uint32_t payloads = 1;
  unsigned payloadLengthType = 0;
  if (multiple) {
    if (!Fits(packet, at, 1)) return false;
    payloads = static_cast<unsigned char>(packet[at]) & 0x3F;
    payloadLengthType = static_cast<unsigned char>(packet[at]) >> 6;
    ++at;
  }
  for (std::uint32_t i = 0; i < payloads; ++i) {
    if (!Fits(packet, at, 1)) return false;
    const int number = static_cast<unsigned char>(packet[at]) & 0x7F;
    ++at;
    std::uint32_t object = 0, offset = 0, replicated = 0;
    if (!Field(packet, at, propertyFlags >> 4, object) ||
        !Field(packet, at, propertyFlags >> 2, offset) ||
        !Field(packet, at, propertyFlags, replicated) || !Fits(packet, at, replicated))
      return false;
    const std::string_view extra = packet.substr(at, replicated);
    at += replicated;
    auto size = static_cast<std::uint32_t>(packet.size() - at);
    if (multiple && (!Field(packet, at, payloadLengthType, size) || !Fits(packet, at, size)))
      return false;
    const std::string_view data = packet.substr(at, size);
    at += size;
    if (number != stream_) continue;
    if (replicated == 1) {  // compressed: whole samples, each after a length byte
      for (std::size_t sub = 0; sub < data.size();) {
        const std::size_t n = static_cast<unsigned char>(data[sub]);
        if (n > data.size() - sub - 1) return false;
        Sample(data.substr(sub + 1, n), sink);
        sub += 1 + n;
      }
    } else if (replicated >= 8) {
      Payload(object, offset, static_cast<std::uint32_t>(Le(extra, 0, 4)), data, sink);
    }
  }
  sendTime_ = sendTime;
  return true;
}

void AsfScript::Payload(std::uint32_t object, std::uint32_t offset, std::uint32_t objectSize,
                        std::string_view data, const Sink& sink) {
  if (offset == 0) {
    object_ = object;
    objectSize_ = objectSize;
    sample_.clear();
  }
  // A fragment out of order, or of a sample too large to be a command: drop the sample.
  if (object != object_ || offset != sample_.size() || objectSize_ > kMaxSampleBytes ||
      data.size() > objectSize_ - sample_.size()) {
    sample_.clear();
    objectSize_ = 0;
    return;
  }
  sample_.append(data);
  if (sample_.size() == objectSize_ && objectSize_ > 0) {
    Sample(sample_, sink);
    sample_.clear();
    objectSize_ = 0;
  }
}

void AsfScript::Sample(std::string_view sample, const Sink& sink) {
  // Two UTF-16 texts, each ending with a NUL code unit.
  std::size_t split = 0;
  while (split + 1 < sample.size() && (sample[split] != '\0' || sample[split + 1] != '\0'))
    split += 2;
  if (split + 1 >= sample.size()) return;
  ScriptCommand command;
  command.type = Utf16ToUtf8(sample.substr(0, split));
  command.parameter = Utf16ToUtf8(sample.substr(split + 2));
  if (!command.type.empty()) sink(std::move(command));
}

std::string TitleOf(const ScriptCommand& command) {
  for (const char* type : {"TITLE", "CAPTION", "TEXT"}) {
    if (EqualsNoCase(command.type, type)) return command.parameter;
  }
  return {};
}

}  // namespace engine
