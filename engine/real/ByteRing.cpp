#include "engine/real/ByteRing.h"

#include <algorithm>
#include <cstring>

namespace engine {

void ByteRing::Reserve(std::size_t capacity) {
  std::lock_guard lock(mutex_);
  // Storage never shrinks below what is stored; the writer then waits for the fill to drop.
  const std::size_t storage = std::max(capacity, Fill());
  std::vector<char> resized(storage);
  for (std::uint64_t at = read_; at < written_; ++at)
    resized[at % storage] = buffer_[at % buffer_.size()];
  buffer_.swap(resized);
  capacity_ = capacity;
  changed_.notify_all();
}

bool ByteRing::Write(const char* data, std::size_t size) {
  std::unique_lock lock(mutex_);
  while (size > 0) {
    changed_.wait(lock, [&] { return aborted_ || Fill() < capacity_; });
    if (aborted_) return false;
    const std::size_t storage = buffer_.size();
    const std::size_t at = written_ % storage;
    const std::size_t n = std::min({size, capacity_ - Fill(), storage - at});
    std::memcpy(buffer_.data() + at, data, n);
    written_ += n;
    data += n;
    size -= n;
    changed_.notify_all();
  }
  return true;
}

long ByteRing::Read(char* out, std::size_t size) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return aborted_ || ended_ || Fill() > 0; });
  if (aborted_) return -1;
  if (Fill() == 0) return 0;
  const std::size_t storage = buffer_.size();
  const std::size_t at = read_ % storage;
  const std::size_t n = std::min({size, Fill(), storage - at});
  std::memcpy(out, buffer_.data() + at, n);
  read_ += n;
  changed_.notify_all();
  return static_cast<long>(n);
}

void ByteRing::End() {
  std::lock_guard lock(mutex_);
  ended_ = true;
  changed_.notify_all();
}

void ByteRing::Abort() {
  std::lock_guard lock(mutex_);
  aborted_ = true;
  changed_.notify_all();
}

}  // namespace engine
