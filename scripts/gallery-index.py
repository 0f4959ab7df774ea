#!/usr/bin/env python3
"""Writes index.html into the gallery folder: every screenshot the test run saved there, one row
per dialog and one column per language (pictures are named <dialog>-<file code>.png).

    gallery-index.py GALLERY_DIR
"""
import html
import os
import sys

# The gallery's languages first, in the order of their scripts; any other file code after them.
ORDER = ["enus", "fr", "de", "ar", "ru", "el", "zhcn", "ja", "ko", "th", "he"]


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    shots = {}
    for name in sorted(os.listdir(folder)):
        if name.endswith(".png") and "-" in name:
            dialog, code = name[:-4].rsplit("-", 1)
            shots.setdefault(dialog, {})[code] = name
    codes = sorted({c for row in shots.values() for c in row}, key=lambda c: (ORDER.index(c) if c in ORDER else 99, c))
    out = ["<!DOCTYPE html><html><head><meta charset='utf-8'><title>Dialog gallery</title>",
           "<style>body{font-family:sans-serif}td{vertical-align:top;padding:4px}img{max-width:420px}"
           "th{position:sticky;top:0;background:#eee}</style></head><body>",
           f"<h1>Dialog gallery</h1><p>{sum(len(r) for r in shots.values())} screenshots of {len(shots)} dialogs "
           f"in {len(codes)} languages.</p>"]
    if shots:
        out.append("<table><tr><th>dialog</th>" + "".join(f"<th>{html.escape(c)}</th>" for c in codes) + "</tr>")
        for dialog in sorted(shots):
            cells = "".join(f"<td><a href='{html.escape(shots[dialog][c])}'><img src='{html.escape(shots[dialog][c])}'"
                            f" alt='{html.escape(dialog)} {c}'></a></td>" if c in shots[dialog] else "<td></td>"
                            for c in codes)
            out.append(f"<tr><th>{html.escape(dialog)}</th>{cells}</tr>")
        out.append("</table>")
    out.append("</body></html>")
    with open(os.path.join(folder, "index.html"), "w", encoding="utf-8") as f:
        f.write("\n".join(out))
    print(f"gallery: {os.path.join(folder, 'index.html')} ({len(shots)} dialogs, {len(codes)} languages)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
