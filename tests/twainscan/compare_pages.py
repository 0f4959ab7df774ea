"""Compares the main job's PNG pages with the simulated scanner's rendering of each sheet side.

Usage: compare_pages.py MVLSIMPAGE_EXE SIM_LOG OUTDIR PAGES
Page n of a duplex batch is sheet (n + 1) // 2, its front on odd pages and its back on even ones.
"""
import os
import subprocess
import sys


def read_pnm(data):
    """(magic, width, height, pixel bytes) of a binary P4, P5 or P6 image."""
    fields, pos = [], 0
    wanted = 3 if data[:2] == b"P4" else 4
    while len(fields) < wanted:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    return fields[0].decode(), int(fields[1]), int(fields[2]), data[pos + 1:]


def scan_parameters(log_path):
    """The argument lists of every ScanDrv_SetScanParameter call the simulator logged."""
    key = "CALL ScanDrv_SetScanParameter "
    calls = []
    with open(log_path, encoding="latin-1") as log:
        for line in log:
            if key in line:
                calls.append(line.split(key, 1)[1].split())
    return calls


def main():
    simpage, log_path, out_dir, pages = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
    found = sorted(f for f in os.listdir(out_dir) if f.startswith("page") and f.endswith(".png"))
    expected_names = sorted(f"page{n}.png" for n in range(1, pages + 1))
    if found != expected_names:
        print(f"FAIL: pages written {found}, expected {expected_names}")
        return 1
    calls = scan_parameters(log_path)
    if not calls:
        print("FAIL: the simulator logged no scan parameters")
        return 1
    dpi, _, mode, left, top, right, bottom = calls[-1][:7]
    failures = 0
    for n in range(1, pages + 1):
        png = os.path.join(out_dir, f"page{n}.png")
        ref = os.path.join(out_dir, f"expected{n}.pnm")
        sheet, side = (n + 1) // 2, (n + 1) % 2
        subprocess.run(["wine", simpage, str(sheet), str(side), dpi, mode, left, top, right, bottom, ref],
                       check=True, stdout=subprocess.DEVNULL)
        with open(ref, "rb") as f:
            magic, width, height, want = read_pnm(f.read())
        kind = {"P6": "ppm", "P5": "pgm", "P4": "pbm"}[magic]
        decoded = subprocess.run(["convert", png, "-depth", "8" if kind != "pbm" else "1", f"{kind}:-"],
                                 check=True, stdout=subprocess.PIPE).stdout
        _, got_w, got_h, got = read_pnm(decoded)
        if (got_w, got_h) != (width, height):
            print(f"FAIL: page {n} is {got_w} x {got_h}, the simulator's sheet {sheet} side {side} is {width} x {height}")
            failures += 1
        elif got != want:
            first = next(i for i in range(min(len(got), len(want))) if got[i] != want[i]) if len(got) == len(want) else 0
            print(f"FAIL: page {n} differs from sheet {sheet} side {side} (first at byte {first})")
            failures += 1
        else:
            print(f"page {n}: {width} x {height}, {magic}, equal to sheet {sheet} side {side}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
