#!/usr/bin/env python3
"""Whole-run benchmark: an audit of 32,767 shortcuts against the floor.

Builds the release preset, makes a tree of 32,767 shortcuts (the real corpus
replicated into sub-folders of 500 when ../shared/corpus exists, else files
from the link writer) and one of 3,277, then times, alternating in one run,
the floor (stat and read every file) and
    varnlink-cli --warn-duplicates --warn-duplicate-arguments TREE
and prints the medians, their ratio, the CLI's peak memory against the
report's size, and how the time scales from 3,277 to 32,767 shortcuts.

The missing-target check's cost: on a tree of 32,767 link-writer shortcuts
whose targets are made as files in a folder (a fifth of them missing, a
seventh spelled in other case), `varnlink-cli TREE` against `varnlink-cli
--map C:=TARGETS TREE`, alternating, and how many looks at paths and folder
listings the check made for how many distinct target paths.

    bench/run_bench.py [--runs N] [--work DIR] [--micro] [--gui]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build", "release")
CORPUS = os.path.join(ROOT, "..", "shared", "corpus")


def build(targets):
    subprocess.run(["cmake", "--preset", "release"], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", "--preset", "release", "--target", *targets], cwd=ROOT, check=True)


def corpus_files():
    found = []
    for folder, _, names in os.walk(CORPUS):
        found += [os.path.join(folder, n) for n in sorted(names) if n.lower().endswith(".lnk")]
    return sorted(found)


def make_tree(path, count):
    if os.path.isdir(path) and len(os.listdir(path)) == (count + 499) // 500:
        return
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    sources = corpus_files() if os.path.isdir(CORPUS) else []
    if not sources:
        subprocess.run([os.path.join(BUILD, "bench", "varnlink_make_tree"), path, str(count)], check=True)
        return
    for i in range(count):
        folder = os.path.join(path, "part%03d" % (i // 500))
        os.makedirs(folder, exist_ok=True)
        source = sources[i % len(sources)]
        shutil.copyfile(source, os.path.join(folder, "%05d %s" % (i, os.path.basename(source))))


def run(command):
    """Wall time in seconds and peak resident memory in bytes; output discarded."""
    start = time.perf_counter()
    with open(os.devnull, "wb") as sink:
        process = subprocess.Popen(command, stdout=sink, stderr=sink)
        _, status, usage = os.wait4(process.pid, 0)
    elapsed = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit("failed: %s" % " ".join(command))
    return elapsed, usage.ru_maxrss * 1024


def report_size(command):
    return len(subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                              check=True).stdout)


def alternate(base, measured, runs):
    """Median times of `base` and `measured`, run in turn, and `measured`'s peak memory."""
    run(base), run(measured)  # warm the page cache
    base_times, measured_times, peaks = [], [], []
    for _ in range(runs):
        base_times.append(run(base)[0])
        elapsed, peak = run(measured)
        measured_times.append(elapsed)
        peaks.append(peak)
    return statistics.median(base_times), statistics.median(measured_times), max(peaks)


def measure(tree, runs):
    cli = [os.path.join(BUILD, "src", "app", "cli", "varnlink-cli"),
           "--warn-duplicates", "--warn-duplicate-arguments", tree]
    floor = [os.path.join(BUILD, "bench", "varnlink_floor"), tree]
    return alternate(floor, cli, runs) + (report_size(cli),)


def make_check_tree(path, targets, count):
    if os.path.isdir(path) and os.path.isdir(targets) and len(os.listdir(path)) == (count + 499) // 500:
        return
    shutil.rmtree(path, ignore_errors=True)
    shutil.rmtree(targets, ignore_errors=True)
    os.makedirs(path)
    subprocess.run([os.path.join(BUILD, "bench", "varnlink_make_tree"), path, str(count), targets], check=True)


def measure_check(work, runs):
    count = 32767
    tree = os.path.join(work, "check-tree-%d" % count)
    targets = os.path.join(work, "check-targets")
    make_check_tree(tree, targets, count)
    cli = os.path.join(BUILD, "src", "app", "cli", "varnlink-cli")
    plain_s, checked_s, peak = alternate([cli, tree], [cli, "--map", "C:=" + targets, tree], runs)
    print("%6d shortcuts, targets mapped to a folder of files, median of %d runs:" % (count, runs))
    print("   varnlink-cli             %8.3f s" % plain_s)
    print("   with --map C:=TARGETS    %8.3f s   = +%.3f s for the check (%.2f x)"
          % (checked_s, checked_s - plain_s, checked_s / plain_s))
    print("   peak memory with check   %8.1f MiB" % (peak / 2**20))
    subprocess.run([os.path.join(BUILD, "bench", "varnlink_target_check_bench"), tree, targets], check=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--work", default=os.environ.get("VARNLINK_BENCH_DIR", "/tmp/varnlink-bench"))
    parser.add_argument("--micro", action="store_true", help="also run the microbenchmarks")
    parser.add_argument("--gui", action="store_true", help="also time the Qt window (offscreen)")
    args = parser.parse_args()

    targets = ["varnlink-cli", "varnlink_floor", "varnlink_make_tree", "varnlink_microbench",
               "varnlink_target_check_bench"]
    gui = os.path.join(BUILD, "bench", "varnlink_gui_bench")
    if args.gui:
        targets.append("varnlink_gui_bench")
    build(targets)
    source = "the real corpus" if os.path.isdir(CORPUS) else "link-writer shortcuts"
    results = {}
    for count in (3277, 32767):
        tree = os.path.join(args.work, "tree-%d" % count)
        make_tree(tree, count)
        results[count] = measure(tree, args.runs)
        floor_s, cli_s, peak, report = results[count]
        print("%6d shortcuts (%s), median of %d runs:" % (count, source, args.runs))
        print("   floor (stat + read)      %8.3f s" % floor_s)
        print("   varnlink-cli, both warn  %8.3f s   = %.2f x the floor" % (cli_s, cli_s / floor_s))
        print("   peak memory              %8.1f MiB  (report %.1f MiB; limit 3 x report + 32 MiB = %.1f MiB)"
              % (peak / 2**20, report / 2**20, (3 * report + 32 * 2**20) / 2**20))
    print("scaling: 32767 / 3277 shortcuts took %.2f x the time (limit 12 x)"
          % (results[32767][1] / results[3277][1]))
    measure_check(args.work, args.runs)
    if args.gui:
        tree = os.path.join(args.work, "tree-32767")
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        subprocess.run([gui, tree], check=True, env=env)
    if args.micro:
        subprocess.run([os.path.join(BUILD, "bench", "varnlink_microbench")], check=True)


if __name__ == "__main__":
    main()
