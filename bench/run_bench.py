#!/usr/bin/env python3
"""Whole-run benchmark: audits of 32,767 shortcuts against the floor, and the
memory of record runs over a folder of 40,000.

Builds the release preset and makes, under --work:
  tree-32767, tree-3277   the real corpus replicated into sub-folders of 500
                          (../shared/corpus), else link-writer shortcuts
  flat-40000              40,000 shortcuts in one folder, made the same way
  distinct-10000/-40000   link-writer shortcuts in one folder, each with a
                          target of its own
Then it times, alternating in one run, the floor (stat and read every file),
    varnlink-cli --warn-duplicates --warn-duplicate-arguments TREE
    varnlink-cli --format jsonl --warn-duplicates --warn-duplicate-arguments TREE
with their output discarded, and prints the medians of wall time and of CPU
time (user + system), the ratios to the floor, each run's peak memory (as GNU
time reports it), and how the time scales from 3,277 to 32,767 shortcuts.
Last, the peak memory of --format jsonl over the folders of one level, without
and with both warnings. Then the missing-target check's cost: on a tree of 32,767 link-writer shortcuts
whose targets are made as files in a folder (a fifth of them missing, a
seventh spelled in other case), `varnlink-cli TREE` against `varnlink-cli
--map C:=TARGETS TREE`, alternating, and how many looks at paths and folder
listings the check made for how many distinct target paths. Last, what the
suspicious-shortcut checks add: varnlink-cli with and without --warn-suspicious
on the tree of 32,767, as text and as jsonl. And jump lists: the real ones
(../shared/jumplists) replicated 50 times, `varnlink-cli --jump-lists` as text
and as jsonl against the floor reading the same files whole.

    bench/run_bench.py [--runs N] [--work DIR] [--micro] [--gui]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build", "release")
CORPUS = os.path.join(ROOT, "..", "shared", "corpus")
JUMPLISTS = os.path.join(ROOT, "..", "shared", "jumplists")
CLI = os.path.join(BUILD, "src", "app", "cli", "varnlink-cli")
MAKE_TREE = os.path.join(BUILD, "bench", "varnlink_make_tree")
WARNINGS = ["--warn-duplicates", "--warn-duplicate-arguments"]
MIB = 2 ** 20
GNU_TIME = "/usr/bin/time"  # Debian package "time"


def build(targets):
    subprocess.run(["cmake", "--preset", "release"], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", "--preset", "release", "--target", *targets], cwd=ROOT, check=True)


def corpus_files():
    found = []
    for folder, _, names in os.walk(CORPUS):
        found += [os.path.join(folder, n) for n in sorted(names) if n.lower().endswith(".lnk")]
    return sorted(found)


def make_tree(path, count, flat=False, distinct=False):
    """`count` shortcuts under `path`: in sub-folders of 500, or all in `path`."""
    expected = count if flat else (count + 499) // 500
    if os.path.isdir(path) and len(os.listdir(path)) == expected:
        return
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    sources = corpus_files() if os.path.isdir(CORPUS) and not distinct else []
    if not sources:
        options = (["--flat"] if flat else []) + (["--distinct"] if distinct else [])
        subprocess.run([MAKE_TREE, *options, path, str(count)], check=True)
        return
    for i in range(count):
        folder = path if flat else os.path.join(path, "part%03d" % (i // 500))
        os.makedirs(folder, exist_ok=True)
        source = sources[i % len(sources)]
        shutil.copyfile(source, os.path.join(folder, "%05d %s" % (i, os.path.basename(source))))


def run(command):
    """Wall time, CPU time (user + system) in seconds and peak resident memory
    in bytes; output discarded. GNU time starts the program and reports its
    peak: a child forked from this Python would count Python's own memory."""
    with tempfile.NamedTemporaryFile(mode="r") as peak, open(os.devnull, "wb") as sink:
        start = time.perf_counter()
        process = subprocess.Popen([GNU_TIME, "-f", "%M", "-o", peak.name, *command],
                                   stdout=sink, stderr=sink)
        _, status, usage = os.wait4(process.pid, 0)
        elapsed = time.perf_counter() - start
        if os.waitstatus_to_exitcode(status) != 0:
            sys.exit("failed: %s" % " ".join(command))
        return elapsed, usage.ru_utime + usage.ru_stime, int(peak.read().split()[-1]) * 1024


