#!/usr/bin/env python3
"""Prepares one language library for the resource compiler, and checks its string table.

    langres.py build --source LANGRES_DIR --code CODE --out DIR

1. Reads <code>/strings.rc and enus/strings.rc and compares them: every English id must be in
   the table and the table must hold no id that English lacks; the same id twice, a line that is
   no entry, and printf fields (%d, %s, %.2f ...) that differ from English's are errors too.
   Everything wrong is listed with the file, the line and the id, and the build stops.
2. Writes the dialog templates (dialogs/*.rc) into DIR with every text that is exactly an English
   string replaced by that string in the language: captions, labels and buttons of the one
   template source then speak every language, also where no code sets them at run time. When
   <code>/language.h defines MVL_DLG_FONT, that face replaces "MS Shell Dlg" in the templates.
   A template text with letters that is no English string is reported as a note: it stays
   English in every library unless the dialog sets it.
"""
import argparse
import glob
import os
import re
import sys

ENTRY = re.compile(r'^\s*(\d+)\s+"((?:[^"]|"")*)"\s*$')
LITERAL = re.compile(r'"((?:[^"]|"")*)"')
PRINTF = re.compile(r'%[-+ #0]*(?:\d+|\*)?(?:\.\d+)?[hlLqjzt]*[diouxXeEfgGcsSpn%]')
# Lines whose literals are names, not texts, and literals that name a window class.
NOT_TEXT = re.compile(r'^\s*(#|CLASS\b|FONT\b)')
CLASS_NAME = re.compile(r'^(Static|Button|Edit|ComboBox|ListBox|ScrollBar|msctls_\w+|Sys\w+|RichEdit\w*|TWAIN)$')


def read_table(path):
    """{id: (raw rc literal body, line number)} and the list of problems found."""
    entries, problems = {}, []
    in_table = False
    with open(path, encoding="utf-8") as f:
        for n, line in enumerate(f, 1):
            s = line.strip()
            if s in ("BEGIN", "{"):
                in_table = True
                continue
            if s in ("END", "}"):
                in_table = False
                continue
            if not in_table or not s or s.startswith("//"):
                continue
            m = ENTRY.match(line)
            if not m:
                problems.append(f"{path}:{n}: not an entry of the form: ID \"text\"")
                continue
            sid = int(m.group(1))
            if sid in entries:
                problems.append(f"{path}:{n}: string {sid} appears twice (first on line {entries[sid][1]})")
            entries[sid] = (m.group(2), n)
    return entries, problems


def check(english, table, path):
    problems = []
    for sid in sorted(set(english) - set(table)):
        problems.append(f"{path}: string {sid} is missing (English: \"{english[sid][0]}\")")
    for sid in sorted(set(table) - set(english)):
        problems.append(f"{path}:{table[sid][1]}: string {sid} is not an English string (remove it, or add it to enus first)")
    for sid in sorted(set(table) & set(english)):
        want, got = sorted(PRINTF.findall(english[sid][0])), sorted(PRINTF.findall(table[sid][0]))
        if want != got:
            problems.append(f"{path}:{table[sid][1]}: string {sid} has the fields {got or 'none'}, English {want or 'none'}")
    return problems


def dialog_font(source, code):
    """The face the language's dialogs use instead of "MS Shell Dlg", when its language.h names one."""
    with open(os.path.join(source, code, "language.h"), encoding="utf-8") as f:
        m = re.search(r'^#define MVL_DLG_FONT\s+"([^"]+)"', f.read(), re.M)
    return m.group(1) if m else None


def translate_templates(source, english, table, out, font=None):
    """Copies dialogs/*.rc to out with English texts (and the dialog font, when given) replaced;
    returns notes on texts left as they are."""
    by_text = {}
    for sid in sorted(english):
        by_text.setdefault(english[sid][0], sid)
    notes = []
    os.makedirs(out, exist_ok=True)
    for src in sorted(glob.glob(os.path.join(source, "dialogs", "*.rc"))):
        lines = []
        with open(src, encoding="utf-8") as f:
            for n, line in enumerate(f, 1):
                if font and re.match(r"\s*FONT\b", line):
                    line = line.replace('"MS Shell Dlg"', '"' + font + '"')
                if not NOT_TEXT.match(line):
                    def swap(m):
                        sid = by_text.get(m.group(1))
                        if sid is None:
                            if re.search(r"[A-Za-z]{2}", m.group(1)) and not CLASS_NAME.match(m.group(1)):
                                notes.append(f"{os.path.basename(src)}:{n}: \"{m.group(1)}\"")
                            return m.group(0)
                        return '"' + table[sid][0] + '"'
                    line = LITERAL.sub(swap, line)
                lines.append(line)
        dest = os.path.join(out, os.path.basename(src))
        text = "".join(lines)
        # Unchanged files keep their time, so nothing recompiles for nothing.
        if not os.path.exists(dest) or open(dest, encoding="utf-8").read() != text:
            with open(dest, "w", encoding="utf-8") as f:
                f.write(text)
    return notes


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("command", choices=["build", "check"])
    ap.add_argument("--source", required=True, help="the langres folder")
    ap.add_argument("--code", help="file code of the language (build)")
    ap.add_argument("--out", help="folder for the prepared templates (build)")
    args = ap.parse_args()

    english, problems = read_table(os.path.join(args.source, "enus", "strings.rc"))
    codes = [args.code] if args.command == "build" else sorted(
        os.path.basename(os.path.dirname(p)) for p in glob.glob(os.path.join(args.source, "*", "strings.rc")))
    tables = {}
    for code in codes:
        path = os.path.join(args.source, code, "strings.rc")
        if not os.path.exists(path):
            problems.append(f"{path}: no string table for language {code}")
            continue
        table, p = read_table(path)
        tables[code] = table
        problems += p if code != "enus" else []
        problems += check(english, table, path)
    if problems:
        print("\n".join(problems), file=sys.stderr)
        print(f"langres: {len(problems)} problem(s) in the string tables; every English string needs its "
              "entry in every language (see langres/README.md)", file=sys.stderr)
        return 1
    if args.command == "build":
        notes = translate_templates(args.source, english, tables[args.code], args.out, dialog_font(args.source, args.code))
        if notes and args.code == "enus":
            print("langres: template texts without an English string (English in every language unless "
                  "the dialog sets them):\n  " + "\n  ".join(notes))
    return 0


if __name__ == "__main__":
    sys.exit(main())
