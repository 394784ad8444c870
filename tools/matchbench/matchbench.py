#!/usr/bin/env python3
"""Runs matchbench.exe under Wine and prints its figures; where fzf is installed, then prints
fzf's figures on the same cases, through `fzf --filter` over the same Start Menu: one line
per shortcut with its name and its program's file name. Prints figures, judges nothing.

Usage: matchbench.py MATCHBENCH_EXE [--misses]
"""
import os
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def table(name):
    """The fields of a data file's lines, as matchbench.exe reads them."""
    rows = []
    with open(os.path.join(HERE, name), encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if line and not line.startswith("#"):
                rows.append([field.strip() for field in line.split("|")])
    return rows


def program_file_name(target):
    """The last part of a file-system path without its extension; empty for other targets."""
    if not (len(target) > 2 and target[1] == ":" or target.startswith("\\\\")):
        return ""
    last = target.rsplit("\\", 1)[-1]
    return last.rsplit(".", 1)[0] if "." in last else last


def fzf_order(lines, text):
    """The names fzf lists for text, best first."""
    result = subprocess.run(["fzf", "--filter", text], input="\n".join(lines) + "\n",
                            capture_output=True, text=True, encoding="utf-8")
    return [line.split("\t", 1)[0] for line in result.stdout.splitlines()]


def fzf_figures(list_misses):
    lines = [f"{row[1]}\t{program_file_name(row[2])}" for row in table("startmenu.txt") if len(row) >= 3]
    tallies = {}
    for row in table("cases.txt"):
        kind, text, expected = row[0], row[1], row[2]
        names = fzf_order(lines, text)
        if expected == "-":
            first = top3 = not names
        else:
            first = bool(names) and names[0] == expected
            top3 = expected in names[:3]
        for key in (kind, "overall"):
            tally = tallies.setdefault(key, [0, 0, 0])
            tally[0] += 1
            tally[1] += first
            tally[2] += top3
        if list_misses and not first:
            print(f"fzf miss  {kind:<8} {text:<22} expected {expected}, got {names[0] if names else 'nothing'}")
    version = subprocess.run(["fzf", "--version"], capture_output=True, text=True).stdout.strip()
    print(f"\nfzf {version}, `fzf --filter` over the same {len(lines)} names (name and program file name)\n")
    print(f"{'kind':<10} {'cases':>5}   {'fzf':<17}")
    print(f"{'':<10} {'':>5}   {'first':<8} {'top 3':<8}")
    for kind, (cases, first, top3) in sorted(tallies.items(), key=lambda item: item[0] == "overall"):
        print(f"{kind:<10} {cases:>5}   {100.0 * first / cases:5.1f}%   {100.0 * top3 / cases:5.1f}%")


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    exe, options = sys.argv[1], sys.argv[2:]
    wine = os.environ.get("KEST_WINE", "wine")
    sys.stdout.flush()
    # The data files of the source tree, so that both runs read the same cases.
    result = subprocess.run([wine, exe, to_windows_path(HERE)] + options)
    if result.returncode != 0:
        sys.exit(result.returncode)
    if shutil.which("fzf"):
        fzf_figures("--misses" in options)
    else:
        print("\nfzf is not installed: no fzf figures (Debian: apt-get install fzf)")


def to_windows_path(path):
    """A host path as Wine's Z: drive shows it."""
    return "Z:" + path.replace("/", "\\")


if __name__ == "__main__":
    main()
