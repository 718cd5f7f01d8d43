#!/usr/bin/env python3
"""Runs one end-to-end test class; exits 77 (skipped) when the player or a tool is missing."""

import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "..", "server"))
import harness  # noqa: E402
import suite_runner  # noqa: E402

if __name__ == "__main__":
    sys.exit(suite_runner.run(sys.argv[1:] or ["test_player"], harness.missing_requirements()))
