#!/usr/bin/env python3
"""End to end: palvex32's main window on COM1, a host on the other end of a pty.

e2e_terminal_test.exe opens the real main window in a Wine desktop on a
private Xvfb and connects directly to COM1. This driver is the host: when the
program greets it with "READY" it sends one VT100 colour screen of 132 columns.
It writes the screen it expects into the exchange folder (--out-dir); the
program compares its buffer with it and writes "screen-ready", this side takes
the screenshot e2e-terminal.png and writes "shot-done", and the program hangs up.
The program's GoogleTest report (result.xml) decides the outcome.
"""

import os
import select
import subprocess
import sys
import threading
import time

import e2e_support as e2e
from e2e_support import RUN_TIMEOUT

COLUMNS, ROWS = 132, 24
ESC = "\x1b"


class Screen:
    """The host's drawing and what it must leave in the buffer: the text, and
    the attribute of every cell written, under the VT100 renditions (0 resets
    to 0x70, 1 sets bold and brightens the foreground, 3x/4x set foreground,
    bright while bold, and background). A changed attribute also lands in the
    cell under the cursor."""

    def __init__(self):
        self.text = [[" "] * COLUMNS for _ in range(ROWS)]
        self.attrs = [[None] * COLUMNS for _ in range(ROWS)]
        self.out = [ESC + "[0m" + ESC + "[2J" + ESC + "[H"]
        self.row = self.col = 0
        self.attr, self.bold = 0x70, False

    def move(self, row, col):
        self.out.append(f"{ESC}[{row + 1};{col + 1}H")
        self.row, self.col = row, col

    def sgr(self, *params):
        self.out.append(ESC + "[" + ";".join(map(str, params)) + "m")
        before = self.attr
        for p in params:
            fg, bg = self.attr >> 4, self.attr & 0x0F
            if p == 0:
                self.attr, self.bold = 0x70, False
            elif p == 1:
                self.bold = True
                self.attr = ((fg + 8 if fg < 8 else fg) << 4) | bg
            elif 30 <= p <= 37:
                self.attr = ((p - 30 + 8 * self.bold) << 4) | bg
            elif 40 <= p <= 47:
                self.attr = (fg << 4) | (p - 40)
        if self.attr != before and self.col < COLUMNS:
            self.attrs[self.row][self.col] = self.attr

    def write(self, text, at=None):
        if at:
            self.move(*at)
        self.out.append(text)
        for ch in text:
            self.text[self.row][self.col] = ch
            self.attrs[self.row][self.col] = self.attr
            self.col += 1

    def box(self, top, left, width, title, colour):
        self.sgr(0, 1, colour)
        for row in (top, top + 10):
            self.write("+" + "-" * (width - 2) + "+", (row, left))
        for row in range(top + 1, top + 10):
            self.write("|", (row, left))
            self.write("|", (row, left + width - 1))
        self.sgr(0, 1, 37)
        self.write(f" {title} ", (top, left + 2))

    def expected(self):
        lines = ["".join(r) for r in self.text]
        lines += ["".join(".." if a is None else f"{a:02x}" for a in r) for r in self.attrs]
        return "\n".join(lines) + "\n"


