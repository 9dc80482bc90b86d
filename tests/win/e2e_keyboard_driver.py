#!/usr/bin/env python3
"""End to end for the keyboard: palvex32's main window on COM1 as a VT220, a
host on the other end of a pty.

e2e_keyboard_test.exe opens the real main window and connects directly to
COM1, loading the installed palvex.kbd. This driver is the host: when the
program greets it with "READY" it sends ESC [ ? 1 h (cursor keys in
application mode) and waits for the Up key the program then presses, which
must arrive as ESC O A; then it sends ESC SP G (8-bit controls), and Up must
arrive as 0x8F A. After each key it writes "GOT" and the bytes in hex to the
screen, and "BYE" at the end, which makes the program hang up. Both the
program's GoogleTest report (result.xml) and the bytes seen here decide the
outcome.
"""

import argparse
import os
import pty
import select
import shutil
import subprocess
import sys
import threading
import time
import tty
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from com_port_driver import map_com1  # noqa: E402

RUN_TIMEOUT = 240
ESC = b"\x1b"

# What the host sends, and the bytes the Up key must come back as.
STEPS = [
    (ESC + b"[?1h", ESC + b"OA"),
    (ESC + b" G", b"\x8fA"),
]


def read_until(master, wanted, deadline):
    received = b""
    while wanted(received) is None and time.monotonic() < deadline:
        if select.select([master], [], [], 0.1)[0]:
            try:
                received += os.read(master, 4096)
            except OSError:
                break
    return received


def host(master, outcome):
    """Greeting in, the two modes out, one key back for each."""
    try:
        deadline = time.monotonic() + RUN_TIMEOUT
        greeting = read_until(master, lambda got: True if b"READY\r" in got else None, deadline)
        if b"READY\r" not in greeting:
            outcome["error"] = f"no greeting from the program (got {greeting!r})"
            return
        for sent, expected in STEPS:
            os.write(master, sent)
            got = read_until(master, lambda got, n=len(expected): True if len(got) >= n else None,
                             min(deadline, time.monotonic() + 60))
            outcome.setdefault("keys", []).append(got)
            if got != expected:
                outcome["error"] = f"after {sent!r} Up sent {got!r}, expected {expected!r}"
            os.write(master, b"\r\nGOT " + " ".join(f"{b:02X}" for b in got).encode() + b"\r\n")
        os.write(master, b"BYE\r\n")
        # Drain whatever else comes until the program lets go of the port.
        read_until(master, lambda got: None, min(deadline, time.monotonic() + 2))
    except Exception as exc:  # reported by the main thread
        outcome["error"] = f"host failed: {exc!r}"


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def failures_in(report):
    try:
        cases = list(ET.parse(report).getroot().iter("testcase"))
    except (OSError, ET.ParseError) as exc:
        return [f"no test report ({exc})"]
    found = [f"{c.get('name')}: {f.get('message', '').strip()}" for c in cases for f in c.findall("failure")]
    return found if cases else ["the report lists no test"]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--wine-run", required=True, help="scripts/wine-run")
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--exe", required=True, help="e2e_keyboard_test.exe")
    parser.add_argument("--out-dir", required=True, help="exchange folder")
    args = parser.parse_args()
    build_dir, exchange = os.path.abspath(args.build_dir), os.path.abspath(args.out_dir)
    shutil.rmtree(exchange, ignore_errors=True)
    os.makedirs(exchange)

    # COM1 is the slave of a pty this process holds, through a stable link.
    master, slave = pty.openpty()
    tty.setraw(slave)
    link = os.path.join(build_dir, "com1-pty")
    if os.path.lexists(link + ".new"):
        os.unlink(link + ".new")
    os.symlink(os.ttyname(slave), link + ".new")
    os.replace(link + ".new", link)
    map_com1(args, build_dir, link)

    outcome = {}
    peer = threading.Thread(target=host, args=(master, outcome), daemon=True)
    peer.start()
    report = os.path.join(exchange, "result.xml")
    command = [args.wine_run, "--build-dir", build_dir, args.exe, f"--gtest_output=xml:{windows_path(report)}"]
    env = dict(os.environ, PALVEX_E2E_DIR=exchange)
    env.pop("DISPLAY", None)  # wine-run starts a private Xvfb
    try:
        subprocess.run(command, stdin=subprocess.DEVNULL, env=env, timeout=RUN_TIMEOUT)
    except subprocess.TimeoutExpired:
        outcome["error"] = f"the program did not finish in {RUN_TIMEOUT} s"
    peer.join(5)

    problems = failures_in(report) + ([outcome["error"]] if "error" in outcome else [])
    if len(outcome.get("keys", [])) != len(STEPS):
        problems.append(f"the host saw {len(outcome.get('keys', []))} of {len(STEPS)} keys")
    for problem in problems:
        print(f"e2e_keyboard_driver: {problem}", file=sys.stderr)
    if not problems:
        print("e2e_keyboard_driver: Up arrived as " + " then ".join(repr(k) for k in outcome["keys"]))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
