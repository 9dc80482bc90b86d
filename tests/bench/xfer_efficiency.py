#!/usr/bin/env python3
"""Line efficiency of the block protocols on a paced 115200-baud line.

palvex-xfer sends and receives XMODEM-1K and YMODEM-G through linesim against
lrzsz (YMODEM-G into palvex-xfer itself, lrzsz cannot receive it), and lrzsz
against itself on the same line gives the baseline.  Efficiency is the file's
bytes per second of line time divided by 11520, the bytes a second that 115200
baud carries at 10 bits a byte; the line time runs from the first byte on the
line (the receiver's start byte) to the last (the final acknowledgement).

Not part of CTest: it takes a few minutes and measures, it does not judge.

    tests/bench/xfer_efficiency.py --xfer build/tools/palvex-xfer/palvex-xfer
"""

import argparse
import json
import os
import random
import shlex
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
LINESIM = os.path.normpath(os.path.join(HERE, "..", "..", "tools", "linesim", "linesim.py"))
sys.dont_write_bytecode = True


def commands(xfer):
    """(label, sender, receiver, name of the received file, padded) per run.
    Each side is (endpoint kind, command); palvex-xfer sits on a pty like on a
    serial device, lrzsz on pipes (it flushes its tty on exit)."""
    x = shlex.quote(xfer) if xfer else None
    runs = []
    if x:
        runs += [
            ("XMODEM-1K", ("pty", "%s send --protocol xmodem-1k data.bin" % x),
             ("pipe", "cd in && rx -c -q data.bin"), True),
            ("XMODEM-1K", ("pipe", "sx -k -q data.bin"),
             ("pty", "%s receive --protocol xmodem-1k in/data.bin" % x), True),
            ("YMODEM-G", ("pty", "%s send --protocol ymodem-g data.bin" % x),
             ("pty", "%s receive --protocol ymodem-g --dir in" % x), True),
            ("YMODEM-G", ("pipe", "sb -k -q data.bin"),
             ("pty", "%s receive --protocol ymodem-g --dir in" % x), True),
        ]
    runs += [
        ("XMODEM-1K", ("pipe", "sx -k -q data.bin"), ("pipe", "cd in && rx -c -q data.bin"), True),
        ("YMODEM", ("pipe", "sb -k -q data.bin"), ("pipe", "cd in && rb -q"), False),
        ("ZMODEM", ("pipe", "sz -q data.bin"), ("pipe", "cd in && rz -q"), False),
    ]
    return runs


def who(cmd):
    return "palvex-xfer" if "--protocol" in cmd else "lrzsz " + cmd.split("&& ")[-1].split()[0]


def run(label, sender, receiver, padded, opts, work, data):
    shutil.rmtree(os.path.join(work, "in"), ignore_errors=True)
    os.mkdir(os.path.join(work, "in"))
    report = os.path.join(work, "line.json")
    args = [sys.executable, LINESIM, "--quiet", "--report", report, "--baud", str(opts.baud),
            "--delay", str(opts.delay), "--timeout", str(opts.timeout), "--grace", "30"]
    for name, (kind, cmd) in (("a", sender), ("b", receiver)):
        args += ["--" + name if kind == "pty" else "--%s-pipe" % name, cmd]
    with open(os.path.join(work, "stderr.txt"), "wb") as err:
        subprocess.run(args, cwd=work, stdin=subprocess.DEVNULL, stdout=err, stderr=err)
    with open(report) as f:
        r = json.load(f)
    try:
        with open(os.path.join(work, "in", "data.bin"), "rb") as f:
            got = f.read()
    except OSError:
        got = None
    good = got == data or (padded and got is not None and got[:len(data)] == data
                           and len(got) - len(data) < 1024)
    ok = r["a"]["status"] == 0 and r["b"]["status"] == 0 and good
    firsts = [d["first"] for d in (r["a_to_b"], r["b_to_a"]) if d["first"] is not None]
    lasts = [d["last"] for d in (r["a_to_b"], r["b_to_a"]) if d["last"] is not None]
    span = max(lasts) - min(firsts) if firsts else float("nan")
    rate = len(data) / span if span > 0 else 0.0
    eff = rate / (opts.baud / 10.0)
    status = "ok" if ok else "FAILED (sender %s, receiver %s%s)" % (
        r["a"]["status"], r["b"]["status"], "" if good else ", file differs")
    line = "%-9s  %-18s -> %-18s  %7d B  %6.1f s  %7.0f B/s  efficiency %.3f  %s" % (
        label, who(sender[1]), who(receiver[1]), len(data), span, rate, eff, status)
    return line, ok


def main(argv=None):
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("--xfer", help="the palvex-xfer program (without it: only the lrzsz baseline)")
    p.add_argument("--size", type=int, default=250000, help="file size in bytes (default 250000)")
    p.add_argument("--baud", type=int, default=115200)
    p.add_argument("--delay", type=float, default=0.0, help="line latency in seconds (default 0)")
    p.add_argument("--timeout", type=float, default=300.0)
    opts = p.parse_args(argv)
    if opts.xfer and not os.access(opts.xfer, os.X_OK):
        p.error("no program %s" % opts.xfer)
    if opts.xfer:
        opts.xfer = os.path.abspath(opts.xfer)
    missing = [t for t in ("sx", "rx", "sb", "rb", "sz", "rz") if not shutil.which(t)]
    if missing:
        p.error("lrzsz is missing (%s)" % ", ".join(missing))

    work = tempfile.mkdtemp(prefix="xfer-efficiency-")
    data = random.Random("efficiency").randbytes(opts.size)
    with open(os.path.join(work, "data.bin"), "wb") as f:
        f.write(data)
    print("xfer_efficiency: %d bytes over %d baud (%d bytes/s), latency %g s"
          % (opts.size, opts.baud, opts.baud // 10, opts.delay), flush=True)
    all_ok = True
    started = time.monotonic()
    for label, sender, receiver, padded in commands(opts.xfer):
        line, ok = run(label, sender, receiver, padded, opts, work, data)
        all_ok &= ok
        print(line, flush=True)
    print("xfer_efficiency: %.0f s" % (time.monotonic() - started))
    shutil.rmtree(work, ignore_errors=True)
    return 0 if all_ok else 1


if __name__ == "__main__":
    sys.exit(main())
