#!/usr/bin/env python3
"""Every section reference and file path in the documents resolves.

A section reference ("section 6", "see Layout", "README's Performance section") must name a
heading of the document it points into, and a numbered one must share a word with the
sentence that points to it, so that a renumbering that leaves the number naming another
section is caught. A file path in backquotes (`graphics/saving.cpp`, `docs/cheatsheet.md`)
must name a file or folder of the sources: from the top, from the document's folder, or as
the end of one (the archives and installs lay the same files out under other folders).
Paths of what builds and runs make (build folders, programs, logs, saved pictures) and
placeholders are not files of the sources and are passed over.
    tests/release/references_test.py [ROOT]
"""
import os
import re
import subprocess
import sys

root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                       os.path.join(os.path.dirname(__file__), "..", ".."))
files = subprocess.run(["git", "-C", root, "ls-files"], capture_output=True, text=True,
                       check=True).stdout.split()
folders = {os.path.dirname(f) for f in files}
for f in list(folders):
    while f:
        f = os.path.dirname(f)
        folders.add(f)
known = set(files) | folders

docs = [f for f in files if f == "README.md" or re.fullmatch(r"docs/[^/]+\.md", f)
        or re.fullmatch(r"packaging/[^/]+/README[^/]*", f)]

# What a build, an install (lib/...), a run or a user makes: not files of the sources.
MADE = re.compile(r"(^|/)(build[^/]*|slate-build|hello)(/|$)|^lib/|\.(exe|zip|log|pfx)$"
                  r"|^(picture\.bmp|painting\.png|test-sheet\.bmp)$")
PATH = re.compile(r"`([A-Za-z0-9_.-]+(?:/[A-Za-z0-9_.-]+)*/?)`")
EXTENSIONS = (".md", ".cpp", ".h", ".sh", ".cmake", ".txt", ".rc", ".py", ".png", ".in",
              ".bmp", ".json", ".ini")
# Words too common to tie a sentence to a heading.
COMMON = {"this", "that", "with", "from", "your", "their", "there", "which", "what", "where",
          "section", "sections", "into", "them", "they", "have", "when", "each", "also"}


def words(text):
    return {w[:5] for w in re.findall(r"[a-z][a-z0-9-]{3,}", text.lower()) if w not in COMMON}


def headings(doc):
    found = []
    in_code = False
    for line in open(os.path.join(root, doc), encoding="utf-8"):
        if line.startswith("```"):
            in_code = not in_code
        elif not in_code and re.match(r"#{1,6} ", line):
            found.append(line.lstrip("#").strip())
    return found


def numbered(doc, number):
    for heading in headings(doc):
        match = re.match(r"(\d+)\.\s+(.*)", heading)
        if match and match.group(1) == number:
            return match.group(2)
    return None


def named(doc, name):
    return any(h == name or h.lower().startswith(name.lower()) for h in headings(doc))


failures = []
checked = 0
for doc in docs:
    text = open(os.path.join(root, doc), encoding="utf-8").read()
    # Code blocks hold commands and programs, not references.
    prose = re.sub(r"```.*?```", lambda m: "\n" * m.group(0).count("\n"), text, flags=re.S)
    line_of = lambda at: prose.count("\n", 0, at) + 1

    # A reference in quotation marks is an example of one, not a reference.
    quoted = lambda m: prose[m.start() - 1:m.start()] == '"'
    for m in re.finditer(r"\b[Ss]ections? (\d+)((?:,? (?:and |or )?\d+)*)", prose):
        if quoted(m):
            continue
        start = max(prose.rfind(". ", 0, m.start()), prose.rfind("\n\n", 0, m.start()))
        ends = [e for e in (prose.find(". ", m.end()), prose.find("\n\n", m.end())) if e >= 0]
        sentence = prose[start + 1:min(ends) if ends else len(prose)]
        for number in [m.group(1)] + re.findall(r"\d+", m.group(2)):
            checked += 1
            title = numbered(doc, number)
            if title is None:
                failures.append((doc, line_of(m.start()), f"section {number}", "no such section"))
            elif not words(title) & words(sentence.replace(m.group(0), "")):
                failures.append((doc, line_of(m.start()), f"section {number}",
                                 f"its heading \"{title}\" shares no word with the sentence"))

    for m in re.finditer(r"\b(?:(README)'s ([A-Z][A-Za-z-]+) section|[Ss]ee ([A-Z][a-z]+)\b"
                         r"|the ([A-Z][a-z]+) section)", prose):
        if quoted(m):
            continue
        target = "README.md" if m.group(1) else doc
        name = m.group(2) or m.group(3) or m.group(4)
        checked += 1
        if not (named(target, name) or named("README.md", name)):
            failures.append((doc, line_of(m.start()), m.group(0), f"{target} has no such heading"))

    for m in PATH.finditer(prose):
        path = m.group(1)
        bare = path.rstrip("/")
        if "/" not in bare and not bare.endswith(EXTENSIONS):
            continue
        if MADE.search(bare) or bare.startswith(("-", ".")):
            continue
        checked += 1
        here = os.path.normpath(os.path.join(os.path.dirname(doc), bare))
        if bare in known or here in known or any(k.endswith("/" + bare) for k in known):
            continue
        failures.append((doc, line_of(m.start()), path, "no such file or folder"))

if failures:
    print("| Document | Line | Reference | Problem |\n| --- | ---: | --- | --- |")
    for doc, line, what, why in failures:
        print(f"| {doc} | {line} | `{what}` | {why} |")
    print(f"references: {len(failures)} of {checked} do not resolve")
    sys.exit(1)
print(f"references: {checked} section references and file paths resolve in {len(docs)} documents")
