// The test thread is the window's thread: it owns the QCoreApplication and the StatusWindow.
#include <gtest/gtest.h>

#include <QCoreApplication>

#if defined(__SANITIZE_THREAD__)
// Qt is not built with the thread sanitizer: its own allocations and locks would show as races.
// Our hand-over between threads carries its own atomics, which the sanitizer does see.
extern "C" const char* __tsan_default_options() {
  return "ignore_noninstrumented_modules=1";
}
#endif

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
