#!/usr/bin/env python3
"""Refresh the translation catalogues from the code and from english.tsv.

  tools/update_translations.py [--strict] [--lupdate PATH]

1. lupdate collects the tr() texts of app/, pages/, dialogs/, widgets/ and params/ (code
   and .ui forms) into resources/translations/TAVRO_en_US.ts and TAVRO_zh_CN.ts;
   texts no longer in the code are dropped.
2. TAVRO_en_US.ts: every text with a row in english.tsv gets that English text,
   in whatever context it appears; rows marked @keep get no translation (the
   text shows as written); texts without a row are left unfinished and listed.
3. TAVRO_zh_CN.ts: every text translates to itself. The interface is written in
   Chinese already; the catalogue only has to be non-empty so that it installs.
4. Both files are written sorted (contexts by name, messages by text), so runs
   are repeatable and diffs stay small.

Reports texts found in the code without an English row, and rows of
english.tsv that no code uses. With --strict, missing rows make the exit code 1.
"""

import argparse
import os
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ET

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TRANSLATIONS = os.path.join(ROOT, "resources", "translations")
TSV = os.path.join(TRANSLATIONS, "english.tsv")
SOURCE_DIRS = ["app", "pages", "dialogs", "widgets", "params"]
SOURCE_LANGUAGE = "zh_CN"
CATALOGUES = {"en_US": "TAVRO_en_US.ts", "zh_CN": "TAVRO_zh_CN.ts"}
KEEP = "@keep"


def unescape(field, where):
    out = []
    i = 0
    while i < len(field):
        ch = field[i]
        if ch == "\\":
            if i + 1 >= len(field):
                raise ValueError(f"{where}: lone backslash at the end of a field")
            nxt = field[i + 1]
            if nxt == "n":
                out.append("\n")
            elif nxt == "t":
                out.append("\t")
            elif nxt == "\\":
                out.append("\\")
            else:
                raise ValueError(f"{where}: unknown escape \\{nxt}")
            i += 2
            continue
        out.append(ch)
        i += 1
    return "".join(out)


