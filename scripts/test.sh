#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite (unit, integration and end-to-end tests).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh default
ctest --preset default --label-exclude fuzz -j2 --timeout 600
