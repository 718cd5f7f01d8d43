"""The include check on a small tree: it must name each offending file and line."""
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.environ.get(
    "CHECK_INCLUDES",
    os.path.join(os.path.dirname(__file__), "..", "..", "..", "scripts", "check-includes.py"),
)


def run(files):
    with tempfile.TemporaryDirectory() as root:
        for path, text in files.items():
            os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
            with open(os.path.join(root, path), "w", encoding="utf-8") as out:
                out.write(text)
        done = subprocess.run(
            [sys.executable, SCRIPT, root], capture_output=True, text=True, timeout=30
        )
        return done.returncode, done.stdout.splitlines()


class CheckIncludesTest(unittest.TestCase):
    def test_layered_tree_passes(self):
        code, lines = run(
            {
                "engine/bass.h": "",
                "engine/real/Stream.h": '#include "engine/bass.h"\n',
                "stream/Worker.cpp": '#include "engine/bass.h"\n#include <vector>\n',
                "stream/Worker.h": "",
                "ui/View.cpp": '#include "../stream/Worker.h"\n#include "View.h"\n',
                "ui/View.h": "",
            }
        )
        self.assertEqual((code, lines), (0, ["every include is of a linked unit"]))

    def test_each_violation_is_named_by_file_and_line(self):
        code, lines = run(
            {
                "engine/dispatch.cpp": '#include "engine/bass.h"\n#include "engine/real/Stream.h"\n',
                "engine/bass.h": "",
                "engine/real/Stream.h": "",
                "widgets/Bar.cpp": '// a bar\n\n  #  include <stream/Worker.h>\n',
                "stream/Worker.h": "",
                "newfolder/Thing.cpp": "",
            }
        )
        self.assertEqual(code, 1)
        self.assertEqual(
            sorted(lines),
            [
                "engine/dispatch.cpp:2: includes engine/real/Stream.h of engine/real, "
                "which engine does not link",
                "newfolder/Thing.cpp: no unit owns this file; add its folder to LINKS",
                "widgets/Bar.cpp:3: includes stream/Worker.h of stream, which widgets does not link",
            ],
        )


if __name__ == "__main__":
    unittest.main()