def read_rows(path):
    """Returns an ordered dict source -> English text (None for @keep rows)."""
    rows = {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\r\n")
            if not line or line.startswith("#"):
                continue
            where = f"{os.path.relpath(path, ROOT)}:{number}"
            fields = line.split("\t")
            if len(fields) != 2:
                raise ValueError(f"{where}: expected 'source<TAB>English', found {len(fields)} field(s)")
            source = unescape(fields[0], where)
            english = None if fields[1] == KEEP else unescape(fields[1], where)
            if not source:
                raise ValueError(f"{where}: empty source text")
            if english == "":
                raise ValueError(f"{where}: empty English text (write {KEEP} to keep the text as written)")
            if source in rows and rows[source] != english:
                raise ValueError(f"{where}: {source!r} already has a different English text")
            rows[source] = english
    return rows


def find_lupdate(explicit):
    candidates = [explicit] if explicit else []
    candidates += [os.environ.get("LUPDATE"), "/usr/lib/qt6/bin/lupdate", shutil.which("lupdate6"),
                   shutil.which("lupdate")]
    for c in candidates:
        if c and os.access(c, os.X_OK):
            return c
    sys.exit("update_translations: lupdate (Qt 6) not found; pass --lupdate PATH")


def run_lupdate(lupdate, language, ts_path):
    dirs = [d for d in SOURCE_DIRS if os.path.isdir(os.path.join(ROOT, d))]
    cmd = [lupdate, "-silent", "-locations", "none", "-no-obsolete", "-I", ROOT,
           "-source-language", SOURCE_LANGUAGE, "-target-language", language]
    cmd += dirs + ["-ts", ts_path]
    subprocess.run(cmd, cwd=ROOT, check=True)


def read_ts(path):
    """Returns {(context, source, comment): message element attributes/children}."""
    tree = ET.parse(path)
    messages = {}
    for ctx in tree.getroot().iter("context"):
        name = ctx.findtext("name") or ""
        for msg in ctx.iter("message"):
            source = msg.findtext("source") or ""
            comment = msg.findtext("comment")
            messages[(name, source, comment)] = {
                "numerus": msg.get("numerus") == "yes",
                "extracomment": msg.findtext("extracomment"),
            }
    return messages


def xml_text(s):
    out = []
    for ch in s:
        if ch == "&":
            out.append("&amp;")
        elif ch == "<":
            out.append("&lt;")
        elif ch == ">":
            out.append("&gt;")
        elif ch == '"':
            out.append("&quot;")
        elif ch == "'":
            out.append("&apos;")
        elif ord(ch) < 0x20 and ch not in "\n\t":
            out.append(f'<byte value="x{ord(ch):x}"/>')
        else:
            out.append(ch)
    return "".join(out)


def write_ts(path, language, entries):
    """entries: {(context, source, comment): (info, translation or None, note)}; None = unfinished."""
    lines = ['<?xml version="1.0" encoding="utf-8"?>', "<!DOCTYPE TS>",
             f'<TS version="2.1" language="{language}" sourcelanguage="{SOURCE_LANGUAGE}">']
    contexts = sorted({k[0] for k in entries})
    for context in contexts:
        lines.append("<context>")
        lines.append(f"    <name>{xml_text(context)}</name>")
        keys = sorted((k for k in entries if k[0] == context), key=lambda k: (k[1], k[2] or ""))
        for key in keys:
            info, translation, note = entries[key]
            lines.append('    <message numerus="yes">' if info["numerus"] else "    <message>")
            lines.append(f"        <source>{xml_text(key[1])}</source>")
            if key[2] is not None:
                lines.append(f"        <comment>{xml_text(key[2])}</comment>")
            if info["extracomment"] is not None:
                lines.append(f"        <extracomment>{xml_text(info['extracomment'])}</extracomment>")
            if note:
                lines.append(f"        <translatorcomment>{xml_text(note)}</translatorcomment>")
            attr = ' type="unfinished"' if translation is None else ""
            text = translation or ""
            if info["numerus"]:
                lines.append(f"        <translation{attr}>")
                for _ in range(2 if language == "en_US" else 1):
                    lines.append(f"            <numerusform>{xml_text(text)}</numerusform>")
                lines.append("        </translation>")
            else:
                lines.append(f"        <translation{attr}>{xml_text(text)}</translation>")
            lines.append("    </message>")
        lines.append("</context>")
    lines.append("</TS>")
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


KEEP_NOTE = "kept untranslated: shown as written in English too"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--strict", action="store_true", help="exit 1 when texts of the code have no English row")
    parser.add_argument("--lupdate", help="path of Qt 6 lupdate")
    args = parser.parse_args()

    try:
        rows = read_rows(TSV)
    except ValueError as e:
        sys.exit(f"update_translations: {e}")
    lupdate = find_lupdate(args.lupdate)

    used = set()
    missing = []
    for language, filename in sorted(CATALOGUES.items()):
        path = os.path.join(TRANSLATIONS, filename)
        run_lupdate(lupdate, language, path)
        messages = read_ts(path)
        entries = {}
        for key, info in messages.items():
            source = key[1]
            if language == "en_US":
                if source in rows:
                    used.add(source)
                    english = rows[source]
                    if english is None:
                        # finished but empty: lrelease leaves it out, tr() returns the source
                        entries[key] = (info, "", KEEP_NOTE)
                    else:
                        entries[key] = (info, english, None)
                else:
                    missing.append(key)
                    entries[key] = (info, None, None)
            else:
                entries[key] = (info, source, None)
        if not entries:
            print(f"warning: {filename} has no texts; an empty catalogue cannot be installed", file=sys.stderr)
        write_ts(path, language, entries)
        print(f"{os.path.relpath(path, ROOT)}: {len(entries)} texts")

    for context, source, _ in sorted(missing, key=lambda k: (k[1], k[0])):
        print(f"no English row: [{context}] {source!r}")
    for source in sorted(s for s in rows if s not in used):
        print(f"row not used by the code: {source!r}")
    print(f"{len(missing)} text(s) without an English row, {len(rows) - len(used)} unused row(s)")
    return 1 if (args.strict and missing) else 0


if __name__ == "__main__":
    sys.exit(main())
