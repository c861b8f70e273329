#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Prints the share of the C++ code that is test code: lines of the .cpp,
.h, .hpp and .c files under tests/ against those of the whole source tree,
counting only lines that hold code (no blank lines, no comments). Build
folders (any folder whose name starts with "build") and hidden folders are
left out."""

import argparse
import pathlib
import re
import sys

SUFFIXES = {".cpp", ".h", ".hpp", ".c"}
# One pass from left to right, so that a comment marker inside a literal
# ("http://...") is no comment and a quote inside a comment starts no string.
TOKEN = re.compile(
    r'(?P<raw>R"(?P<delimiter>[^(\s]{0,16})\(.*?\)(?P=delimiter)")'
    r'|(?P<string>"(?:\\.|[^"\\\n])*")'
    r"|(?P<char>'(?:\\.|[^'\\\n])*')"
    r"|(?P<block>/\*.*?\*/)"
    r"|(?P<line>//[^\n]*)",
    re.DOTALL,
)


def blank_out_comments(match: re.Match) -> str:
    text = match.group(0)
    if match.lastgroup in ("block", "line"):
        return "\n" * text.count("\n")
    return text


def code_lines(text: str) -> int:
    code = TOKEN.sub(blank_out_comments, text)
    return sum(1 for line in code.splitlines() if line.strip())


def source_files(root: pathlib.Path):
    for path in sorted(root.rglob("*")):
        relative = path.relative_to(root)
        if any(part.startswith((".", "build")) for part in relative.parts[:-1]):
            continue
        if path.suffix in SUFFIXES and path.is_file():
            yield relative, path


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--root", default=pathlib.Path(__file__).resolve().parent.parent, type=pathlib.Path)
    root = parser.parse_args().root.resolve()
    total = tests = 0
    for relative, path in source_files(root):
        lines = code_lines(path.read_text(encoding="utf-8", errors="replace"))
        total += lines
        if relative.parts[0] == "tests":
            tests += lines
    share = 100.0 * tests / total if total else 0.0
    print(f"test share: {tests} of {total} lines ({share:.1f}%)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
