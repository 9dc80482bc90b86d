#!/usr/bin/env python3
"""Holds the far end of COM1 (a pty) for com_port_test.exe under Wine. The
program writes BLOCK_FROM_PROGRAM; once all of it has arrived intact this side
answers with BLOCK_TO_PROGRAM, which the program checks."""

import os
import select
import subprocess
import sys
import threading
import time

import e2e_support as e2e

# The same blocks as in com_port_test.cpp.
BLOCK_FROM_PROGRAM = bytes((i * 131 + 17) & 0xFF for i in range(4096))
BLOCK_TO_PROGRAM = bytes((255 - i * 37 - i // 256) & 0xFF for i in range(5120))


def converse(master, peer, stop):
    deadline = time.monotonic() + 180
    want = len(BLOCK_FROM_PROGRAM)
    while len(peer["received"]) < want:
        if stop.is_set() or time.monotonic() > deadline:
            peer["error"] = f"received {len(peer['received'])} of {want} bytes"
            return
        if select.select([master], [], [], 0.2)[0]:
            peer["received"] += os.read(master, 65536)
    got = bytes(peer["received"][:want])
    if got != BLOCK_FROM_PROGRAM:
        at = next(i for i, (x, y) in enumerate(zip(got, BLOCK_FROM_PROGRAM)) if x != y)
        peer["error"] = f"the program's block differs at offset {at}"
        return
    del peer["received"][:want]
    while peer["sent"] < len(BLOCK_TO_PROGRAM):
        if stop.is_set() or time.monotonic() > deadline:
            peer["error"] = f"sent only {peer['sent']} of {len(BLOCK_TO_PROGRAM)} bytes"
            return
        if select.select([], [master], [], 0.2)[1]:
            peer["sent"] += os.write(master, BLOCK_TO_PROGRAM[peer["sent"]:peer["sent"] + 1024])


def main():
    args, gtest_args = e2e.parser_for(__doc__, out_dir=False).parse_known_args()
    build_dir = os.path.abspath(args.build_dir)
    master = e2e.pty_on_com1(args, build_dir)
    peer, stop = {"received": bytearray(), "sent": 0, "error": None}, threading.Event()
    thread = threading.Thread(target=converse, args=(master, peer, stop), daemon=True)
    thread.start()
    problems = []
    try:
        status = e2e.wine(args, build_dir, args.exe, *gtest_args, timeout=e2e.RUN_TIMEOUT).returncode
        if status != 0:
            problems.append(f"com_port_test exited with {status}")
    except subprocess.TimeoutExpired:
        problems.append(f"the program did not finish in {e2e.RUN_TIMEOUT} s")
    stop.set()
    thread.join(5)
    # Anything the program sent beyond its block would be an echo or a stray write.
    time.sleep(0.1)
    while select.select([master], [], [], 0)[0]:
        peer["received"] += os.read(master, 65536)
    if peer["error"]:
        problems.append(peer["error"])
    if peer["received"]:
        problems.append(f"{len(peer['received'])} unexpected bytes from the program")
    return e2e.finish("com_port_driver", problems, "both blocks crossed COM1 intact")


if __name__ == "__main__":
    sys.exit(main())
