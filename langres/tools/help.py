#!/usr/bin/env python3
"""Builds the two help files of one language with chmcmd:

    help.py --source LANGRES_DIR --code CODE --prefix mvl --work DIR --out BINDIR

<prefix>tw<code>.chm is the help of the scanning dialog, <prefix>App<code>.chm the help in
file-output mode (with the page on saving to files and e-mail). Both are the pages of
help/page.html filled from help/<code>.txt, which holds only text (its format is described at the
top of help/enus.txt): every language has the same pages, and {id} in the text is the string of
that id from the language's strings.rc, so the help names the controls exactly as the window does.
The troubleshooting page lists the product's own messages from the same table.
"""
import argparse
import html
import os
import re
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import langres  # noqa: E402

# File code: (LCID of the help file, its ANSI code page, the HTML language tag).
LANGUAGES = {
    "zhcn": (0x0804, "cp936", "zh-CN"), "enus": (0x0409, "cp1252", "en-US"), "ja": (0x0411, "cp932", "ja"),
    "ru": (0x0419, "cp1251", "ru"), "pt": (0x0416, "cp1252", "pt-BR"), "esmx": (0x080A, "cp1252", "es-MX"),
    "fr": (0x040C, "cp1252", "fr"), "pl": (0x0415, "cp1250", "pl"), "de": (0x0407, "cp1252", "de"),
    "it": (0x0410, "cp1252", "it"), "ar": (0x0401, "cp1256", "ar"), "tr": (0x041F, "cp1254", "tr"),
    "cs": (0x0405, "cp1250", "cs"), "no": (0x0414, "cp1252", "nb"), "sv": (0x041D, "cp1252", "sv"),
    "hu": (0x040E, "cp1250", "hu"), "zhtw": (0x0404, "cp950", "zh-TW"), "he": (0x040D, "cp1255", "he"),
    "ko": (0x0412, "cp949", "ko"), "ro": (0x0418, "cp1250", "ro"), "bu": (0x0402, "cp1251", "bg"),
    "th": (0x041E, "cp874", "th"), "el": (0x0408, "cp1253", "el"),
}
BOOKS = {
    "tw": ["index", "preview", "settings", "adjust", "named", "feeder", "port", "trouble"],
    "App": ["index", "preview", "settings", "adjust", "named", "feeder", "files", "port", "trouble"],
}
MESSAGES = {
    "tw": [1101, 1154, 1141, 1185, 1186, 1153, 1104, 1151, 1140, 1149, 1139, 1143, 1155, 1152, 1162, 1160, 1103, 1105],
    "App": [1101, 1154, 1141, 1185, 1186, 1153, 1104, 1151, 1140, 1149, 1139, 1143, 1155, 1152, 1162, 1160, 1103, 1105,
            1126, 1125, 1124, 1127, 1128, 1129, 1130, 1132, 1184],
}
PLACEHOLDER = re.compile(r"\{(\d+)\}")
CHMCMD = "chmcmd"


def read_text(path):
    """(book title, {page key: (title, [blocks of lines])}, [page keys in order])."""
    title, pages, order, key = None, {}, [], None
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if line.startswith("#"):
                continue
            if line.startswith("@title "):
                title = line[7:].strip()
            elif line.startswith("== "):
                key, _, page_title = line[3:].partition(":")
                key = key.strip()
                pages[key] = (page_title.strip(), [[]])
                order.append(key)
            elif key:
                blocks = pages[key][1]
                if line.strip():
                    blocks[-1].append(line.strip())
                elif blocks[-1]:
                    blocks.append([])
    return title, pages, order


def label(table, sid):
    text = table[sid][0].replace('""', '"').replace("\\\\", "\\")
    # A button's "..." and a label's colon belong to the window, not to the sentence naming them.
    return text.rstrip().removesuffix("...").removesuffix("…").rstrip(":：").rstrip()


def inline(text, table):
    return PLACEHOLDER.sub(lambda m: "<b>" + html.escape(label(table, int(m.group(1)))) + "</b>", html.escape(text))


def render(blocks, table, book):
    out = []
    for block in blocks:
        if not block:
            continue
        if block == ["@messages"]:
            out.append("<dl>" + "".join(f"<dt>{html.escape(label(table, sid))}</dt>" for sid in MESSAGES[book]) + "</dl>")
        elif all(l.startswith("- ") for l in block):
            out.append("<ul>" + "".join(f"<li>{inline(l[2:], table)}</li>" for l in block) + "</ul>")
        elif all(re.match(r"\d+\. ", l) for l in block):
            out.append("<ol>" + "".join(f"<li>{inline(l.split(' ', 1)[1], table)}</li>" for l in block) + "</ol>")
        else:
            out.append(f"<p>{inline(' '.join(block), table)}</p>")
    return "\n".join(out)


