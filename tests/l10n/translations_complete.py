#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Every text the program shows has a finished entry in every translation.

Runs lupdate over the program's sources into a copy of each
translations/quenmoor_LANG.ts, so a text added to the sources, changed, or
taken out of them shows up as lupdate marks it (unfinished, vanished); then
checks every entry of the copy is translated, finished and keeps the
placeholders (%1, %2, ...) of its source text.  The desktop entry and the
AppStream metadata need the same languages for their texts.

  translations_complete.py LUPDATE SOURCES_LST DESKTOP METAINFO TS...
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

XML_LANG = "{http://www.w3.org/XML/1998/namespace}lang"
REGENERATE = (
    "Bring the translations up to date with\n"
    "  cmake --build build --target update_translations\n"
    "then translate the entries marked unfinished and mark them finished, in Qt\n"
    "Linguist (/usr/lib/qt6/bin/linguist translations/quenmoor_LANG.ts) or by\n"
    "editing the file: <translation type=\"unfinished\"> becomes <translation>.")


def placeholders(text):
    return sorted(set(re.findall(r"%(\d)", text or "")))


def check_ts(lupdate, sources, ts, workdir):
    copy = os.path.join(workdir, os.path.basename(ts))
    shutil.copyfile(ts, copy)
    # Without -no-obsolete, a text gone from the sources stays as "vanished".
    run = subprocess.run([lupdate, "-silent", "-locations", "none", "-source-language", "en",
                          "@" + sources, "-ts", copy], capture_output=True, text=True)
    if run.returncode != 0:
        return ["lupdate failed: " + run.stdout + run.stderr]
    problems = []
    for context in ET.parse(copy).getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            source = message.findtext("source")
            translation = message.find("translation")
            kind = translation.get("type", "") if translation is not None else "missing"
            text = "".join(translation.itertext()) if translation is not None else ""
            where = "%s: %r" % (name, source)
            if kind in ("vanished", "obsolete"):
                problems.append("no longer in the sources: " + where)
            elif kind == "unfinished" or not text.strip():
                problems.append("not translated: " + where)
            elif placeholders(text) != placeholders(source):
                problems.append("placeholders differ from the source's: %s -> %r" % (where, text))
    if not problems and not filecmp_same(ts, copy):
        problems.append("lupdate would rewrite it (run the command below and commit the result)")
    return problems


def filecmp_same(a, b):
    with open(a, "rb") as fa, open(b, "rb") as fb:
        return fa.read() == fb.read()


def check_desktop(path, languages):
    problems = []
    keys = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            m = re.match(r"([A-Za-z]+)(\[([^\]]+)\])?=", line)
            if m:
                keys.setdefault(m.group(1), set()).add(m.group(3))
    for key in ("Name", "GenericName", "Comment", "Keywords"):
        if key not in keys:
            continue
        for lang in languages:
            if lang not in keys[key]:
                problems.append("%s has no %s[%s]" % (os.path.basename(path), key, lang))
    return problems


def check_metainfo(path, languages):
    problems = []
    root = ET.parse(path).getroot()

    def check_siblings(parent, tag, what):
        plain = [e for e in parent.findall(tag) if e.get(XML_LANG) is None]
        for lang in languages:
            have = [e for e in parent.findall(tag) if e.get(XML_LANG) == lang]
            if len(have) != len(plain):
                problems.append("%s: %d %s, %d of them in %s" %
                                (os.path.basename(path), len(plain), what, len(have), lang))

    check_siblings(root, "summary", "summary")
    for description in root.iter("description"):
        check_siblings(description, "p", "description paragraphs")
    for screenshot in root.iter("screenshot"):
        check_siblings(screenshot, "caption", "screenshot captions")
    for keywords in root.iter("keywords"):
        check_siblings(keywords, "keyword", "keywords")
    return problems


def main():
    if len(sys.argv) < 6:
        print(__doc__, file=sys.stderr)
        return 2
    lupdate, sources, desktop, metainfo = sys.argv[1:5]
    ts_files = sys.argv[5:]
    problems = []
    languages = []
    with tempfile.TemporaryDirectory() as workdir:
        for ts in ts_files:
            languages.append(ET.parse(ts).getroot().get("language"))
            problems += ["%s: %s" % (os.path.basename(ts), p)
                         for p in check_ts(lupdate, sources, ts, workdir)]
    problems += check_desktop(desktop, languages)
    problems += check_metainfo(metainfo, languages)
    if problems:
        print("translations_complete: FAILED")
        for p in problems:
            print("  " + p)
        print(REGENERATE)
        return 1
    print("translations_complete: passed (%s)" % ", ".join(languages))
    return 0


if __name__ == "__main__":
    sys.exit(main())
