#!/usr/bin/env python3
"""Holds the far end of COM1 for com_port_test.exe under Wine.

COM1 of the build's Wine prefix is mapped to a stable symlink in the build
folder, which points at the slave of a pty this process keeps open for the
whole run. The program writes BLOCK_FROM_PROGRAM; once all of it has arrived
intact this side answers with BLOCK_TO_PROGRAM, which the program checks.
"""

import argparse
import os
import pty
import select
import subprocess
import sys
import threading
import time
import tty

# The same blocks as in com_port_test.cpp.
BLOCK_FROM_PROGRAM = bytes((i * 131 + 17) & 0xFF for i in range(4096))
BLOCK_TO_PROGRAM = bytes((255 - i * 37 - i // 256) & 0xFF for i in range(5120))

PORTS_KEY = r"HKLM\Software\Wine\Ports"
RUN_TIMEOUT = 240
EXCHANGE_TIMEOUT = 180


def first_difference(a, b):
    for i, (x, y) in enumerate(zip(a, b)):
        if x != y:
            return i
    return min(len(a), len(b))


class Peer(threading.Thread):
    def __init__(self, master):
        super().__init__(daemon=True)
        self.master = master
        self.received = bytearray()
        self.error = None
        self.sent = 0
        self.stop = threading.Event()

    def run(self):
        try:
            self.converse()
        except Exception as exc:  # reported by the main thread
            self.error = f"peer failed: {exc!r}"

    def converse(self):
        deadline = time.monotonic() + EXCHANGE_TIMEOUT
        want = len(BLOCK_FROM_PROGRAM)
        while len(self.received) < want:
            if self.stop.is_set():
                return
            if time.monotonic() > deadline:
                self.error = f"received {len(self.received)} of {want} bytes before the deadline"
                return
            ready, _, _ = select.select([self.master], [], [], 0.2)
            if ready:
                self.received += os.read(self.master, 65536)
        if bytes(self.received[:want]) != BLOCK_FROM_PROGRAM:
            at = first_difference(self.received, BLOCK_FROM_PROGRAM)
            self.error = (f"the program's block differs at offset {at}: got "
                          f"0x{self.received[at]:02x}, expected 0x{BLOCK_FROM_PROGRAM[at]:02x}")
            return
        del self.received[:want]
        view = memoryview(BLOCK_TO_PROGRAM)
        while self.sent < len(view):
            if self.stop.is_set() or time.monotonic() > deadline:
                self.error = f"sent only {self.sent} of {len(view)} bytes"
                return
            _, writable, _ = select.select([], [self.master], [], 0.2)
            if writable:
                self.sent += os.write(self.master, view[self.sent:self.sent + 1024])


def wine(args, build_dir, *command, **kwargs):
    return subprocess.run([args.wine_run, "--build-dir", build_dir, *command],
                          stdin=subprocess.DEVNULL, **kwargs)


def map_com1(args, build_dir, link):
    """Points COM1 of the prefix at `link`. Wine reads the mapping only when its
    services start, so after a change the prefix's processes must end first.
    The link's path is stable, so this happens once per build folder."""
    system_reg = os.path.join(build_dir, "wineprefix", "system.reg")
    wanted = '"COM1"="' + link.replace("\\", "\\\\") + '"'
    try:
        with open(system_reg, encoding="utf-8", errors="replace") as f:
            if wanted in f.read():
                return
    except FileNotFoundError:
        pass
    wine(args, build_dir, "reg", "add", PORTS_KEY, "/v", "COM1", "/d", link, "/f",
         check=True, stdout=subprocess.DEVNULL)
    subprocess.run([args.wine_run, "--build-dir", build_dir, "--wait-idle"],
                   stdin=subprocess.DEVNULL, check=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--wine-run", required=True, help="scripts/wine-run")
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--exe", required=True, help="com_port_test.exe")
    args, gtest_args = parser.parse_known_args()
    build_dir = os.path.abspath(args.build_dir)

    master, slave = pty.openpty()
    tty.setraw(slave)
    link = os.path.join(build_dir, "com1-pty")
    temporary = link + ".new"
    if os.path.lexists(temporary):
        os.unlink(temporary)
    os.symlink(os.ttyname(slave), temporary)
    os.replace(temporary, link)

    map_com1(args, build_dir, link)

    peer = Peer(master)
    peer.start()
    try:
        program = wine(args, build_dir, args.exe, *gtest_args, timeout=RUN_TIMEOUT)
        status = program.returncode
    except subprocess.TimeoutExpired:
        print(f"com_port_driver: the program did not finish in {RUN_TIMEOUT} s", file=sys.stderr)
        status = 1
    peer.stop.set()
    peer.join(5)

    # Anything the program sent beyond its block would be an echo or a stray write.
    time.sleep(0.1)
    while select.select([master], [], [], 0)[0]:
        peer.received += os.read(master, 65536)

    failures = []
    if peer.error:
        failures.append(peer.error)
    elif peer.sent != len(BLOCK_TO_PROGRAM):
        failures.append(f"sent {peer.sent} of {len(BLOCK_TO_PROGRAM)} bytes")
    if peer.received:
        failures.append(f"{len(peer.received)} unexpected bytes from the program")
    if status != 0:
        failures.append(f"com_port_test exited with {status}")
    for failure in failures:
        print(f"com_port_driver: {failure}", file=sys.stderr)
    if not failures:
        print(f"com_port_driver: {len(BLOCK_FROM_PROGRAM)} bytes out and "
              f"{len(BLOCK_TO_PROGRAM)} bytes in, intact")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
