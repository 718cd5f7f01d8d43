// Builds the ASF and MMSH bytes the readers are tested on: header objects, data packets with
// one payload, and MMSH chunks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/real/AsfBytes.h"

namespace enginetest {

inline std::string Le(std::uint64_t value, int width) {
  std::string out;
  for (int i = 0; i < width; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
  return out;
}

inline std::string Bytes(const engine::asf::Guid& guid) {
  return std::string(guid.begin(), guid.end());
}

inline std::string Utf16(const std::string& ascii) {
  std::string out;
  for (char c : ascii) out += std::string{c, '\0'};
  return out + std::string(2, '\0');
}

inline std::string Object(const engine::asf::Guid& guid, const std::string& body) {
  return Bytes(guid) + Le(24 + body.size(), 8) + body;
}

inline std::string FileProperties(std::uint32_t packetSize) {
  return Object(engine::asf::kFileProperties,
                std::string(68, '\0') + Le(packetSize, 4) + Le(packetSize, 4) + Le(64000, 4));
}

inline std::string StreamProperties(int number, const engine::asf::Guid& type,
                                    std::uint32_t bytesPerSecond = 0) {
  const std::string wave = Le(0x161, 2) + Le(2, 2) + Le(44100, 4) + Le(bytesPerSecond, 4);
  return Object(engine::asf::kStreamProperties, Bytes(type) + std::string(16, '\0') + Le(0, 8) +
                                                    Le(wave.size(), 4) + Le(0, 4) + Le(number, 2) +
                                                    Le(0, 4) + wave);
}

inline std::string ContentDescription(const std::string& title, const std::string& author) {
  return Object(engine::asf::kContentDescription, Le(Utf16(title).size(), 2) +
                                                      Le(Utf16(author).size(), 2) + Le(0, 6) +
                                                      Utf16(title) + Utf16(author));
}

inline std::string Header(const std::vector<std::string>& objects) {
  std::string body;
  for (const auto& object : objects) body += object;
  return Bytes(engine::asf::kHeaderObject) + Le(30 + body.size(), 8) + Le(objects.size(), 4) +
         "\x01\x02" + body;
}

// A packet with one payload of `stream`: byte-sized object number and replicated-data length,
// a 32-bit offset, a 16-bit padding length.
inline std::string Packet(int stream, std::uint32_t object, std::uint32_t offset,
                          std::uint32_t objectSize, const std::string& data,
                          std::size_t packetSize) {
  std::string payload = std::string(1, static_cast<char>(0x80 | stream)) + Le(object, 1) +
                        Le(offset, 4) + Le(8, 1) + Le(objectSize, 4) + Le(0, 4) + data;
  std::string head = std::string("\x82\x00\x00\x10\x5D", 5);
  const std::size_t padding = packetSize - head.size() - 8 - payload.size();
  return head + Le(padding, 2) + Le(0, 6) + payload + std::string(padding, '\0');
}

inline std::string Chunk(char type, const std::string& payload) {
  const std::string extension =
      type == 'H' || type == 'D' ? Le(0, 4) + Le(0, 2) + Le(payload.size() + 8, 2) : Le(0, 4);
  return std::string("$") + type + Le(extension.size() + payload.size(), 2) + extension + payload;
}

}  // namespace enginetest