def output_size(command):
    return len(subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                              check=True).stdout)


def alternate(commands, runs):
    """Each named command `runs` times, alternating, after a run of each to warm
    the page cache: the samples of run() by name."""
    for command in commands.values():
        run(command)
    samples = {name: [] for name in commands}
    for _ in range(runs):
        for name, command in commands.items():
            samples[name].append(run(command))
    return samples


def measure(tree, runs):
    """For the floor, text and jsonl: the median wall and CPU times, the
    largest peak memory and the output's size."""
    commands = {
        "floor": [os.path.join(BUILD, "bench", "varnlink_floor"), tree],
        "text": [CLI, *WARNINGS, tree],
        "jsonl": [CLI, "--format", "jsonl", *WARNINGS, tree],
    }
    samples = alternate(commands, runs)
    results = {}
    for name, taken in samples.items():
        results[name] = {
            "wall": statistics.median(s[0] for s in taken),
            "cpu": statistics.median(s[1] for s in taken),
            "peak": max(s[2] for s in taken),
            "output": output_size(commands[name]) if name != "floor" else 0,
        }
    return results


def compare(plain, option, tree, runs):
    """varnlink-cli PLAIN TREE against varnlink-cli PLAIN OPTION TREE,
    alternating: the median wall times, and the peak memory with OPTION."""
    commands = ([CLI, *plain, tree], [CLI, *plain, *option, tree])
    for command in commands:
        run(command)  # warm the page cache
    samples = ([], [])
    for _ in range(runs):
        for command, taken in zip(commands, samples):
            taken.append(run(command))
    without, with_option = (statistics.median(s[0] for s in taken) for taken in samples)
    print("   varnlink-cli %-28s %8.3f s" % (" ".join(plain), without))
    print("   with %-36s %8.3f s   = +%.3f s (%.2f x); peak %.1f MiB"
          % (" ".join(option), with_option, with_option - without, with_option / without,
             max(s[2] for s in samples[1]) / MIB))


