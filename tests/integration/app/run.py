#!/usr/bin/env python3
"""Runs start-up test classes; exits 77 (skipped) when the player or the server is missing or
every test skipped itself."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import handoff_harness  # noqa: E402

SKIPPED = 77


def main(names):
    missing = handoff_harness.missing_requirements()
    if missing:
        print("skipped, missing: " + ", ".join(missing))
        return SKIPPED
    suite = unittest.defaultTestLoader.loadTestsFromNames(names)
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    if result.wasSuccessful() and result.testsRun == len(result.skipped):
        return SKIPPED
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:] or ["test_startup"]))
