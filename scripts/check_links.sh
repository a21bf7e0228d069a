#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a relative link in one of the project's Markdown files names a
# file or folder that is not there, or an anchor (#heading) that no heading
# of the file it points to makes.  Links with a scheme (https:, mailto:)
# are not followed.  Run by ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
python3 - "$@" <<'PY'
import os, re, subprocess, sys
files = subprocess.run(["git", "ls-files", "*.md"], capture_output=True, text=True).stdout.split()
if not files:
    files = [os.path.join(d, f) for d, _, fs in os.walk(".") for f in fs
             if f.endswith(".md") and "/build" not in d and "/.git" not in d]
def anchors(path):
    out = set()
    for line in open(path, encoding="utf-8"):
        m = re.match(r"#+\s+(.*)", line)
        if m:
            slug = re.sub(r"[^\w\- ]", "", m.group(1).strip().lower()).replace(" ", "-")
            out.add(slug)
    return out
bad = 0
checked = 0
for md in files:
    text = open(md, encoding="utf-8").read()
    text = re.sub(r"```.*?```", "", text, flags=re.S)  # no links in code blocks
    for target in re.findall(r"\]\(([^)\s]+)\)", text):
        if re.match(r"[a-z][a-z0-9+.-]*:", target):
            continue
        checked += 1
        path, _, anchor = target.partition("#")
        dest = os.path.normpath(os.path.join(os.path.dirname(md), path)) if path else md
        if not os.path.exists(dest):
            print(f"{md}: link to {target}: {dest} is not there", file=sys.stderr)
            bad += 1
        elif anchor and dest.endswith(".md") and anchor not in anchors(dest):
            print(f"{md}: link to {target}: no heading makes #{anchor}", file=sys.stderr)
            bad += 1
if bad:
    sys.exit(1)
print(f"links: {checked} relative links in {len(files)} files, all there")
PY
