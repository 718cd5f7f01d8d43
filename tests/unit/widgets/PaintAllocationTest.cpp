// Painting a meter must not allocate: it runs 100 times a second on the window's thread.
// Every allocation of the process passes through the counting replacements below, including
// Qt's own (which call malloc directly).
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <atomic>
#include <cstdlib>

#include "MeterFixture.h"
#include "widgets/BlockBar.h"

extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);

namespace {
std::atomic<long> allocations{0};
}  // namespace

extern "C" void* malloc(size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_malloc(size);
}
extern "C" void* calloc(size_t n, size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_calloc(n, size);
}
extern "C" void* realloc(void* p, size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_realloc(p, size);
}

namespace widgets {
namespace {

TEST(PaintAllocation, MeterPaintAllocatesNothing) {
  TBlockBar bar;
  test::ConfigureMeter(bar);
  for (int position : {0, 1, 32768, 65535, 12345}) {
    bar.SetPosition(position);
    const long before = allocations.load();
    bar.Paint();
    EXPECT_EQ(allocations.load() - before, 0) << position;
  }
  // The counter does see allocations.
  const long before = allocations.load();
  bar.SetBarColor(clRed);
  EXPECT_GT(allocations.load() - before, 0);
}

}  // namespace
}  // namespace widgets

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
