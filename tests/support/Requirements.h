// A requirement of the test machine that is missing (a tool, a server that would not start):
// on a developer's machine the test is skipped, in continuous integration, which sets
// TALVORANEST_REQUIRE_ALL, it fails, since everything must be there.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string_view>

namespace test_support {

inline bool EverythingRequired() {
  const char* value = std::getenv("TALVORANEST_REQUIRE_ALL");
  return value && *value && std::string_view(value) != "0";
}

}  // namespace test_support

// Use as a statement: SKIP_OR_FAIL_MISSING("icecast2 is not installed");
#define SKIP_OR_FAIL_MISSING(what)                      \
  do {                                                  \
    if (::test_support::EverythingRequired()) {         \
      GTEST_FAIL() << "required but missing: " << what; \
    } else {                                            \
      GTEST_SKIP() << what;                             \
    }                                                   \
  } while (0)