def host_screen():
    s = Screen()
    s.sgr(1, 37, 44)
    s.write("PALVEX32-DIALUP  END-TO-END  VT100 COLOUR SCREEN  132 COLUMNS".center(COLUMNS))
    names = ["Black", "Red", "Green", "Yellow", "Blue", "Magenta", "Cyan", "White"]
    s.box(2, 1, 44, "Normal colours", 36)
    s.box(2, 48, 44, "Bright colours", 33)
    s.box(2, 96, 36, "Wide screen", 32)
    for i, name in enumerate(names):
        s.sgr(0, 30 + i, 47 if i == 0 else 40)
        s.write(f"{30 + i}: {name:<8}", (3 + i, 4))
        s.sgr(0)
        s.write(" on ")
        s.sgr(0, 30 if i == 7 else 37, 40 + i)
        s.write(f" {40 + i}: {name:<8} ")
        s.sgr(0, 1, 30 + i)
        s.write(f"1;{30 + i}: bright {name.lower():<8}", (3 + i, 51))
    s.sgr(0, 37)
    for i, text in enumerate(["columns 97 to 132 are", "outside an 80-column",
                              "terminal; this box ends", "exactly at column 132."]):
        s.write(text, (4 + i, 99))
    s.sgr(0)
    s.write("Lines below come with CR LF, one after another:", (14, 0))
    for i in range(1, 5):
        s.out.append("\r\n")
        s.row, s.col = s.row + 1, 0
        s.sgr(0, 31 + i)
        s.write(f"  line {i}: " + "0123456789" * (i + 2))
    s.sgr(0)
    s.write("".join(str(c // 10 % 10) if c % 10 == 0 else "." for c in range(1, COLUMNS)), (21, 0))
    s.sgr(0, 1, 31)
    s.write("#")
    s.sgr(0, 30, 47)
    s.write(" Status: connected through COM1 to the host simulator".ljust(COLUMNS - 1), (23, 0))
    s.sgr(0)
    s.move(22, 0)
    return "".join(s.out).encode("ascii"), s.expected()


def host(master, stream, exchange, display, outcome):
    """Greeting in, screen out, screenshot when the program says it is complete."""
    try:
        received, deadline = b"", time.monotonic() + RUN_TIMEOUT
        while b"READY\r" not in received and time.monotonic() < deadline:
            if select.select([master], [], [], 0.1)[0]:
                received += os.read(master, 4096)
        os.write(master, stream)
        ready = os.path.join(exchange, "screen-ready")
        while not os.path.exists(ready) and time.monotonic() < deadline:
            time.sleep(0.05)
        time.sleep(1.0)  # let the window finish painting
        shot = os.path.join(exchange, "e2e-terminal.png")
        subprocess.run(["import", "-window", "root", shot], check=True, env=dict(os.environ, DISPLAY=display))
        outcome["shot"] = shot
        open(os.path.join(exchange, "shot-done"), "w").close()
    except Exception as exc:  # reported by the main thread
        outcome["error"] = f"host failed: {exc!r}"


def start_xvfb():
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten",
                               "tcp"], pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    while not number.endswith(b"\n") and select.select([read_end], [], [], 20)[0]:
        chunk = os.read(read_end, 16)
        if not chunk:
            break
        number += chunk
    os.close(read_end)
    return server, ":" + number.decode().strip()


def main():
    args = e2e.parser_for(__doc__, "e2e_terminal_test.exe", "exchange folder, screenshot included").parse_args()
    build_dir, exchange = e2e.fresh_exchange(args)
    stream, expected = host_screen()
    with open(os.path.join(exchange, "expected.txt"), "w", newline="\n") as f:
        f.write(expected)
    master = e2e.pty_on_com1(args, build_dir)

    xvfb, display = start_xvfb()
    outcome = {}
    peer = threading.Thread(target=host, args=(master, stream, exchange, display, outcome), daemon=True)
    peer.start()
    report = os.path.join(exchange, "result.xml")
    # The Wine desktop gives the window its frame and lets it maximise.
    error = e2e.run_program(args, build_dir, exchange, report, display=display, desktop="palvexe2e,1024x768")
    if error:
        outcome["error"] = error
    peer.join(5)
    xvfb.terminate()
    xvfb.wait()

    problems = e2e.report_cases(report)[1] + ([outcome["error"]] if "error" in outcome else [])
    if "shot" not in outcome:
        problems.append("no screenshot was taken")
    return e2e.finish("e2e_terminal_driver", problems, f"the screen matched; screenshot in {outcome.get('shot')}")


if __name__ == "__main__":
    sys.exit(main())
