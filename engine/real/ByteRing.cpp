#include "engine/real/ByteRing.h"

#include <algorithm>
#include <cstring>

namespace engine {

void ByteRing::Reserve(std::size_t capacity) {
  std::lock_guard lock(mutex_);
  buffer_.resize(capacity);
  capacity_ = capacity;
}

bool ByteRing::Write(const char* data, std::size_t size) {
  std::unique_lock lock(mutex_);
  const std::size_t capacity = buffer_.size();
  while (size > 0) {
    changed_.wait(lock, [&] { return aborted_ || Fill() < capacity; });
    if (aborted_) return false;
    const std::size_t at = written_ % capacity;
    const std::size_t n = std::min({size, capacity - Fill(), capacity - at});
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
  const std::size_t capacity = buffer_.size();
  const std::size_t at = read_ % capacity;
  const std::size_t n = std::min({size, Fill(), capacity - at});
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
