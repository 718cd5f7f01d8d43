#!/usr/bin/env python3
"""Runs start-up test classes; exits 77 (skipped) when the player or the server is missing or
every test skipped itself."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import handoff_harness  # noqa: E402  (also puts tests/server on the path)
import suite_runner  # noqa: E402

if __name__ == "__main__":
    sys.exit(suite_runner.run(sys.argv[1:] or ["test_startup"],
                              handoff_harness.missing_requirements()))
