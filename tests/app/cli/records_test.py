#!/usr/bin/env python3
"""varnlink-cli's records against the text report, the schema and a CSV reader.

For the bundled examples and, when it exists, the real corpus, both duplicate
warnings on: the JSON Lines records validate against docs/record.schema.json
(jsonschema, Draft 2020-12); Python's csv module reads the CSV (and the Excel
form) to the same values; the details (--format details) hold every value of
each record; and each record agrees with its entry of the text report, which
is made with TZ=UTC while the records are made in a zone far from it, so the
records' times must be UTC.

And the real jump lists, when they exist: every shortcut they keep is a record
in the schema, located at "<jump list>#<stream>", with what independent readers
found in its DestList or category (their expected.jsonl).

    records_test.py CLI SCHEMA EXAMPLES CORPUS JUMPLISTS
    ($VARNLINK_CORPUS_DIR overrides CORPUS, $VARNLINK_JUMPLIST_DIR JUMPLISTS)
"""
import collections
import csv
import hashlib
import io
import json
import os
import re
import subprocess
import sys
import time
import unittest

import jsonschema

CLI, SCHEMA, EXAMPLES, CORPUS, JUMPLISTS = sys.argv[1:6]
CORPUS = os.environ.get("VARNLINK_CORPUS_DIR", CORPUS)  # as the C++ corpus tests take it
JUMPLISTS = os.environ.get("VARNLINK_JUMPLIST_DIR", JUMPLISTS)
WARNINGS = ["--warn-duplicates", "--warn-duplicate-arguments"]
FAR_ZONE = "XST-5:45"  # UTC+5:45, a POSIX zone that needs no time-zone data
LARGEST = CORPUS if os.path.isdir(CORPUS) else EXAMPLES
SHORTCUTS = {EXAMPLES: 8, CORPUS: 664}  # every one audited, none passed over
MONTHS = ["January", "February", "March", "April", "May", "June", "July", "August",
          "September", "October", "November", "December"]


def run(arguments, zone):
    result = subprocess.run([CLI, *arguments], capture_output=True, env=dict(os.environ, TZ=zone))
    return result.returncode, result.stdout, result.stderr.decode("utf-8")


def read_untouched(path):
    """The file's bytes, read without moving its access time where the system lets us."""
    try:
        fd = os.open(path, os.O_RDONLY | os.O_NOATIME)
    except PermissionError:
        fd = os.open(path, os.O_RDONLY)
    with os.fdopen(fd, "rb") as f:
        return f.read()


def shown(text):
    """Text as the report shows it: control and layout characters as "?"."""
    def mask(c):
        cp = ord(c)
        if cp < 0x20 or 0x7F <= cp <= 0x9F or cp in (0x2028, 0x2029) or \
                0x202A <= cp <= 0x202E or 0x2066 <= cp <= 0x2069:
            return "?"
        return c
    return "".join(mask(c) for c in text)


def report_entries(report):
    """The text report's entries: their lines by label, and the marker paths."""
    lines = report.split("\r\n")
    entries, i = [], 0
    while i < len(lines) - 1:
        entry = {"duplicate_target_of": None, "duplicate_arguments_of": None}
        while lines[i].startswith("*** DUPLICATE TARGET "):
            key = "duplicate_arguments_of" if "PARAMETER" in lines[i] else "duplicate_target_of"
            entry[key] = re.fullmatch(r"\(duplicate located at (.*)\)", lines[i + 1]).group(1)
            i += 2
        entry["lines"] = lines[i:i + 8]
        assert lines[i + 8] == "", "an entry ends with an empty line"
        entries.append(entry)
        i += 9
    return entries


def report_time(iso, with_time=True):
    """An ISO 8601 UTC time as the report shows it with TZ=UTC."""
    year, month, day, hour, minute, second = re.fullmatch(
        r"(\d+)-(\d\d)-(\d\d)T(\d\d):(\d\d):(\d\d)Z", iso).groups()
    text = "%s %s %s   " % (day, MONTHS[int(month) - 1], year)
    return text + ("%s:%s:%s" % (hour, minute, second) if with_time else "")


def found(count):
    return "%d Shortcut%s Found\n" % (count, "" if count == 1 else "s")


