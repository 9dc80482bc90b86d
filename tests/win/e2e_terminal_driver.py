#!/usr/bin/env python3
"""End to end: palvex32's main window on COM1, a host on the other end of a pty.

The test program (e2e_terminal_test.exe) opens the real main window inside a
Wine desktop on a private Xvfb and starts a direct connection to COM1, as the
phone book's Dial would. This driver is the host: when the program greets it
with "READY" it sends one VT100 colour screen of 132 columns (title bar, boxes,
colours, text out to the last column). It writes the screen it expects into the
exchange folder; the program compares its screen buffer with it, says when the
screen is complete, and this side takes a screenshot of the display before the
program hangs up.

Files in the exchange folder:
  expected.txt    24 text rows of 132 characters, then 24 rows of 132 cells
                  of expected attributes ("70", "f4", ... or ".." for any)
  screen-ready    the program's screen matches; take the picture now
  shot-done       the picture is taken; the program may hang up
  result.xml      the program's GoogleTest report
"""

import argparse
import os
import pty
import select
import shutil
import signal
import subprocess
import sys
import threading
import time
import tty
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from com_port_driver import map_com1  # noqa: E402

COLUMNS = 132
ROWS = 24
RUN_TIMEOUT = 240
GREETING = b"READY\r"
ESC = "\x1b"


class Screen:
    """What the host draws, cell by cell, with the attribute each written cell
    gets under the VT100 renditions: 0 resets to 0x70 and clears bold, 1 sets
    bold and brightens the foreground, 30..37 set the foreground (bright while
    bold), 40..47 the background."""

    def __init__(self):
        self.text = [[" "] * COLUMNS for _ in range(ROWS)]
        self.attrs = [[None] * COLUMNS for _ in range(ROWS)]
        self.stream = []
        self.row = self.col = 0
        self.attr = 0x70
        self.bold = False

    def clear(self):
        self.stream.append(ESC + "[0m" + ESC + "[2J" + ESC + "[H")
        self.attr, self.bold = 0x70, False
        self.row = self.col = 0

    def move(self, row, col):
        self.stream.append(f"{ESC}[{row + 1};{col + 1}H")
        self.row, self.col = row, col

    def sgr(self, *params):
        self.stream.append(ESC + "[" + ";".join(str(p) for p in params) + "m")
        before = self.attr
        for p in params:
            fg, bg = self.attr >> 4, self.attr & 0x0F
            if p == 0:
                self.attr, self.bold = 0x70, False
            elif p == 1:
                self.bold = True
                self.attr = ((fg + 8 if fg < 8 else fg) << 4) | bg
            elif 30 <= p <= 37:
                self.attr = ((p - 30 + (8 if self.bold else 0)) << 4) | bg
            elif 40 <= p <= 47:
                self.attr = (fg << 4) | (p - 40)
        # A change of the attribute also lands in the cell under the cursor.
        if self.attr != before and self.col < COLUMNS:
            self.attrs[self.row][self.col] = self.attr

    def write(self, text):
        self.stream.append(text)
        for ch in text:
            self.text[self.row][self.col] = ch
            self.attrs[self.row][self.col] = self.attr
            self.col += 1

    def newline(self):
        self.stream.append("\r\n")
        self.row += 1
        self.col = 0

    def expected(self):
        lines = ["".join(r) for r in self.text]
        for r in self.attrs:
            lines.append("".join(".." if a is None else f"{a:02x}" for a in r))
        return "\n".join(lines) + "\n"


def draw_box(s, top, left, width, height, title, colour):
    s.sgr(0, 1, colour)
    s.move(top, left)
    s.write("+" + "-" * (width - 2) + "+")
    for r in range(1, height - 1):
        s.move(top + r, left)
        s.write("|")
        s.move(top + r, left + width - 1)
        s.write("|")
    s.move(top + height - 1, left)
    s.write("+" + "-" * (width - 2) + "+")
    s.sgr(0, 1, 37)
    s.move(top, left + 2)
    s.write(f" {title} ")


