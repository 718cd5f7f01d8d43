"""Runs python test classes for CTest: exits 77 (skipped) when a requirement is missing or
every test skipped itself, 0 when all passed, 1 otherwise.

With TALVORANEST_REQUIRE_ALL set (continuous integration sets it), a missing requirement and
a test that skipped itself for want of a tool are failures: there, everything must be
installed. Skips for want of root privileges stay skips."""

import os
import unittest

SKIPPED = 77


def everything_required():
    return os.environ.get("TALVORANEST_REQUIRE_ALL", "") not in ("", "0")


def is_privilege_skip(reason):
    return "root" in reason


def run(names, missing):
    if missing:
        print("skipped, missing: " + ", ".join(missing))
        return 1 if everything_required() else SKIPPED
    suite = unittest.defaultTestLoader.loadTestsFromNames(names)
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    if not result.wasSuccessful():
        return 1
    if everything_required():
        missing_tools = [reason for _, reason in result.skipped if not is_privilege_skip(reason)]
        if missing_tools:
            print("skipped although everything is required: " + "; ".join(missing_tools))
            return 1
    if result.testsRun == len(result.skipped):
        return SKIPPED
    return 0
