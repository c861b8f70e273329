#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks the layering of the source tree.

The layer table (cmake/layers.txt) gives each top-level folder a level. A .h
or .cpp file of a folder may include a project header only from its own
folder or from a folder of a strictly lower level. Every other include is
printed as

    file:line: includes HEADER (level a) from FOLDER (level b)

and the check exits with status 1. With --self-test the check runs on small
trees of its own instead and fails unless it finds exactly the violations
planted there.
"""

import argparse
import os
import re
import sys

import planted_trees

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
SOURCE_SUFFIXES = (".h", ".cpp")
# Sources are small; a file larger than this is read only up to here.
MAX_SOURCE_BYTES = 1 << 20
MAX_TABLE_BYTES = 64 << 10


def read_layers(path):
    """The folder-to-level table; raises ValueError on a malformed line."""
    layers = {}
    with open(path, encoding="utf-8") as table:
        text = table.read(MAX_TABLE_BYTES)
    for number, line in enumerate(text.splitlines(), start=1):
        words = line.split("#", 1)[0].split()
        if not words:
            continue
        if len(words) != 2 or not words[1].isdigit():
            raise ValueError(f"{path}:{number}: expected 'folder level', found '{line.strip()}'")
        layers[words[0]] = int(words[1])
    return layers


def top_folder(root, path):
    """The first folder of path below root, or None outside root."""
    relative = os.path.relpath(path, root)
    if relative.startswith(os.pardir) or os.sep not in relative:
        return None
    return relative.split(os.sep, 1)[0]


def resolve_include(root, including_file, header, layers):
    """Where a quoted include lands: beside the including file first, then
    below the source root. None for a header of neither (generated files)."""
    for base in (os.path.dirname(including_file), root):
        candidate = os.path.normpath(os.path.join(base, header))
        if os.path.isfile(candidate):
            return candidate
    if header.split("/", 1)[0] in layers:
        return os.path.normpath(os.path.join(root, header))
    return None


def includes_of(path):
    """(line number, header) of every quoted include of a source file."""
    with open(path, encoding="utf-8", errors="replace") as source:
        text = source.read(MAX_SOURCE_BYTES)
    for number, line in enumerate(text.splitlines(), start=1):
        match = INCLUDE.match(line)
        if match:
            yield number, match.group(1)


def sources_of(root, folder):
    for directory, subdirectories, files in os.walk(os.path.join(root, folder)):
        subdirectories.sort()
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                yield os.path.join(directory, name)


def violations(root, layers):
    """Every include that reaches a folder of the same or a higher level."""
    found = []
    for folder, level in sorted(layers.items()):
        for path in sources_of(root, folder):
            for number, header in includes_of(path):
                target = resolve_include(root, path, header, layers)
                target_folder = top_folder(root, target) if target else None
                if target_folder is None or target_folder == folder or target_folder not in layers:
                    continue
                if layers[target_folder] >= level:
                    found.append(f"{os.path.relpath(path, root)}:{number}: includes "
                                 f"{os.path.relpath(target, root)} (level {layers[target_folder]}) "
                                 f"from {folder} (level {level})")
    return found


# Planted trees: files to write, and the violations the check must report.
SELF_TEST_CASES = [
    ("clean tree",
     {"platform/Clock.h": "", "dns/Lookup.h": '#include "platform/Clock.h"\n',
      "dns/Lookup.cpp": '#include "dns/Lookup.h"\n#include "Lookup.h"\n#include "Lookup.moc"\n'},
     []),
    ("dns includes the main window",
     {"mainwindow/MainDialog.h": "", "dns/Lookup.cpp": '#include <QString>\n#include "mainwindow/MainDialog.h"\n'},
     ["dns/Lookup.cpp:2: includes mainwindow/MainDialog.h (level {mainwindow}) from dns (level {dns})"]),
    ("relative include upwards",
     {"mainwindow/MainDialog.h": "", "dns/sub/Cursor.h": '  #  include "../../mainwindow/MainDialog.h"\n'},
     ["dns/sub/Cursor.h:1: includes mainwindow/MainDialog.h (level {mainwindow}) from dns (level {dns})"]),
    ("same level",
     {"icmp/IcmpRun.h": "", "dns/Lookup.cpp": '#include "icmp/IcmpRun.h"\n'},
     ["dns/Lookup.cpp:1: includes icmp/IcmpRun.h (level {icmp}) from dns (level {dns})"]),
]


def self_test(layers):
    cases = [(name, files, [line.format(**layers) for line in expected])
             for name, files, expected in SELF_TEST_CASES]
    return planted_trees.self_test(cases, lambda root: violations(root, layers))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--root", default=planted_trees.DEFAULT_ROOT, help="the source tree (default: this script's tree)")
    parser.add_argument("--layers", help="the layer table (default: ROOT/cmake/layers.txt)")
    parser.add_argument("--self-test", action="store_true", help="check planted trees instead of ROOT")
    arguments = parser.parse_args()
    try:
        layers = read_layers(arguments.layers or os.path.join(arguments.root, "cmake", "layers.txt"))
    except (OSError, ValueError) as error:
        print(f"check_layering: {error}", file=sys.stderr)
        return 2
    if arguments.self_test:
        return self_test(layers)
    found = violations(arguments.root, layers)
    for line in found:
        print(line)
    print(f"{len(found)} layering violation(s)" if found else "layering clean")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
