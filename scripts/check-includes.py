#!/usr/bin/env python3
"""Fails when a source file includes a header of something its target does not link.

    python3 scripts/check-includes.py [source root]

Each file belongs to the unit with the longest matching key below (a folder, or a file name
without its extension). A unit may include its own headers and those of the units its target
links, directly or through their public links. The table follows the CMake link graph: change
both together.
"""
import os
import re
import sys

# unit -> the units its target links
LINKS = {
    "os": [],
    "text": [],
    "engine": [],  # engine_api: the operation set and its dispatch
    "engine/real": ["engine"],  # engine_parsers, engine_real, and `engine` that installs it
    "engine/fake": ["engine"],  # engine_fake
    "sources": ["text", "os"],
    "stream": ["stream/TagText", "engine", "text", "sources"],
    "stream/TagText": ["engine", "text"],  # also built alone by its fuzz target
    "widgets": [],
    "assets": [],
    "assets/generator": [],
    "player": ["engine", "sources", "stream"],
    "ui": ["assets", "engine", "player", "text", "sources", "stream", "widgets"],
    "mpris": ["player", "text", "sources"],
    "app/HandoffMessage": [],  # app_message
    "app": ["app/HandoffMessage", "ui", "text", "os"],  # app_core
    "app/main.cpp": ["app", "ui", "mpris", "engine/real"],  # the player executable
    "tools": ["engine/real", "stream"],
    "bench/engine": ["engine/real", "stream"],
    "bench/widgets": ["widgets"],
    "tests/support": [],  # header-only helpers any test may include
    "tests/support/ServerProcess": ["tests/support"],  # test_support
    "tests/unit/engine": ["engine/real", "tests/support"],
    "tests/unit/engine/DispatchTest.cpp": ["engine/fake"],
    "tests/unit/stream": ["stream", "engine/fake", "tests/support"],
    "tests/unit/player": ["player", "engine/fake", "tests/support"],
    "tests/unit/ui": ["ui", "tests/support"],
    "tests/unit/app": ["app", "sources", "tests/support"],
    "tests/unit/sources": ["sources", "tests/support"],
    "tests/unit/text": ["text"],
    "tests/unit/widgets": ["widgets"],
    "tests/integration/widgets": ["widgets"],
    "tests/integration/ui": ["ui", "engine/fake", "tests/support"],
    "tests/integration/mpris": ["mpris", "tests/integration/ui"],
    "tests/integration/stream": [
        "tests/unit/stream",
        "engine/real",
        "tests/support/ServerProcess",
    ],
    "tests/integration/engine": ["engine/real", "tests/support/ServerProcess"],
    "tests/integration/load": ["ui", "engine/real", "tests/support/ServerProcess"],
    "tests/fuzz/app": ["app/HandoffMessage"],
    "tests/fuzz/engine": ["engine/real"],
    "tests/fuzz/sources": ["sources"],
    "tests/fuzz/stream": ["stream/TagText"],
}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^">]+)[">]')
SOURCE_SUFFIXES = (".cpp", ".h")


def unit_of(path):
    """The unit owning a root-relative path, or None."""
    best = None
    for key in LINKS:
        if path == key or path.startswith(key + "/") or path.startswith(key + "."):
            if best is None or len(key) > len(best):
                best = key
    return best


def allowed_units(unit):
    seen = {unit}
    todo = [unit]
    while todo:
        for dependency in LINKS[todo.pop()]:
            if dependency not in seen:
                seen.add(dependency)
                todo.append(dependency)
    return seen


def resolve(root, including, kind, name):
    """The root-relative path an include names, or None for one outside the tree."""
    candidates = [os.path.join(root, name)]
    if kind == '"':
        candidates.insert(0, os.path.join(os.path.dirname(os.path.join(root, including)), name))
    for candidate in candidates:
        if os.path.isfile(candidate):
            relative = os.path.relpath(os.path.realpath(candidate), os.path.realpath(root))
            return None if relative.startswith("..") else relative.replace(os.sep, "/")
    return None


def source_files(root):
    for folder, folders, files in os.walk(root):
        # Build folders, hidden folders and anything with its own source tree stay out.
        folders[:] = sorted(f for f in folders if not f.startswith((".", "build")))
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                yield os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")


def check(root):
    """Lines describing every violation (empty when none)."""
    problems = []
    for key, dependencies in LINKS.items():
        for dependency in dependencies:
            if dependency not in LINKS:
                problems.append(f"{key}: links unknown unit {dependency}")
    for path in source_files(root):
        unit = unit_of(path)
        if unit is None:
            problems.append(f"{path}: no unit owns this file; add its folder to LINKS")
            continue
        allowed = allowed_units(unit)
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as source:
            for number, line in enumerate(source, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                header = resolve(root, path, match.group(1), match.group(2))
                owner = unit_of(header) if header else None
                if owner is not None and owner not in allowed:
                    problems.append(
                        f"{path}:{number}: includes {header} of {owner}, "
                        f"which {unit} does not link"
                    )
    return problems


def main(argv):
    root = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    problems = check(os.path.abspath(root))
    for problem in problems:
        print(problem)
    if problems:
        return 1
    print("every include is of a linked unit")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
