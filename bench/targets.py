#!/usr/bin/env python3
"""Reads the two benchmark programs' JSON output and prints one line per
target: the ratio measured in this run and PASS or FAIL. Exits 1 when a
target is missed. Times are the medians of the repetitions, in wall-clock
time: the host's thread waits for the whole of it."""
import json
import sys


def medians(path):
    with open(path) as f:
        data = json.load(f)
    found = {}
    for b in data["benchmarks"]:
        if b.get("aggregate_name") != "median":
            continue
        scale = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}[b["time_unit"]]
        found[b["run_name"]] = dict(b, real_ns=b["real_time"] * scale)
    return found, data["context"]


def main():
    events, context = medians(sys.argv[1])
    files, _ = medians(sys.argv[2])
    t = lambda table, name: table[name]["real_ns"]
    failed = False

    def target(label, ratio, passed, limit):
        nonlocal failed
        failed |= not passed
        print(f"{'PASS' if passed else 'FAIL'}  {label:<58} {ratio:9.2f}  ({limit})")

    print(f"Machine: {context.get('num_cpus')} CPUs at {context.get('mhz_per_cpu')} MHz, "
          f"load {', '.join(f'{x:.2f}' for x in context.get('load_avg', []))}")
    print("Medians of 5 repetitions, wall-clock:")
    for table in (events, files):
        for name, b in table.items():
            extra = f"  flush {b['flush_us']:.0f} us" if "flush_us" in b else ""
            print(f"  {name:<36} {b['real_ns']:14.1f} ns{extra}")
    print()
    print("Targets (ratio measured in this run):")
    kill = t(events, "BM_PlayerKilled/100000") / t(events, "BM_PlayerKilled/10")
    target("kill, 100,000 accounts / 10 accounts", kill, kill <= 1.5, "at most 1.5")
    entry = t(events, "BM_PlayerEntering/100000") / t(events, "BM_PlayerEntering/10")
    target("entry, 100,000 accounts / 10 accounts", entry, entry <= 1.5, "at most 1.5")
    repeat = t(files, "BM_RepeatKill/100000") / t(files, "BM_RepeatKill/10")
    target("repeat-kill check, 100,000 pairs / 10 pairs", repeat, repeat <= 1.5, "at most 1.5")
    lookup = t(files, "BM_LedgerLinearBaseline") / t(files, "BM_LedgerLookup")
    target("linear ledger search / lookup, 100,000 accounts", lookup, lookup >= 100,
           "at least 100")
    for what, load, read in (("gold.dat", "BM_LoadGold", "BM_PlainReadGoldBytes"),
                             ("inv.dat", "BM_LoadInventory", "BM_PlainReadInventoryBytes")):
        ratio = t(files, load) / t(files, read)
        target(f"load {what} of 100,000 / one plain read", ratio, ratio <= 3, "at most 3")
    for what, save, write in (("gold.dat", "BM_SaveGold", "BM_PlainWriteGoldBytes"),
                              ("inv.dat", "BM_SaveInventory", "BM_PlainWriteInventoryBytes")):
        flush_ns = files[save]["flush_us"] * 1e3
        ratio = (t(files, save) - flush_ns) / t(files, write)
        target(f"save {what} of 100,000 without its flush / one plain write", ratio,
               ratio <= 3, "at most 3")
        print(f"      the save's flush to disk: {flush_ns / 1e3:.0f} us of "
              f"{t(files, save) / 1e3:.0f} us")
    for what, name in (("gold.dat", "BM_FirstLookupAfterLoadGold"),
                       ("inv.dat", "BM_FirstLookupAfterLoadInventory")):
        print(f"INFO  the first lookup after a load of {what} indexes its 100,000 names: "
              f"{t(files, name) / 1e3:.0f} us, once per load")
    move = t(events, "BM_PlayerMoved/1")
    stamp, read, parse = (t(files, n) for n in
                          ("BM_WarpAreaStamp", "BM_WarpAreaRead", "BM_WarpAreaParse"))
    print(f"INFO  a move with area warping (20 areas): {move:.0f} ns, of which the look at "
          f"WarpArea.ini's stamp {stamp:.0f} ns = {100 * stamp / move:.0f}%; "
          f"without area warping {t(events, 'BM_PlayerMoved/0'):.0f} ns")
    print(f"      reading the file again would add {read:.0f} ns and parsing it "
          f"{parse:.0f} ns: a read is {100 * read / (move + read + parse):.0f}% "
          f"of a move that reads and parses")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
