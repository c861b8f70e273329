#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks the skips of CTest runs against the allowed reasons: reads the
JUnit files of `ctest --output-junit`, finds every test that did not run
(a whole test skipped with exit code 77 prints "SKIPPED: reason") and every
Qt Test function skipped inside a test ("SKIP   : Class::function() reason"),
and fails unless each reason starts with a line of the allowed file."""

import argparse
import pathlib
import re
import sys
import xml.etree.ElementTree as ElementTree

WHOLE_TEST_SKIP = re.compile(r"^SKIPPED: (.*)$", re.MULTILINE)
FUNCTION_SKIP = re.compile(r"^SKIP {3}: ([^\s(]+(?:\([^)]*\))?) (.*)$", re.MULTILINE)


def allowed_reasons(path: pathlib.Path) -> list[str]:
    lines = (line.strip() for line in path.read_text(encoding="utf-8").splitlines())
    return [line for line in lines if line and not line.startswith("#")]


def skips_of(testcase: ElementTree.Element) -> list[tuple[str, str]]:
    """(what was skipped, reason) for each skip the test case reports."""
    name = testcase.get("name", "?")
    output = "".join(element.text or "" for element in testcase.iter("system-out"))
    skips = [(f"{name}: {function}", reason.strip()) for function, reason in FUNCTION_SKIP.findall(output)]
    if testcase.get("status") in ("run", "fail"):
        return skips
    whole = WHOLE_TEST_SKIP.findall(output)
    reason = whole[-1].strip() if whole else f"did not run ({testcase.get('status')})"
    return skips + [(name, reason)]


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--allowed", required=True, type=pathlib.Path)
    parser.add_argument("junit", nargs="+", type=pathlib.Path)
    arguments = parser.parse_args()
    allowed = allowed_reasons(arguments.allowed)
    refused = 0
    for path in arguments.junit:
        for testcase in ElementTree.parse(path).getroot().iter("testcase"):
            for what, reason in skips_of(testcase):
                verdict = "allowed" if any(reason.startswith(line) for line in allowed) else "NOT ALLOWED"
                refused += verdict != "allowed"
                print(f"skipped {what}: {reason} [{verdict}]")
    if refused:
        print(f"{refused} skip(s) with a reason not in {arguments.allowed}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