def check(code, text, english, table):
    title, pages, order = text
    _, en_pages, en_order = english
    problems = [] if title else [f"{code}: no @title line"]
    if order != en_order:
        problems.append(f"{code}: pages {order}, English has {en_order}")
    for key, (_, blocks) in pages.items():
        for block in blocks:
            for sid in PLACEHOLDER.findall(" ".join(block)):
                if int(sid) not in table:
                    problems.append(f"{code}: page {key} names string {sid}, which the table lacks")
    return problems




def build_book(book, code, prefix, text, table, template, css, work):
    lcid, codepage, tag = LANGUAGES[code]
    title, pages, _ = text
    folder = os.path.join(work, book)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    keys = BOOKS[book]
    nav = " ".join(f"<a href='{k}.html'>{html.escape(pages[k][0])}</a>" for k in keys)
    for k in keys:
        page = template
        for name, value in (("lang", tag), ("dir", "rtl" if code in ("ar", "he") else "ltr"), ("book", html.escape(title)),
                            ("title", html.escape(pages[k][0])), ("body", render(pages[k][1], table, book)), ("nav", nav)):
            page = page.replace("{" + name + "}", value)
        with open(os.path.join(folder, k + ".html"), "w", encoding="utf-8") as f:
            f.write(page)
    shutil.copy(css, folder)
    toc = "".join(f'<LI><OBJECT type="text/sitemap"><param name="Name" value="{html.escape(pages[k][0], quote=False)}">'
                  f'<param name="Local" value="{k}.html"></OBJECT>\n' for k in keys)
    # The viewer reads the contents in the ANSI code page of the help file's language.
    with open(os.path.join(folder, "toc.hhc"), "w", encoding=codepage, errors="xmlcharrefreplace") as f:
        f.write('<!DOCTYPE HTML PUBLIC "-//IETF//DTD HTML//EN">\n<HTML><HEAD></HEAD><BODY>\n'
                '<OBJECT type="text/site properties"><param name="Window Styles" value="0x800025"></OBJECT>\n'
                f"<UL>\n{toc}</UL>\n</BODY></HTML>\n")
    chm = f"{prefix}{book}{code}.chm"
    project = ["[OPTIONS]", "Compatibility=1.1 or later", f"Compiled file={chm}", "Contents file=toc.hhc",
               "Default topic=index.html", "Display compile progress=No", "Full-text search=No",
               f"Language=0x{lcid:x}", f"Title={title}", "", "[FILES]"] + [k + ".html" for k in keys] + ["help.css", ""]
    with open(os.path.join(folder, "help.hhp"), "w", encoding=codepage, errors="replace", newline="\r\n") as f:
        f.write("\n".join(project))
    run = subprocess.run([CHMCMD, "--no-html-scan", "help.hhp"], cwd=folder, capture_output=True, text=True)
    if run.returncode != 0 or not os.path.exists(os.path.join(folder, chm)):
        sys.exit(f"help: chmcmd failed for {chm}:\n{run.stdout}{run.stderr}")
    return os.path.join(folder, chm)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--source", required=True)
    ap.add_argument("--code", required=True)
    ap.add_argument("--prefix", default="mvl")
    ap.add_argument("--work", required=True)
    ap.add_argument("--out", required=True)
    ap.add_argument("--chmcmd", default="chmcmd", help="the CHM compiler (Debian package fp-utils)")
    args = ap.parse_args()
    global CHMCMD
    CHMCMD = args.chmcmd
    helpdir = os.path.join(args.source, "help")
    table, problems = langres.read_table(os.path.join(args.source, args.code, "strings.rc"))
    text = read_text(os.path.join(helpdir, args.code + ".txt"))
    problems += check(args.code, text, read_text(os.path.join(helpdir, "enus.txt")), table)
    if problems:
        sys.exit("help: " + "\n".join(problems))
    with open(os.path.join(helpdir, "page.html"), encoding="utf-8") as f:
        template = f.read()
    os.makedirs(args.out, exist_ok=True)
    for book in BOOKS:
        chm = build_book(book, args.code, args.prefix, text, table, template, os.path.join(helpdir, "help.css"), args.work)
        shutil.copy(chm, args.out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
