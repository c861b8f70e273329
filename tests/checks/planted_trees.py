# SPDX-License-Identifier: GPL-3.0-or-later
"""What the tree checks share: the tree they check by default, and their
self-test, which writes small trees of its own and compares what a check
finds there with what was planted."""

import os
import tempfile

DEFAULT_ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))


def self_test(cases, check):
    """Runs check(root) on each planted tree of cases, a list of (name,
    {relative path: text}, expected findings); 0 when every case found
    exactly what was planted, 1 otherwise."""
    failures = 0
    for name, files, expected in cases:
        with tempfile.TemporaryDirectory() as root:
            for relative, text in files.items():
                path = os.path.join(root, relative)
                os.makedirs(os.path.dirname(path), exist_ok=True)
                with open(path, "w", encoding="utf-8") as source:
                    source.write(text)
            found = check(root)
        if found != expected:
            failures += 1
            print(f"self-test '{name}': expected {expected}, found {found}")
    print(f"{len(cases) - failures} passed, {failures} failed")
    return 1 if failures else 0
