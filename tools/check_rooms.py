#!/usr/bin/env python3
"""Checks that src/ keeps its rooms: every include of a project header runs
down the house (or stays in its room), never up, and no front end includes
another's. Prints each include that runs the wrong way; exit 1 if any.

    check_rooms.py SRC_DIR
"""
import os
import re
import sys

# Bottom to top; a room may include its own headers and any room below it.
ROOMS = ["text", "platform", "lnk", "checks", "report", "audit", "window", "app"]


def room_of(path):
    """The room of a path relative to src/ ("app/cli" for a front end)."""
    parts = path.split("/")
    if parts[0] == "app":
        return "/".join(parts[:2])
    return parts[0]


def rank(room):
    return ROOMS.index(room.split("/")[0])


def main(src):
    wrong = []
    include = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
    for folder, _, names in os.walk(src):
        for name in names:
            if not name.endswith((".h", ".cpp", ".h.in")):
                continue
            path = os.path.relpath(os.path.join(folder, name), src).replace(os.sep, "/")
            here = room_of(path)
            if here.split("/")[0] not in ROOMS:
                wrong.append(f"{path}: in no room of the house")
                continue
            with open(os.path.join(folder, name), encoding="utf-8") as f:
                text = f.read()
            for header in include.findall(text):
                if not os.path.exists(os.path.join(src, header)):
                    continue  # generated (varnlink/version.h) or a test's own
                there = room_of(header)
                if there.split("/")[0] not in ROOMS:
                    continue
                up = rank(there) > rank(here)
                sibling = there != here and there.startswith("app/") and here.startswith("app/")
                if up or sibling:
                    wrong.append(f"{path}: includes {header}, which {'a sibling front end holds' if sibling else 'lies above ' + here}")
    for line in wrong:
        print(line)
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
