#!/usr/bin/env bash
# The suite under address+undefined sanitizers, the threaded tests under the thread
# sanitizer, and every fuzz target for a bounded time. Run after scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

bash scripts/build.sh asan
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --preset asan --label-exclude 'fuzz|e2e' -j2 --timeout 600

bash scripts/build.sh tsan
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ignore_noninstrumented_modules=1 suppressions=$PWD/tests/tsan.supp" \
  ctest --preset tsan --label-regex threads --exclude-regex Icecast -j2 --timeout 600

bash scripts/build.sh fuzz
ctest --preset fuzz --label-regex fuzz -j2 --timeout 300
