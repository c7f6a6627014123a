#!/usr/bin/env python3
"""Compares two folders of simulator request logs, log by log.

The tests keep them when ZEMBLE_KEEP_REQUEST_LOGS names a folder.  What
changes from run to run is masked first: the ports the system picked, the
session cookie, the login form's one-time tokens and the Content-Length that
follows from their encoded length.  Prints the figures and a diff of each log
that differs; exits with 1 when any log differs or is kept by one run only.
A log that holds the same requests in another order (programs run at once
against one simulator) is counted apart and does not count as differing.

    tools/compare_request_logs.py [--renamed OLD=NEW ...] BEFORE_DIR AFTER_DIR

--renamed pairs the logs of a test program that was renamed between the two
runs: a log name starting with OLD in BEFORE_DIR is compared with the one
starting with NEW instead.
"""

import difflib
import json
import pathlib
import re
import sys

PORT = re.compile(r"(localhost|127\.0\.0\.1)(:|%3A|%253A)\d+", re.IGNORECASE)
TOKEN = re.compile(r"((?:mID|mAT|QE3)(?:=|%3D|%253D))(.*?)(?=&|%26|%2526|$)")
COOKIE_VALUE = re.compile(r"=[^;]*")


def masked_text(text):
    return TOKEN.sub(r"\1<token>", PORT.sub(r"\1\2<port>", text))


def masked_request(line):
    request = json.loads(line)
    headers = []
    for name, value in request.get("headers", []):
        if name.lower() == "cookie":
            value = COOKIE_VALUE.sub("=<cookie>", value)
        elif name.lower() == "content-length":
            value = "<length>"
        headers.append([name, masked_text(value)])
    request["headers"] = headers
    for field in ("path", "query", "body"):
        if isinstance(request.get(field), str):
            request[field] = masked_text(request[field])
    return json.dumps(request, sort_keys=True, ensure_ascii=False)


def masked_log(path):
    lines = path.read_text(encoding="utf-8", errors="replace").splitlines()
    return [masked_request(line) for line in lines if line.strip()]


def main(argv):
    args = argv[1:]
    renamed = []
    while len(args) >= 2 and args[0] == "--renamed" and "=" in args[1]:
        renamed.append(tuple(args[1].split("=", 1)))
        args = args[2:]
    if len(args) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    before, after = (pathlib.Path(a) for a in args)

    def new_name(name):
        for old, new in renamed:
            if name.startswith(old + "-"):
                return new + name[len(old):]
        return name

    # Each log of the first run under the name it has in the second.
    first = {new_name(p.name): p for p in before.glob("*.jsonl")}
    names_before = set(first)
    names_after = {p.name for p in after.glob("*.jsonl")}
    common = sorted(names_before & names_after)
    differing = []
    reordered = []
    requests = 0
    for name in common:
        old, new = masked_log(first[name]), masked_log(after / name)
        requests += len(old)
        if old != new and sorted(old) == sorted(new):
            # The same requests in another order: tests that run several
            # programs at once against one simulator.
            reordered.append(name)
        elif old != new:
            differing.append(name)
            sys.stdout.writelines(
                line + "\n"
                for line in difflib.unified_diff(old, new, str(first[name]), str(after / name),
                                                 lineterm=""))
    for name in sorted(names_before - names_after):
        print(f"only in {before}: {name}")
    for name in sorted(names_after - names_before):
        print(f"only in {after}: {name}")
    print(f"logs before: {len(names_before)}, after: {len(names_after)}, "
          f"compared: {len(common)} ({requests} requests), differing: {len(differing)}, "
          f"same requests in another order: {len(reordered)}")
    for name in reordered:
        print(f"in another order: {name}")
    same = not differing and names_before == names_after
    print("identical: " + ("yes" if same else "no"))
    return 0 if same else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
