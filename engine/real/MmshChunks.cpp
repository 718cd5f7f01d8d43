#include "engine/real/MmshChunks.h"

namespace engine {
namespace {

constexpr std::size_t kHead = 4;

std::size_t ExtensionFor(char type) {
  switch (type) {
    case 'H':
    case 'D':
      return 8;
    case 'C':
    case 'E':
      return 4;
    default:
      return 0;
  }
}

}  // namespace

bool MmshChunks::Feed(const char* data, std::size_t size, const Sink& sink) {
  if (broken_) return false;
  pending_.append(data, size);
  std::size_t used = 0;
  while (pending_.size() - used >= kHead) {
    const std::string_view rest(pending_.data() + used, pending_.size() - used);
    const auto frame = static_cast<unsigned char>(rest[0]);
    const char type = rest[1];
    const std::size_t length = static_cast<unsigned char>(rest[2]) |
                               static_cast<std::size_t>(static_cast<unsigned char>(rest[3])) << 8;
    const std::size_t extension = ExtensionFor(type);
    if ((frame != 0x24 && frame != 0xA4) || length < extension) {
      broken_ = true;
      return false;
    }
    if (rest.size() < kHead + length) break;
    used += kHead + length;
    if (extension == 0) continue;  // a chunk type of no interest here
    if (!sink(static_cast<Type>(type), rest.substr(kHead + extension, length - extension))) {
      pending_.erase(0, used);
      return false;
    }
  }
  pending_.erase(0, used);
  return true;
}

}  // namespace engine
