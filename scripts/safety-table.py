#!/usr/bin/env python3
"""The README's table of what the failing-call sweeps and the power-cut sweep tried and found.

    scripts/safety-table.py SUMMARIES [--readme]

SUMMARIES is the folder the test command gives the sweeps for their summaries:
    fault/*.json        one per Linux failing-call sweep (tests/posix/fault_sweep_test.cpp)
    win32-fault/*.json  one per Windows failing-call sweep under Wine (tests/win32), if run
    power.tsv           one line per power-cut sweep (tests/posix/power_cut_test.cpp)
    carried.tsv         one line per test on a carried file system's own driver
                        (tests/posix/carried_fs_test.cpp); the failing-call sweeps run on one
                        such driver are the fault/*.json files that name a "file_system"
Prints the table; with --readme also puts it into README.md between its two markers. Exits 1
when a summary is missing, or when any sweep lost or damaged a file.
"""
import json
import pathlib
import sys

BEGIN = "<!-- safety-table: made by scripts/safety-table.py -->"
END = "<!-- /safety-table -->"
FINDINGS = ("files_lost", "files_damaged", "strays", "misreported", "swallowed", "handles_leaked")


def read_sweeps(folder):
    return [json.loads(path.read_text()) for path in sorted(folder.glob("*.json"))]


def by_operation(sweeps):
    table = {}
    for sweep in sweeps:
        row = table.setdefault(sweep["operation"], {"cases": 0, "points": 0, "bad": 0, "lost": 0})
        row["cases"] += 1
        row["points"] += sweep["failure_points"]
        row["lost"] += sweep.get("files_lost", 0)
        row["bad"] += sum(sweep.get(kind, 0) for kind in FINDINGS if kind != "files_lost")
    return table


CARRIED = {"exfat": "exFAT (exfat-fuse)", "fat32": "FAT32 (fusefat)", "ntfs": "NTFS (ntfs-3g)",
           "passthrough": "FUSE pass-through (bindfs)"}


def carried_table(tsv, sweeps):
    """The rows of the file systems users carry; returns (tests failed and files lost, rows)."""
    rows = {}
    empty = {"ops": 0, "killed": 0, "cleared": 0, "failed": 0, "skipped": 0, "sweeps": 0,
             "points": 0, "lost": 0}
    for line in tsv.read_text().splitlines():
        kind, _test, operations, killed, cleared, outcome = line.split("\t")
        row = rows.setdefault(kind, dict(empty))
        row["ops"] += int(operations)
        row["killed"] += int(killed)
        row["cleared"] += int(cleared)
        row["failed"] += outcome == "failed"
        row["skipped"] += outcome == "skipped"
    for sweep in sweeps:
        row = rows.setdefault(sweep["file_system"], dict(empty))
        row["sweeps"] += 1
        row["points"] += sweep["failure_points"]
        row["lost"] += sweep.get("files_lost", 0)
        row["failed"] += sum(sweep.get(kind, 0) > 0 for kind in FINDINGS if kind != "files_lost")
    out = ["| File system (driver) | Operations run | Copies killed, leftovers the next copy "
           "removed | Failing-call sweeps, failure points tried | Tests failed (skipped) | "
           "Files lost |", "|---|---|---|---|---|---|"]
    bad = 0
    order = list(CARRIED)
    for kind in sorted(rows, key=lambda k: order.index(k) if k in order else len(order)):
        r = rows[kind]
        bad += r["failed"] + r["lost"]
        sweeps_cell = f"{r['sweeps']}, {r['points']}" if r["sweeps"] else "not run"
        out.append(f"| {CARRIED.get(kind, kind)} | {r['ops']} | {r['killed']}, {r['cleared']} | "
                   f"{sweeps_cell} | {r['failed']} ({r['skipped']}) | {r['lost']} |")
    return bad, out


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    summaries = pathlib.Path(sys.argv[1])
    all_linux = read_sweeps(summaries / "fault")
    linux = [sweep for sweep in all_linux if "file_system" not in sweep]
    carried_sweeps = [sweep for sweep in all_linux if "file_system" in sweep]
    windows = read_sweeps(summaries / "win32-fault") if (summaries / "win32-fault").is_dir() else []
    power_file = summaries / "power.tsv"
    if not linux or not power_file.is_file():
        print(f"safety-table: no sweep summaries in {summaries}", file=sys.stderr)
        return 1
    lines = [l.split("\t") for l in power_file.read_text().splitlines() if l.strip()]
    header, power = lines[0], [dict(zip(lines[0], l)) for l in lines[1:]]

    linux_rows, windows_rows = by_operation(linux), by_operation(windows)
    out = ["| Operation | Linux: sweeps, failure points tried | Windows under Wine: sweeps, "
           "failure points tried | Files lost | Other findings |", "|---|---|---|---|---|"]
    operations = list(linux_rows) + [op for op in windows_rows if op not in linux_rows]
    lost = bad = 0
    for operation in operations:
        l, w = linux_rows.get(operation), windows_rows.get(operation)
        row_lost = (l or {}).get("lost", 0) + (w or {}).get("lost", 0)
        row_bad = (l or {}).get("bad", 0) + (w or {}).get("bad", 0)
        lost, bad = lost + row_lost, bad + row_bad
        cell = lambda r: f"{r['cases']}, {r['points']}" if r else "not run"
        out.append(f"| {operation} | {cell(l)} | {cell(w)} | {row_lost} | {row_bad} |")

    out += ["", "| Power cut during | Cut points | Disk states checked | Files lost | Damaged |",
            "|---|---|---|---|---|"]
    kinds = {}
    for sweep in power:
        kind = sweep["sweep"].split("_")[0]
        row = kinds.setdefault(kind, [0, 0, 0, 0])
        row[0] += int(sweep["cut_points"])
        row[1] += int(sweep["views"])
        row[2] += int(sweep["files_lost"])
        row[3] += int(sweep["damaged"])
    names = {"CopyOverExistingFile": "a copy over an existing file",
             "MoveToAbsentDestination": "a move to a new name",
             "MoveOverExistingFile": "a move over an existing file"}
    for kind, (cuts, views, row_lost, damaged) in kinds.items():
        lost, bad = lost + row_lost, bad + damaged
        out.append(f"| {names.get(kind, kind)} | {cuts} | {views} | {row_lost} | {damaged} |")
    carried_file = summaries / "carried.tsv"
    if not carried_file.is_file():
        print(f"safety-table: no carried.tsv in {summaries}", file=sys.stderr)
        return 1
    carried_bad, carried_rows = carried_table(carried_file, carried_sweeps)
    bad += carried_bad
    out += [""] + carried_rows
    table = "\n".join(out)
    print(table)

    if "--readme" in sys.argv[2:]:
        readme = pathlib.Path(__file__).resolve().parent.parent / "README.md"
        text = readme.read_text()
        start, stop = text.index(BEGIN) + len(BEGIN), text.index(END)
        readme.write_text(text[:start] + "\n" + table + "\n" + text[stop:])
    return 1 if lost or bad else 0


if __name__ == "__main__":
    sys.exit(main())
