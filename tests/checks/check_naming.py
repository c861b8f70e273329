#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks the naming rule of the source tree.

Types are PascalCase without a prefix: a class, struct, enum or alias named
C followed by a capital letter (CMainDialog) is refused. Member variables are
m_camelCase (statics s_, globals g_) and struct fields camelCase, named for
what they mean: a member or field whose name starts with a type hint
(m_strHost, m_nTimeout, m_bBusy, m_pQuery, m_btnGo, s_nLast, nPings,
lpVendorInfo, szDescription) is refused. Every
finding is printed as

    file:line: RULE: NAME

and the check exits with status 1. String literals and comments are not
read. With --self-test the check runs on small trees of its own instead and
fails unless it finds exactly the findings planted there.
"""

import argparse
import os
import re
import sys

import planted_trees

SOURCE_SUFFIXES = (".h", ".cpp")
SKIPPED_FOLDERS = {".git"}
# Sources are small; a file larger than this is read only up to here.
MAX_SOURCE_BYTES = 1 << 20

# Literals and comments, blanked out before the rules read a line.
LITERAL_OR_COMMENT = re.compile(
    r'R"(?P<delimiter>[^(\s]{0,16})\(.*?\)(?P=delimiter)"'
    r'|"(?:\\.|[^"\\\n])*"'
    r"|'(?:\\.|[^'\\\n])*'"
    r"|/\*.*?\*/"
    r"|//[^\n]*",
    re.DOTALL,
)
HINT = r"(?:str|psz|sz|lp|btn|dw|n|b|p|w|i)"
PREFIXED_TYPE = re.compile(r"\b(?:class|struct|enum(?:\s+class)?|using|typedef\s+[^;]*?)\s+(C[A-Z][a-z]\w*)\b")
HINTED_MEMBER = re.compile(rf"\b([msg]_{HINT}[A-Z]\w*)")
# A declaration: a type, then the name, then an initialiser or the end.
HINTED_FIELD = re.compile(rf"^\s*(?:[\w:]+(?:<[^;]*>)?[\s*&]+)+({HINT}[A-Z][a-z0-9]\w*)\s*(?:=[^=][^;]*|\{{[^;]*\}})?;")

RULES = (
    ("prefixed type", PREFIXED_TYPE),
    ("type-hinted member", HINTED_MEMBER),
    ("type-hinted field", HINTED_FIELD),
)


def blank(match):
    return re.sub(r"[^\n]", " ", match.group(0))


def findings_in(path, relative):
    with open(path, encoding="utf-8", errors="replace") as source:
        code = LITERAL_OR_COMMENT.sub(blank, source.read(MAX_SOURCE_BYTES))
    found = []
    for number, line in enumerate(code.splitlines(), start=1):
        for rule, pattern in RULES:
            for match in pattern.finditer(line):
                found.append(f"{relative}:{number}: {rule}: {match.group(1)}")
    return sorted(set(found), key=found.index)


def findings(root):
    found = []
    for directory, subdirectories, files in os.walk(root):
        subdirectories[:] = sorted(d for d in subdirectories
                                   if d not in SKIPPED_FOLDERS and not d.startswith("build"))
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                path = os.path.join(directory, name)
                found.extend(findings_in(path, os.path.relpath(path, root)))
    return found


# Planted trees: files to write, and the findings the check must report.
SELF_TEST_CASES = [
    ("clean tree",
     {"run/Run.h": "class RunController {\n    int m_timeoutSeconds = 0;\n    bool m_busy;\n"
                   "    QString m_host; // was m_strHost\n};\nstruct Inputs { int pings = 0; bool byName; };\n",
      "run/Run.cpp": 'const char* text = "CMainDialog m_strHost nPings";\nint Count(int count) { return count; }\n'},
     []),
    ("prefixed class and struct",
     {"run/Run.h": "class CRunController : public QObject {\n};\nstruct CInputs;\nusing CList = int;\n"},
     ["run/Run.h:1: prefixed type: CRunController", "run/Run.h:3: prefixed type: CInputs",
      "run/Run.h:4: prefixed type: CList"]),
    ("type-hinted members",
     {"pages/Page.h": "class Page {\n    QString m_strHost;\n    QPushButton* m_btnGo = nullptr;\n};\n",
      "pages/Page.cpp": "void Page::Go() { m_nTimeout = s_nLast; }\n"},
     ["pages/Page.cpp:1: type-hinted member: m_nTimeout", "pages/Page.cpp:1: type-hinted member: s_nLast", "pages/Page.h:2: type-hinted member: m_strHost",
      "pages/Page.h:3: type-hinted member: m_btnGo"]),
    ("type-hinted fields",
     {"run/Inputs.h": "struct Inputs {\n    unsigned nPings = 0;\n    QString lpVendorInfo;\n"
                      "    std::optional<QString> strServer;\n    const char* szCommandLine{};\n};\n"},
     ["run/Inputs.h:2: type-hinted field: nPings", "run/Inputs.h:3: type-hinted field: lpVendorInfo",
      "run/Inputs.h:4: type-hinted field: strServer", "run/Inputs.h:5: type-hinted field: szCommandLine"]),
]


def self_test():
    return planted_trees.self_test(SELF_TEST_CASES, findings)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--root", default=planted_trees.DEFAULT_ROOT, help="the source tree (default: this script's tree)")
    parser.add_argument("--self-test", action="store_true", help="check planted trees instead of ROOT")
    arguments = parser.parse_args()
    if arguments.self_test:
        return self_test()
    found = findings(arguments.root)
    for line in found:
        print(line)
    print(f"{len(found)} naming finding(s)" if found else "naming clean")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
