#!/usr/bin/env python3
"""Adds a handful of coverage-rich fuzzer finds to a seed corpus.

    python3 tests/fuzz/pick_corpus.py TARGET [MOST]

Reads the inputs scripts/fuzz left in build/fuzz/runs/TARGET/corpus, measures
the edges each one reaches on its own (one libFuzzer merge per input, with
build/fuzz/fuzz_TARGET), and then greedily adds to tests/fuzz/corpus/TARGET
the input that reaches the most edges the corpus does not reach yet, until
no input adds any or MOST (default 40) were added. Each is copied in as
found-<first 12 hex digits of its SHA-1>. Prints the edges reached before
and after, and by all of the run's inputs together.
"""
import hashlib
import pathlib
import shutil
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parent.parent.parent


def edges_of(binary, path, scratch):
    """The edges (program counters) one input reaches."""
    single = scratch / "in"
    if single.exists():
        shutil.rmtree(single)
    single.mkdir()
    shutil.copyfile(path, single / "input")
    out = scratch / "out"
    if out.exists():
        shutil.rmtree(out)
    out.mkdir()
    control = scratch / "control"
    # A control file left from the last input would make the merge resume it.
    control.unlink(missing_ok=True)
    subprocess.run([str(binary), "-merge=1", f"-merge_control_file={control}", str(out),
                    str(single)], cwd=scratch, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=False)
    reached = set()
    if not control.exists():
        return reached  # an empty input: the merge skips it
    for line in control.read_text().splitlines():
        parts = line.split()
        if parts and parts[0] == "COV":
            reached.update(int(p) for p in parts[2:])
    return reached


def main():
    target = sys.argv[1]
    most = int(sys.argv[2]) if len(sys.argv) > 2 else 40
    binary = ROOT / "build" / "fuzz" / f"fuzz_{target}"
    corpus = ROOT / "tests" / "fuzz" / "corpus" / target
    found = ROOT / "build" / "fuzz" / "runs" / target / "corpus"
    with tempfile.TemporaryDirectory() as temporary:
        scratch = pathlib.Path(temporary)
        covered = set()
        for path in sorted(corpus.iterdir()):
            covered |= edges_of(binary, path, scratch)
        before = len(covered)
        candidates = {path: edges_of(binary, path, scratch) for path in sorted(found.iterdir())}
    every = covered.union(*candidates.values())
    added = 0
    while added < most:
        best = max(candidates, key=lambda p: (len(candidates[p] - covered), -p.stat().st_size),
                   default=None)
        if best is None or not candidates[best] - covered:
            break
        covered |= candidates.pop(best)
        data = best.read_bytes()
        shutil.copyfile(best, corpus / ("found-" + hashlib.sha1(data).hexdigest()[:12]))
        added += 1
    print(f"{target}: {added} inputs added; edges reached: {before} by the corpus before, "
          f"{len(covered)} after, {len(every)} by all {len(candidates) + added} inputs of the run")


if __name__ == "__main__":
    main()
