#!/usr/bin/env python3
"""varnlink-cli's timelines through the tools that read them, and the fleet files.

For the bundled examples and, when it exists, the real corpus: the body file
(--format bodyfile) goes through The Sleuth Kit's mactime and every dated
thing comes out under its name, the shortcut's path and target as the records
have them; the timeline (--format timeline) reads with Python's csv module,
with an RFC 3339 time in every row and the shortcuts' own times. The KAPE
module and the Velociraptor artifact parse as YAML with the keys their tools
need, and the command lines they hold run on the examples.

    timelines_test.py CLI EXAMPLES CORPUS FLEET   ($VARNLINK_CORPUS_DIR overrides CORPUS)
"""
import csv
import io
import json
import os
import re
import shlex
import shutil
import subprocess
import sys
import unittest
from datetime import datetime, timezone

import yaml

CLI, EXAMPLES, CORPUS, FLEET = sys.argv[1:5]
CORPUS = os.environ.get("VARNLINK_CORPUS_DIR", CORPUS)
RANGE = ("1980-01-01", "2100-01-01")
RFC3339 = re.compile(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ")
LF = "\u240a"  # how a body file writes an LF, which mactime cannot take


def run(*arguments):
    result = subprocess.run([CLI, *arguments], capture_output=True)
    return result.returncode, result.stdout.decode("utf-8"), result.stderr.decode("utf-8")


def folders():
    found = [EXAMPLES]
    if os.path.isdir(CORPUS):
        found.append(CORPUS)
    else:
        print(f"corpus {CORPUS} not found: the examples alone are checked", file=sys.stderr)
    return found


def records(folder):
    status, out, _ = run("--format", "jsonl", folder)
    assert status == 0
    return [json.loads(line) for line in out.splitlines()]


def seconds(iso):
    return int(datetime.strptime(iso[:19], "%Y-%m-%dT%H:%M:%S").replace(tzinfo=timezone.utc).timestamp())


class BodyFile(unittest.TestCase):
    def test_every_dated_thing_comes_out_of_mactime_under_its_name(self):
        if shutil.which("mactime") is None:
            self.skipTest("mactime not found (Debian: sleuthkit)")
        low, high = (seconds(day + "T00:00:00Z") for day in RANGE)
        for folder in folders():
            with self.subTest(folder=folder):
                status, body, _ = run("--format", "bodyfile", folder)
                self.assertEqual(status, 0)
                expected = set()  # (time, name): mactime makes one row of equal times
                for line in body.splitlines():
                    fields = line.split("|")
                    self.assertEqual(len(fields), 11, line)
                    name = re.sub(r"%([0-9A-F]{2})", lambda m: chr(int(m.group(1), 16)), fields[1])
                    times = {int(t) for t in fields[7:]} - {0}
                    self.assertTrue(times, f"a line without a time: {line}")
                    expected |= {(t, name) for t in times if low <= t < high + 86400}
                timeline = subprocess.run(
                    ["mactime", "-b", "-", "-d", "-y", "..".join(RANGE)], input=body.encode("utf-8"),
                    capture_output=True, check=True).stdout.decode("utf-8")
                rows = list(csv.reader(io.StringIO(timeline, newline="")))
                self.assertEqual(rows[0][0], "Date")
                came_out = {(seconds(row[0]), row[7]) for row in rows[1:]}
                self.assertEqual(came_out, expected)
                self.assertEqual(len(rows) - 1, len(expected))
                # The names are the records' own: the shortcut's path and its target.
                names = {name for _, name in came_out}
                for record in records(folder):
                    path = record["path"].replace("\n", LF)
                    if record["modified"]:
                        self.assertIn(path, names)
                    if record["target_modified"] and seconds(record["target_modified"]) >= low:
                        self.assertIn(path + " -> " + record["target"].replace("\n", LF), names)


class Timeline(unittest.TestCase):
    def test_reads_as_csv_with_a_time_in_every_row(self):
        for folder in folders():
            with self.subTest(folder=folder):
                status, out, _ = run("--format", "timeline", "--warn-suspicious", folder)
                self.assertEqual(status, 0)
                rows = list(csv.DictReader(io.StringIO(out, newline="")))
                self.assertEqual(list(rows[0])[:3], ["datetime", "timestamp_desc", "message"])
                for row in rows:
                    self.assertRegex(row["datetime"], RFC3339)
                    self.assertTrue(row["timestamp_desc"] and row["message"], row)
                # Each shortcut's own times, as its record has them.
                modified = {(r["path"], r["datetime"]) for r in rows
                            if r["timestamp_desc"] == "Shortcut Modified"}
                for record in records(folder):
                    if record["modified"]:
                        self.assertIn((record["path"], record["modified"]), modified)


class FleetFiles(unittest.TestCase):
    def load(self, name):
        with open(os.path.join(FLEET, name), encoding="utf-8") as f:
            return yaml.safe_load(f)

    def assert_runs(self, arguments, lines_are_json):
        status, out, err = run(*arguments)
        self.assertEqual(status, 0, err)
        if lines_are_json:
            self.assertTrue(all(json.loads(line) for line in out.splitlines()))
        else:
            self.assertEqual(next(csv.reader(io.StringIO(out)))[0], "path")

    def test_the_kape_module_runs_varnlink_cli_on_a_collected_tree(self):
        module = self.load("Varnlink.mkape")
        for key in ("Description", "Category", "Author", "Version", "Id", "ExportFormat"):
            self.assertIn(key, module)
        formats = []
        for processor in module["Processors"]:
            self.assertEqual(processor["Executable"], "varnlink-cli.exe")
            self.assertTrue(processor["ExportFile"])
            command = processor["CommandLine"].replace("%sourceDirectory%", EXAMPLES)
            arguments = shlex.split(command)
            formats.append(arguments[arguments.index("--format") + 1])
            self.assert_runs(arguments, formats[-1] == "jsonl")
        self.assertEqual(sorted(formats), ["csv", "jsonl"])

    def test_the_velociraptor_artifact_runs_varnlink_cli_on_the_users_folders(self):
        artifact = self.load("Custom.Windows.Varnlink.yaml")
        self.assertEqual(artifact["name"], "Custom.Windows.Varnlink")
        query = artifact["sources"][0]["query"]
        tool = re.search(r'FetchBinary\(ToolName="([^"]+)"\)', query).group(1)
        self.assertIn(tool, [t["name"] for t in artifact["tools"]])
        self.assertIn("parse_json(data=Stdout)", query)
        self.assertIn('sep="\\n"', query)
        longest = max(len(line) for folder in folders()
                      for line in run("--format", "jsonl", "--warn-suspicious", "--check-targets",
                                      folder)[1].splitlines())
        self.assertGreater(int(re.search(r"length=(\d+)", query).group(1)), 100 * longest)
        parameters = {p["name"]: p for p in artifact["parameters"]}
        globs = parameters["Folders"]["default"]
        for part in ("Desktop", "Start Menu", "Recent", "AutomaticDestinations", "CustomDestinations"):
            self.assertIn(part, globs)
        # The argv: the options the query writes out, those of every check
        # parameter, and the folders.
        argv = re.search(r"execve\(argv=\[[^,]+, ([^\]]*)\]", query).group(1)
        options = re.findall(r'"(--[a-z-]+|jsonl)"', argv)
        for check in ("WarnSuspicious", "CheckTargets"):
            self.assertEqual(parameters[check]["type"], "bool")
            options += re.findall(rf'condition={check}, then=\["(--[a-z-]+)"\]', query)
        self.assertEqual(options, ["--format", "jsonl", "--warn-suspicious", "--check-targets"])
        self.assert_runs([*options, EXAMPLES], True)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
