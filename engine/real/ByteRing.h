// The bounded byte ring between the network thread (writer) and the decoder (reader).
//
// When it is full the writer waits: nothing is dropped. Abort() wakes both sides at once.
// The counters are atomics so that any thread (the output callback included) can read the
// fill without taking the lock.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace engine {

class ByteRing {
 public:
  // Sets the capacity, keeping what is stored. The writer sets it before its first Write;
  // the decoder may correct it once the bit rate is known.
  void Reserve(std::size_t capacity);

  // Waits for room until everything is stored; false when aborted.
  bool Write(const char* data, std::size_t size);
  // Waits for data; the number of bytes read, 0 at the end, -1 when aborted.
  long Read(char* out, std::size_t size);
  // The writer has nothing more.
  void End();
  void Abort();

  std::size_t Capacity() const { return capacity_.load(); }
  std::uint64_t Written() const { return written_.load(); }
  std::uint64_t Consumed() const { return read_.load(); }
  std::size_t Fill() const { return static_cast<std::size_t>(written_.load() - read_.load()); }
  bool Ended() const { return ended_.load(); }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<char> buffer_;  // guarded by mutex_
  std::atomic<std::size_t> capacity_{
      0};  // the fill limit, <= buffer_.size(); changed only under mutex_
  std::atomic<std::uint64_t> written_{0};  // changed only under mutex_
  std::atomic<std::uint64_t> read_{0};     // changed only under mutex_
  std::atomic<bool> ended_{false};
  std::atomic<bool> aborted_{false};
};

}  // namespace engine