# Fields whose CSV value is their JSON text (objects and lists of objects).
JSON_TEXT_FIELDS = {"declared_strings", "shell_items", "property_store"}


def csv_text(name, value):
    if value is None:
        return ""
    if isinstance(value, bool):
        return "true" if value else "false"
    if name in JSON_TEXT_FIELDS:
        return json.dumps(value, ensure_ascii=False, separators=(",", ":"))
    if name == "suspicious":
        return ";".join(found["check"] for found in value)
    if isinstance(value, list):  # names, joined
        return ";".join(value)
    return str(value)


DETAILS_HEADINGS = {"File", "Header", "Link info", "Strings", "Target", "ID list", "Extra data",
                    "Property store", "Checks"}


def details_text(value):
    """A value as the details write it."""
    if isinstance(value, bool):
        return "yes" if value else "no"
    return shown(str(value))


def details_values(name, value):
    """The line values a record field's value gives in the details."""
    if name == "suspicious":
        return [shown(f["check"]) + ": " + shown(f["reason"]) for f in value] or ["none"]
    if name == "declared_strings":
        return [shown(text) for text in value.values()]
    if isinstance(value, list):
        return [", ".join(shown(v) for v in value) or "none"]
    return [details_text(value)]


class Records(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with open(SCHEMA, encoding="utf-8") as f:
            schema = json.load(f)
        jsonschema.Draft202012Validator.check_schema(schema)
        cls.validator = jsonschema.Draft202012Validator(schema)
        cls.field_names = list(schema["properties"])

    def records(self, folder, *options):
        """The JSON Lines records of `folder`, each checked against the schema; and stderr."""
        code, out, err = run(["--format", "jsonl", *options, folder], FAR_ZONE)
        self.assertEqual(code, 0, err)
        self.assertNotIn(b"\r", out, "JSON Lines end with LF alone")
        records = [json.loads(line) for line in out.decode("utf-8").split("\n")[:-1]]
        self.assertEqual(len(records), SHORTCUTS[folder])
        for record in records:
            with self.subTest(path=record["path"]):
                self.assertEqual(list(record), self.field_names, "every field, in the schema's order")
                self.assertEqual([e.message for e in self.validator.iter_errors(record)], [])
                if record["error"] is None:
                    self.assertEqual(record["sha256"], hashlib.sha256(read_untouched(record["path"])).hexdigest())
        return records, err

    def check_folder(self, folder):
        records, err = self.records(folder, *WARNINGS)
        self.assertEqual(err, found(len(records)))
        self.check_csv(folder, records)
        self.check_report(folder, records)
        self.check_details(folder, records)

    def check_csv(self, folder, records):
        code, out, err = run(["--format", "csv", *WARNINGS, folder], FAR_ZONE)
        self.assertEqual(code, 0, err)
        rows = list(csv.reader(io.StringIO(out.decode("utf-8"), newline=""), strict=True))
        self.assertEqual(rows[0], self.field_names)
        self.assertEqual(len(rows) - 1, len(records))
        self.assertTrue(out.endswith(b"\r\n"))
        code, excel_out, err = run(["--csv-excel", *WARNINGS, folder], FAR_ZONE)
        self.assertEqual(code, 0, err)
        self.assertTrue(excel_out.startswith(b"\xef\xbb\xbf"))
        excel_rows = list(csv.reader(io.StringIO(excel_out.decode("utf-8-sig"), newline=""), strict=True))
        self.assertEqual(len(excel_rows), len(rows))
        for record, row, excel_row in zip(records, rows[1:], excel_rows[1:]):
            with self.subTest(path=record["path"]):
                row, excel_row = (self.settled(r, csv_text("accessed", record["accessed"])) for r in (row, excel_row))
                self.assertEqual(row, [csv_text(name, record[name]) for name in self.field_names])
                for name, value, excel_value in zip(self.field_names, row, excel_row):
                    # A negative number (icon_index) is a number to Excel, not a formula.
                    formula = value[:1] in ("=", "+", "-", "@", "\t", "\r") and not isinstance(record[name], int)
                    self.assertEqual(excel_value, "'" + value if formula else value)

    def settled(self, row, accessed):
        """The row with the shortcut's own access time set to the record's. That time is
        the one field another reader of the folder (a test running beside this one) may
        move on between two runs; it may only move forward."""
        column = self.field_names.index("accessed")
        self.assertGreaterEqual(row[column], accessed)
        return row[:column] + [accessed] + row[column + 1:]

    def check_report(self, folder, records):
        code, out, err = run([*WARNINGS, folder], "UTC")
        self.assertEqual(code, 0, err)
        self.assertTrue(err.endswith(found(len(records))), err)
        entries = report_entries(out.decode("utf-8"))
        self.assertEqual(len(entries), len(records))
        for record, entry in zip(records, entries):
            with self.subTest(path=record["path"]):
                name, location, target, start_in, icon, length, flags, times = entry["lines"]
                self.assertEqual(name, "SHORTCUT NAME:   " + shown(record["name"]))
                self.assertEqual(location, "LOCATION:   " + shown(record["path"]))
                target_line = shown(record["target"] or "")
                if record["arguments"] is not None:
                    target_line += " " + shown(record["arguments"])
                self.assertEqual(target, "TARGET:   " + target_line)
                self.assertEqual(start_in, "START IN:    " if record["start_in"] is None
                                 else "START IN:   " + shown(record["start_in"]))
                self.assertEqual(icon, "ICON SOURCE:   " + shown(record["target"] or "")
                                 if record["icon_location"] is None
                                 else "ICON SOURCE:    " + shown(record["icon_location"]))
                self.assertTrue(length.startswith("LENGTH:   %d bytes " % record["size"]), length)
                key = "(none)" if record["hot_key"] is None else shown(record["hot_key"])
                self.assertIn("SHORTCUT KEY:   " + key, length)
                self.assertEqual(length.endswith("RUN:   " + (record["run"] or "")), record["run"] is not None)
                for label, field in (("READ ONLY", "read_only"), ("ARCHIVE", "archive"), ("HIDDEN", "hidden")):
                    self.assertIn("%s:   %s " % (label, record[field]), flags)
                times, accessed = times.split("     ACCESSED:   ")
                self.assertEqual(times, "CREATED:   %s     MODIFIED:   %s" % (
                    report_time(record["created"]), report_time(record["modified"])))
                self.assertIn(accessed, (report_time(record["accessed"], False),
                                         report_time(time.strftime("%Y-%m-%dT%H:%M:%SZ", time.gmtime()), False)),
                              "the access time as recorded, or moved on to today by another reader")
                for field in ("duplicate_target_of", "duplicate_arguments_of"):
                    expected = record[field] if record[field] is None else shown(record[field])
                    self.assertEqual(entry[field], expected, field)

    def check_details(self, folder, records):
        """Every value of each record stands in the details of the same run, the
        shortcut's own text masked, and every line is a heading or indented."""
        code, out, err = run(["--format", "details", *WARNINGS, folder], FAR_ZONE)
        self.assertEqual(code, 0, err)
        self.assertEqual(err, found(len(records)))
        self.assertNotIn(b"\r", out, "details end lines with LF alone")
        shortcuts = out.decode("utf-8").rstrip("\n").split("\n\n")
        self.assertEqual(len(shortcuts), len(records))
        for record, text in zip(records, shortcuts):
            with self.subTest(path=record["path"]):
                lines = text.split("\n")
                self.assertEqual(lines[:2], ["File", "  Path: " + shown(record["path"])])
                for line in lines:
                    self.assertTrue(line in DETAILS_HEADINGS or line.startswith("  "), line)
                values = [line.split(": ", 1)[1] if ": " in line else "" for line in lines]
                for name, value in record.items():
                    if value is None or name in ("accessed", "shell_items", "property_store"):
                        continue  # the access time may move on between runs; the lists below
                    for expected in details_values(name, value):
                        self.assertIn(expected, values, name)
                starts = [i for i, line in enumerate(lines) if line.startswith("  Item ")]
                items = record["shell_items"] or []
                self.assertEqual([lines[i] for i in starts],
                                 ["  Item %d: %s" % (n + 1, shown(item["type"])) for n, item in enumerate(items)])
                for start, item in zip(starts, items):
                    block = []
                    for line in lines[start + 1:]:
                        if not line.startswith("    "):
                            break
                        block.append(line.split(": ", 1)[1])
                    self.assertEqual(block, [details_text(value) for key, value in item.items()
                                             if key != "type" and value is not None])
                properties = []
                for line in lines[lines.index("Property store") + 1:] if "Property store" in lines else []:
                    if not line.startswith("  "):
                        break
                    properties.append(line)
                self.assertEqual(len(properties), len(record["property_store"] or []))
                for line, prop in zip(properties, record["property_store"] or []):
                    label = prop.get("name") or "%s/%s" % (prop["format_id"], prop["id"])
                    shown_value = "" if prop["value"] is None else ": " + details_text(prop["value"])
                    self.assertEqual(line, "  %s (%s)%s" % (shown(label), prop["type"], shown_value))

    def test_the_target_checks_fields(self):
        records, err = self.records(LARGEST, "--map", "C:=" + EXAMPLES)
        self.assertRegex(err, r"^Targets not found: \d+; not checked: \d+\n" + found(len(records)) + "$")
        for record in records:
            self.assertEqual(record["target_status_reason"] is None,
                             record["target_status"] != "not_checked", record["path"])
        self.assertLessEqual({"missing", "not_checked"}, {r["target_status"] for r in records})

    def test_the_suspicious_shortcut_fields(self):
        records, err = self.records(LARGEST, "--warn-suspicious")
        self.assertEqual(err, "Suspicious shortcuts: 0\n" + found(len(records)))
        for record in records:
            self.assertEqual(record["suspicious"], [], "no real shortcut is suspicious: " + record["path"])
            self.assertIsInstance(record["runs"], str, record["path"])

    def test_the_real_jump_lists(self):
        expected_file = os.path.join(JUMPLISTS, "expected.jsonl")
        if not os.path.isfile(expected_file):
            self.skipTest("no jump lists at %s (set VARNLINK_JUMPLIST_DIR)" % JUMPLISTS)
        code, out, err = run(["--format", "jsonl", "--jump-lists", JUMPLISTS], FAR_ZONE)
        self.assertEqual(code, 0, err)
        records = {}
        for line in out.decode("utf-8").split("\n")[:-1]:
            record = json.loads(line)
            self.assertEqual([e.message for e in self.validator.iter_errors(record)], [])
            records[record["path"]] = record
        with open(expected_file, encoding="utf-8") as f:
            rows = [json.loads(line) for line in f if line.strip()]
        self.assertEqual(len(records), len(rows), "one record for each shortcut, no other")
        categories = {"tasks": "Tasks"}
        in_categories = collections.Counter(r["file"] for r in rows if r["type"] == "custom")
        for row in rows:
            # Shortcuts after a custom list's last category go on counting its shortcuts.
            place = row["stream"] if row["type"] != "custom_trailing" else \
                in_categories[row["file"]] + row["index_after_categories"]
            container, stream = os.path.join(JUMPLISTS, row["file"]), str(place)
            with self.subTest(path=container + "#" + stream):
                record = records[container + "#" + stream]
                self.assertIsNone(record["error"])
                self.assertEqual((record["container"], record["stream"], record["size"]),
                                 (container, stream, row["stream_size"]))
                self.assertEqual(record["app_id"], os.path.basename(row["file"]).split(".")[0])
                if row["type"] == "automatic":
                    self.assertEqual(
                        [record[k] for k in ("entry_number", "mru_position", "last_used",
                                             "access_count", "pinned", "hostname")],
                        [row["entry_number"], row["mru_position"], row["last_access"],
                         row["access_count"], row["pinned"], row["hostname"]])
                else:
                    name = row.get("category_name") or categories.get(row.get("category_type_name"))
                    self.assertEqual((record["category"], record["entry_number"]), (name, None))

    def test_the_examples(self):
        self.check_folder(EXAMPLES)

    def test_the_real_corpus(self):
        if LARGEST != CORPUS:
            self.skipTest(CORPUS + ": real shortcut corpus not found")
        self.check_folder(CORPUS)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1] + sys.argv[6:], verbosity=2)
