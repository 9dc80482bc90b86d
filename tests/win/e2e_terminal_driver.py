#!/usr/bin/env python3
"""End to end: the host behind COM1 of palvex32's main window. After the
program's "READY" it sends one VT100 colour screen of 132 columns, whose text
and attributes it has written to expected.txt; once the program says
"screen-ready" it takes the screenshot and writes "shot-done"."""

import os
import select
import sys
import threading
import time

import e2e_support as e2e
from e2e_support import RUN_TIMEOUT

COLUMNS, ROWS = 132, 24
ESC = "\x1b"


class Screen:
    """The host's drawing and the text and attributes it must leave in the
    buffer; a changed attribute also lands in the cell under the cursor."""

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

    def expected(self):
        lines = ["".join(r) for r in self.text]
        lines += ["".join(".." if a is None else f"{a:02x}" for a in r) for r in self.attrs]
        return "\n".join(lines) + "\n"


def host_screen():
    s = Screen()
    s.sgr(1, 37, 44)
    s.write("PALVEX32-DIALUP  END-TO-END  VT100 COLOUR SCREEN  132 COLUMNS".center(COLUMNS))
    names = ["Black", "Red", "Green", "Yellow", "Blue", "Magenta", "Cyan", "White"]
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
    s.write("columns 97 to 132 lie outside an 80-column terminal", (12, 80))
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
        e2e.screenshot(display, shot)
        if os.path.exists(shot):
            outcome["shot"] = shot
        open(os.path.join(exchange, "shot-done"), "w").close()
    except Exception as exc:  # reported by the main thread
        outcome["error"] = f"host failed: {exc!r}"


def main():
    args = e2e.parser_for(__doc__).parse_args()
    build_dir, exchange = e2e.fresh_exchange(args)
    stream, expected = host_screen()
    with open(os.path.join(exchange, "expected.txt"), "w", newline="\n") as f:
        f.write(expected)
    master = e2e.pty_on_com1(args, build_dir)

    xvfb, display = e2e.start_xvfb()
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
