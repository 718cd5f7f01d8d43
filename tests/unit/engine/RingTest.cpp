#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "engine/real/ByteRing.h"
#include "engine/real/PcmRing.h"

namespace engine {
namespace {

// A full ring makes the writer wait instead of dropping; every byte arrives in order.
TEST(ByteRing, BackPressureLosesNothing) {
  ByteRing ring;
  ring.Reserve(7);
  std::string sent;
  for (int i = 0; i < 5000; ++i) sent += static_cast<char>('a' + i % 26);
  auto writer = std::async(std::launch::async, [&] {
    const bool ok = ring.Write(sent.data(), sent.size());
    ring.End();
    return ok;
  });
  std::string received;
  char buffer[5];
  for (long n; (n = ring.Read(buffer, sizeof buffer)) > 0;) received.append(buffer, n);
  EXPECT_TRUE(writer.get());
  EXPECT_EQ(received, sent);
  EXPECT_EQ(ring.Written(), sent.size());
  EXPECT_EQ(ring.Consumed(), sent.size());
}

// The decoder corrects the size once it knows the bit rate; what is stored stays in order.
TEST(ByteRing, ResizingKeepsTheStoredBytes) {
  ByteRing ring;
  ring.Reserve(4);
  char out[8] = {};
  ASSERT_TRUE(ring.Write("ab", 2));
  ASSERT_EQ(ring.Read(out, 2), 2);
  ASSERT_TRUE(ring.Write("cdef", 4));  // wraps around the end
  ring.Reserve(8);
  EXPECT_EQ(ring.Capacity(), 8u);
  ASSERT_TRUE(ring.Write("gh", 2));
  ring.Reserve(2);  // below what is stored: nothing is lost, the writer waits
  EXPECT_EQ(ring.Capacity(), 2u);
  ring.End();
  std::string all;
  for (long n; (n = ring.Read(out, sizeof out)) > 0;) all.append(out, n);
  EXPECT_EQ(all, "cdefgh");
}

TEST(ByteRing, AbortWakesAWaitingWriterAndReader) {
  ByteRing full;
  full.Reserve(2);
  auto writer = std::async(std::launch::async, [&] { return full.Write("abcdef", 6); });
  ByteRing empty;
  empty.Reserve(2);
  auto reader = std::async(std::launch::async, [&] {
    char c;
    return empty.Read(&c, 1);
  });
  full.Abort();
  empty.Abort();
  EXPECT_FALSE(writer.get());
  EXPECT_EQ(reader.get(), -1);
}

TEST(PcmRing, WrapsAroundAndReportsWhatFitted) {
  PcmRing ring(4);
  const std::int16_t in[] = {1, -1, 2, -2, 3, -3, 4, -4, 5, -5};
  EXPECT_EQ(ring.Write(in, 5), 4u);
  std::int16_t out[10] = {};
  EXPECT_EQ(ring.Read(out, 3), 3u);
  EXPECT_EQ(ring.Write(in + 8, 1), 1u);
  EXPECT_EQ(ring.Read(out, 5), 2u);
  EXPECT_EQ(out[0], 4);
  EXPECT_EQ(out[3], -5);
  EXPECT_EQ(ring.Frames(), 0u);
}

}  // namespace
}  // namespace engine
