#!/usr/bin/env bash
# Configures and builds one preset (default: "default"): bash scripts/build.sh [preset]
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
# Warnings are errors where TALVORANEST_WERROR is set (continuous integration), never for users.
werror=OFF
if [ -n "${TALVORANEST_WERROR:-}" ] && [ "${TALVORANEST_WERROR}" != 0 ]; then werror=ON; fi
cmake --preset "$preset" -DTALVORANEST_WERROR="$werror" >/dev/null
cmake --build --preset "$preset" -j"$(nproc)"
