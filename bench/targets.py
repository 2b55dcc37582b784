#!/usr/bin/env python3
"""Reads the benchmark programs' JSON output and prints one line per
target: the ratio measured in this run and PASS or FAIL. Exits 1 when a
target is missed. Times are the medians of the repetitions, in wall-clock
time: the host's thread waits for the whole of it.

    targets.py EVENTS.json FILES.json [DATABASE.json [ADMIN.json]]

DATABASE.json is quorvel-bench-database's one object: the link's records a
second and the time to send a backlog after an outage. ADMIN.json is
quorvel-bench-admin's: each quorvel-admin command on a journal of 1.5 million
lines and the plain reader of the same file."""
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


def admin_targets(path, target):
    """Each command against the plain reader: the file read in large blocks,
    every line split into its tab-separated fields, each field touched."""
    try:
        # Timed in wall-clock time, named so: BM_AdminCheck/real_time.
        admin = {name.split("/")[0]: b for name, b in medians(path)[0].items()}
        plain = admin["BM_AdminPlainJournalRead"]["real_ns"]
    except (OSError, ValueError, KeyError):
        target("quorvel-admin, 1.5 million lines: NOT MEASURED", float("nan"), False,
               "at most 5")
        return
    print(f"INFO  the plain reader of gold.log, 1.5 million lines: {plain / 1e6:.0f} ms")
    for command in ("check", "gold", "items", "history", "report"):
        name = f"BM_Admin{command.capitalize()}"
        if name not in admin:
            target(f"quorvel-admin {command}: NOT MEASURED", float("nan"), False, "at most 5")
            continue
        ratio = admin[name]["real_ns"] / plain
        target(f"quorvel-admin {command}, 1.5 million lines / the plain reader", ratio,
               ratio <= 5, "at most 5")


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
    database_kill = events.get("BM_PlayerKilledDatabase/10")
    if database_kill is None:
        target("kill, database economy / files, 10 accounts: NOT MEASURED", float("nan"),
               False, "at most 1.5")
    else:
        ratio = database_kill["real_ns"] / t(events, "BM_PlayerKilled/10")
        target("kill, database economy / files, 10 accounts", ratio, ratio <= 1.5,
               "at most 1.5")
        print(f"      a kill on the event path: {database_kill['real_ns']:.0f} ns with the "
              f"database economy (its link's thread sending beside), "
              f"{t(events, 'BM_PlayerKilled/10'):.0f} ns with files")
    link = None
    if len(sys.argv) > 3:
        try:
            with open(sys.argv[3]) as f:
                link = json.load(f)
        except (OSError, ValueError):
            target("the database link's figures: NOT MEASURED (see its error above)",
                   float("nan"), False, "at most 60")
    if link is not None:
        drained = link["drain_all_confirmed"]
        target(f"seconds to send {link['drain_records']:,} records queued in an outage",
               link["drain_seconds"], drained and link["drain_seconds"] <= 60, "at most 60")
        print(f"      from asking PostgreSQL to start ({link['server_start_seconds']:.2f} s of "
              f"it) until the database confirmed all {link['drain_records']:,}"
              f"{'' if drained else ' (NOT ALL CONFIRMED)'}: "
              f"{link['drain_records'] / link['drain_seconds']:.0f} records a second")
        print(f"INFO  records a second the link's thread applies in PostgreSQL, batches as it "
              f"makes them: {link['records_per_second']:.0f} ({link['rate_records']:,} "
              f"queued awards confirmed in {link['rate_seconds']:.2f} s"
              f"{'' if link['rate_all_confirmed'] else ', NOT ALL CONFIRMED'})")
        failed |= not link["rate_all_confirmed"]
    if len(sys.argv) > 4:
        admin_targets(sys.argv[4], target)
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