def host_screen():
    s = Screen()
    s.clear()
    title = "PALVEX32-DIALUP  END-TO-END  VT100 COLOUR SCREEN  132 COLUMNS"
    s.sgr(1, 37, 44)
    s.write(title.center(COLUMNS))
    s.sgr(0)

    names = ["Black", "Red", "Green", "Yellow", "Blue", "Magenta", "Cyan", "White"]
    draw_box(s, 2, 1, 44, 11, "Normal colours", 36)
    for i, name in enumerate(names):
        s.move(3 + i, 4)
        s.sgr(0, 30 + i, 40 if i else 47)
        s.write(f"{30 + i}: {name:<8}")
        s.sgr(0)
        s.write(" on ")
        s.sgr(0, 37 if i != 7 else 30, 40 + i)
        s.write(f" {40 + i}: {name:<8} ")
    draw_box(s, 2, 48, 44, 11, "Bright colours", 33)
    for i, name in enumerate(names):
        s.move(3 + i, 51)
        s.sgr(0, 1, 30 + i)
        s.write(f"1;{30 + i}: bright {name.lower():<8}")

    draw_box(s, 2, 96, 36, 11, "Wide screen", 32)
    s.sgr(0, 37)
    for i, text in enumerate(["columns 97 to 132 are", "outside an 80-column",
                              "terminal; this box ends", "exactly at column 132."]):
        s.move(4 + i, 99)
        s.write(text)

    s.sgr(0)
    s.move(14, 0)
    s.write("Lines below come with CR LF, one after another:")
    for i in range(1, 5):
        s.newline()
        s.sgr(0, 30 + i + 1)
        s.write(f"  line {i}: " + "0123456789" * (i + 2))
    s.sgr(0)
    s.move(21, 0)
    ruler = "".join(str(c // 10 % 10) if c % 10 == 0 else "." for c in range(1, COLUMNS + 1))
    s.write(ruler[:COLUMNS - 1])
    s.move(21, COLUMNS - 1)
    s.sgr(0, 1, 31)
    s.write("#")
    s.sgr(0, 30, 47)
    s.move(23, 0)
    s.write(" Status: connected through COM1 to the host simulator".ljust(COLUMNS - 1))
    s.sgr(0)
    s.move(22, 0)
    return "".join(s.stream).encode("ascii"), s.expected()


class Host(threading.Thread):
    def __init__(self, master, stream, exchange, display):
        super().__init__(daemon=True)
        self.master = master
        self.stream = stream
        self.exchange = exchange
        self.display = display
        self.error = None
        self.shot = None
        self.stop = threading.Event()

    def run(self):
        try:
            self.serve()
        except Exception as exc:  # reported by the main thread
            self.error = f"host failed: {exc!r}"

    def wait_for(self, predicate, what, timeout=RUN_TIMEOUT):
        deadline = time.monotonic() + timeout
        while not predicate():
            if self.stop.is_set():
                raise RuntimeError(f"stopped while waiting for {what}")
            if time.monotonic() > deadline:
                raise RuntimeError(f"no {what} in {timeout} s")
            time.sleep(0.05)

    def serve(self):
        received = bytearray()

        def greeted():
            if select.select([self.master], [], [], 0)[0]:
                received.extend(os.read(self.master, 4096))
            return GREETING in received

        self.wait_for(greeted, "greeting from the program")
        view = memoryview(self.stream)
        sent = 0
        while sent < len(view):
            sent += os.write(self.master, view[sent:sent + 512])
        ready = os.path.join(self.exchange, "screen-ready")
        self.wait_for(lambda: os.path.exists(ready), "complete screen")
        time.sleep(1.0)  # let the window finish painting
        shot = os.path.join(self.exchange, "e2e-terminal.png")
        subprocess.run(["import", "-window", "root", shot], check=True,
                       env=dict(os.environ, DISPLAY=self.display))
        self.shot = shot
        with open(os.path.join(self.exchange, "shot-done"), "w") as f:
            f.write("done\n")


def start_xvfb():
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                               "-nolisten", "tcp"], pass_fds=(write_end,),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    deadline = time.monotonic() + 20
    while not number.endswith(b"\n") and time.monotonic() < deadline:
        if select.select([read_end], [], [], 0.2)[0]:
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
    os.close(read_end)
    if not number.strip():
        server.kill()
        raise RuntimeError("Xvfb did not start")
    return server, ":" + number.decode().strip()


def windows_path(path):
    """A Unix path as Wine's programs see it through drive Z:."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def failures_in(report):
    try:
        root = ET.parse(report).getroot()
    except (OSError, ET.ParseError) as exc:
        return [f"no test report ({exc})"]
    found = []
    for case in root.iter("testcase"):
        for failure in case.findall("failure"):
            found.append(f"{case.get('name')}: {failure.get('message', '').strip()}")
    if not list(root.iter("testcase")):
        found.append("the report lists no test")
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--wine-run", required=True, help="scripts/wine-run")
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--exe", required=True, help="e2e_terminal_test.exe")
    parser.add_argument("--out-dir", required=True, help="exchange folder, screenshot included")
    args = parser.parse_args()
    build_dir = os.path.abspath(args.build_dir)
    exchange = os.path.abspath(args.out_dir)
    shutil.rmtree(exchange, ignore_errors=True)
    os.makedirs(exchange)

    stream, expected = host_screen()
    with open(os.path.join(exchange, "expected.txt"), "w", newline="\n") as f:
        f.write(expected)

    master, slave = pty.openpty()
    tty.setraw(slave)
    link = os.path.join(build_dir, "com1-pty")
    temporary = link + ".new"
    if os.path.lexists(temporary):
        os.unlink(temporary)
    os.symlink(os.ttyname(slave), temporary)
    os.replace(temporary, link)
    map_com1(args, build_dir, link)

    xvfb, display = start_xvfb()
    host = Host(master, stream, exchange, display)
    host.start()
    report = os.path.join(exchange, "result.xml")
    env = dict(os.environ, DISPLAY=display, PALVEX_E2E_DIR=exchange)
    # The Wine desktop gives the window its frame and lets it maximise; the
    # exit status of a program inside it does not come back, the report does.
    command = [args.wine_run, "--build-dir", build_dir, "explorer", "/desktop=palvexe2e,1024x768",
               windows_path(args.exe), f"--gtest_output=xml:{windows_path(report)}"]
    status = 0
    program = subprocess.Popen(command, stdin=subprocess.DEVNULL, env=env, start_new_session=True)
    deadline = time.monotonic() + RUN_TIMEOUT
    while not os.path.exists(report) and time.monotonic() < deadline and program.poll() is None:
        time.sleep(0.2)
    while not os.path.exists(report) and time.monotonic() < deadline:
        time.sleep(0.2)
    try:
        program.wait(timeout=max(1, deadline - time.monotonic()))
    except subprocess.TimeoutExpired:
        print("e2e_terminal_driver: the program did not finish in time", file=sys.stderr)
        os.killpg(program.pid, signal.SIGTERM)
        program.wait()
        status = 1
    host.stop.set()
    host.join(5)
    xvfb.terminate()
    xvfb.wait()

    problems = failures_in(report)
    if host.error:
        problems.append(host.error)
    if not host.shot or not os.path.exists(host.shot):
        problems.append("no screenshot was taken")
    for problem in problems:
        print(f"e2e_terminal_driver: {problem}", file=sys.stderr)
    if not problems and status == 0:
        print(f"e2e_terminal_driver: the screen matched; screenshot in {host.shot}")
        return 0
    return 1


if __name__ == "__main__":
    sys.exit(main())