def measure_check(work, runs):
    count = 32767
    tree = os.path.join(work, "check-tree-%d" % count)
    targets = os.path.join(work, "check-targets")
    if not (os.path.isdir(tree) and os.path.isdir(targets)
            and len(os.listdir(tree)) == (count + 499) // 500):
        shutil.rmtree(tree, ignore_errors=True)
        shutil.rmtree(targets, ignore_errors=True)
        os.makedirs(tree)
        subprocess.run([os.path.join(BUILD, "bench", "varnlink_make_tree"), tree, str(count), targets],
                       check=True)
    print("%6d shortcuts, targets mapped to a folder of files, median of %d runs:" % (count, runs))
    compare([], ["--map", "C:=" + targets], tree, runs)
    subprocess.run([os.path.join(BUILD, "bench", "varnlink_target_check_bench"), tree, targets], check=True)


def measure_jump_lists(work, runs):
    """The real jump lists, 50 copies of each in folders of their own, read by
    varnlink-cli against the floor reading them whole."""
    if not os.path.isdir(JUMPLISTS):
        print("jump lists: %s is absent, not measured" % JUMPLISTS)
        return
    tree = os.path.join(work, "jump-lists-50")
    if not os.path.isdir(tree):
        for copy in range(50):
            shutil.copytree(JUMPLISTS, os.path.join(tree, "copy%02d" % copy),
                            ignore=shutil.ignore_patterns("*.jsonl", "*.md", "*.tsv", "LICENSES"))
    commands = {
        "floor": [os.path.join(BUILD, "bench", "varnlink_floor"), "--jump-lists", tree],
        "text": [CLI, "--jump-lists", *WARNINGS, tree],
        "jsonl": [CLI, "--format", "jsonl", "--jump-lists", *WARNINGS, tree],
    }
    samples = alternate(commands, runs)
    floor = statistics.median(s[0] for s in samples["floor"])
    print("jump lists (the real ones, 50 copies: %d files), median of %d runs:"
          % (50 * sum(1 for _, _, names in os.walk(JUMPLISTS) for n in names
                      if n.endswith(("Destinations-ms",))), runs))
    print("   %-22s %7.3f s wall" % ("floor (stat + read)", floor))
    for name in ("text", "jsonl"):
        wall = statistics.median(s[0] for s in samples[name])
        print("   %-22s %7.3f s wall  = %.2f x the floor (limit 1.5 x); peak %.1f MiB"
              % ("varnlink-cli, " + name, wall, wall / floor,
                 max(s[2] for s in samples[name]) / MIB))


def peak_of_records(folder, warnings):
    return run([CLI, "--format", "jsonl", *(WARNINGS if warnings else []), folder])[2]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--work", default=os.environ.get("VARNLINK_BENCH_DIR", "/tmp/varnlink-bench"))
    parser.add_argument("--micro", action="store_true", help="also run the microbenchmarks")
    parser.add_argument("--gui", action="store_true", help="also time the Qt window (offscreen)")
    args = parser.parse_args()
    if not os.access(GNU_TIME, os.X_OK):
        sys.exit("%s (GNU time, Debian package \"time\") is needed for the peak memory" % GNU_TIME)

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
        floor = results[count]["floor"]
        print("%6d shortcuts (%s), both warnings, median of %d runs:" % (count, source, args.runs))
        print("   %-22s %7.3f s wall  %7.3f s CPU" % ("floor (stat + read)", floor["wall"], floor["cpu"]))
        for name in ("text", "jsonl"):
            r = results[count][name]
            print("   %-22s %7.3f s wall  %7.3f s CPU  = %.2f x / %.2f x the floor (limit 1.5 x);"
                  " peak %.1f MiB for %.1f MiB of output"
                  % ("varnlink-cli, " + name, r["wall"], r["cpu"], r["wall"] / floor["wall"],
                     r["cpu"] / floor["cpu"], r["peak"] / MIB, r["output"] / MIB))
    print("scaling (text): 32767 / 3277 shortcuts took %.2f x the time (limit 12 x)"
          % (results[32767]["text"]["wall"] / results[3277]["text"]["wall"]))

    flat = os.path.join(args.work, "flat-40000")
    make_tree(flat, 40000, flat=True)
    print("40000 shortcuts in one folder (%s), --format jsonl:" % source)
    print("   peak memory without warnings %6.1f MiB (limit 48 MiB)" % (peak_of_records(flat, False) / MIB))
    print("   peak memory, both warnings   %6.1f MiB" % (peak_of_records(flat, True) / MIB))
    print("shortcuts in one folder, each with a target of its own, --format jsonl, peak memory:")
    for count in (10000, 40000):
        folder = os.path.join(args.work, "distinct-%d" % count)
        make_tree(folder, count, flat=True, distinct=True)
        without, with_warnings = peak_of_records(folder, False), peak_of_records(folder, True)
        print("   %5d: %6.1f MiB without warnings, %6.1f MiB with both: %.0f bytes per distinct target"
              % (count, without / MIB, with_warnings / MIB, (with_warnings - without) / count))
    measure_check(args.work, args.runs)
    print("32767 shortcuts (%s), the suspicious-shortcut checks, median of %d runs:"
          % (source, args.runs))
    for plain in ([], ["--format", "jsonl"]):
        compare(plain, ["--warn-suspicious"], os.path.join(args.work, "tree-32767"), args.runs)
    measure_jump_lists(args.work, args.runs)
    if args.gui:
        tree = os.path.join(args.work, "tree-32767")
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        subprocess.run([gui, tree], check=True, env=env)
    if args.micro:
        subprocess.run([os.path.join(BUILD, "bench", "varnlink_microbench")], check=True)


if __name__ == "__main__":
    main()
