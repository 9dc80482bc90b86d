#!/usr/bin/env python3
"""End to end for the keyboard: the host behind COM1 of palvex32 as a VT220.
After the program's "READY" it sets each key mode of STEPS, reads the Up the
program presses, and writes "GOT" and its bytes in hex back; "BYE" ends it."""

import os
import select
import sys
import threading
import time

import e2e_support as e2e
from e2e_support import RUN_TIMEOUT

ESC = b"\x1b"

# What the host sends, and the bytes the Up key must come back as.
STEPS = [(ESC + b"[?1h", ESC + b"OA"), (ESC + b" G", b"\x8fA")]


def read_until(master, done, deadline):
    received = b""
    while not done(received) and time.monotonic() < deadline:
        if select.select([master], [], [], 0.1)[0]:
            try:
                received += os.read(master, 4096)
            except OSError:
                break
    return received


def host(master, outcome):
    try:
        deadline = time.monotonic() + RUN_TIMEOUT
        greeting = read_until(master, lambda got: b"READY\r" in got, deadline)
        if b"READY\r" not in greeting:
            outcome["error"] = f"no greeting from the program (got {greeting!r})"
            return
        for sent, expected in STEPS:
            os.write(master, sent)
            got = read_until(master, lambda got, n=len(expected): len(got) >= n, min(deadline, time.monotonic() + 60))
            outcome.setdefault("keys", []).append(got)
            if got != expected:
                outcome["error"] = f"after {sent!r} Up sent {got!r}, expected {expected!r}"
            os.write(master, b"\r\nGOT " + " ".join(f"{b:02X}" for b in got).encode() + b"\r\n")
        os.write(master, b"BYE\r\n")
        # Drain whatever else comes until the program lets go of the port.
        read_until(master, lambda got: False, min(deadline, time.monotonic() + 2))
    except Exception as exc:  # reported by the main thread
        outcome["error"] = f"host failed: {exc!r}"


def main():
    args = e2e.parser_for(__doc__).parse_args()
    build_dir, exchange = e2e.fresh_exchange(args)
    master = e2e.pty_on_com1(args, build_dir)

    outcome = {}
    peer = threading.Thread(target=host, args=(master, outcome), daemon=True)
    peer.start()
    report = os.path.join(exchange, "result.xml")
    error = e2e.run_program(args, build_dir, exchange, report)
    if error:
        outcome["error"] = error
    peer.join(5)

    problems = e2e.report_cases(report)[1] + ([outcome["error"]] if "error" in outcome else [])
    keys = outcome.get("keys", [])
    if len(keys) != len(STEPS):
        problems.append(f"the host saw {len(keys)} of {len(STEPS)} keys")
    return e2e.finish("e2e_keyboard_driver", problems, "Up arrived as " + " then ".join(repr(k) for k in keys))


if __name__ == "__main__":
    sys.exit(main())
