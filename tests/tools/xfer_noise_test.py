#!/usr/bin/env python3
"""The noise campaign: XMODEM-CRC and YMODEM transfers through a line that
flips a bit in one byte of ten thousand (seeded), between palvex-xfer and lrzsz
both ways. Each must end with the file whole (XMODEM: with the sender's padding)
or a non-zero status on a side; a receiver that exits 0 with a different file,
or palvex-xfer still running when the line's time is up, fails. Without --xfer
lrzsz talks to itself, which checks the campaign."""

import argparse
import concurrent.futures
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
PAD = {"lrzsz": 0x1A, "palvex": 0x00}  # what each sender fills a short last block with
MIN_COMPLETE = 0.5  # fraction of transfers that must complete


class Case:
    def __init__(self, seed, protocol, sender, receiver):
        self.seed, self.protocol, self.sender, self.receiver = seed, protocol, sender, receiver
        self.direction = "%s->%s" % (sender, receiver)
        self.outcome, self.detail, self.failed, self.flips, self.naks, self.seconds = None, "", False, 0, 0, 0.0


def side_command(program, role, protocol, xfer, data, recv_dir, recv_file):
    """(linesim endpoint kind, command) for one side. palvex-xfer sits on a pty
    like on a serial device; lrzsz on pipes, since it flushes its tty on exit
    and a pty would lose its last answer."""
    q = shlex.quote
    if program == "palvex":
        if role == "send":
            return "pty", "%s send --protocol %s %s" % (q(xfer), protocol, q(data))
        if protocol == "ymodem":
            return "pty", "%s receive --protocol ymodem --dir %s" % (q(xfer), q(recv_dir))
        return "pty", "%s receive --protocol %s %s" % (q(xfer), protocol, q(recv_file))
    if role == "send":
        return "pipe", "%s -q %s" % ("sx" if protocol.startswith("xmodem") else "sb", q(data))
    if protocol == "ymodem":
        return "pipe", "cd %s && rb -q" % q(recv_dir)
    # rx refuses a path with a directory in it
    return "pipe", "cd %s && rx -c -q %s" % (q(recv_dir), q(os.path.basename(recv_file)))


def check_received(data, got, case):
    """None when `got` is a faithful copy of `data`, else what is wrong."""
    if got is None:
        return "no file"
    if got == data:
        return None
    # XMODEM knows no length, so the last block's padding stays; palvex-xfer
    # also keeps it when it receives YMODEM (the whole block is written).
    if not (case.protocol.startswith("xmodem") or case.receiver == "palvex"):
        return "differs (%d bytes, %d sent)" % (len(got), len(data))
    if got[:len(data)] != data:
        first = next((i for i in range(min(len(got), len(data))) if got[i] != data[i]), len(data))
        return "differs from byte %d (%d bytes, %d sent)" % (first, len(got), len(data))
    pad = got[len(data):]
    block = 128 if case.protocol == "xmodem-crc" else 1024
    if len(got) % 128 or len(pad) >= block or any(b != PAD[case.sender] for b in pad):
        return "bad padding (%d bytes after the data)" % len(pad)
    return None


def run_case(case, opts, data_path, data):
    work = tempfile.mkdtemp(prefix="%s-%s-%s-" % (case.seed, case.protocol, case.sender), dir=opts.work)
    recv_dir = os.path.join(work, "in")
    os.mkdir(recv_dir)
    recv_file = os.path.join(recv_dir, "data.bin")
    report_path = os.path.join(work, "line.json")
    args = [sys.executable, LINESIM, "--quiet", "--report", report_path, "--error-rate", repr(opts.error_rate),
            "--seed", "noise-%s-%s-%s" % (case.seed, case.protocol, case.direction),
            "--timeout", str(opts.timeout), "--grace", str(opts.grace), "--tally", "15"]
    for name, (program, role) in (("a", (case.sender, "send")), ("b", (case.receiver, "receive"))):
        kind, cmd = side_command(program, role, case.protocol, opts.xfer, data_path, recv_dir, recv_file)
        args += ["--%s" % name if kind == "pty" else "--%s-pipe" % name, cmd]
    start = time.monotonic()
    with open(os.path.join(work, "stderr.txt"), "wb") as err:
        subprocess.run(args, stdin=subprocess.DEVNULL, stdout=err, stderr=err, cwd=work)
    case.seconds = time.monotonic() - start
    try:
        with open(report_path) as f:
            report = json.load(f)
    except (OSError, ValueError):
        case.outcome, case.failed, case.detail = "FAIL", True, "linesim gave no report; kept in " + work
        return case
    case.flips = report["a_to_b"]["flipped"] + report["b_to_a"]["flipped"]
    case.naks = report["b_to_a"]["tally"].get("15", 0)
    sender, receiver = report["a"], report["b"]
    got = open(recv_file, "rb").read() if os.path.exists(recv_file) else None
    wrong = check_received(data, got, case)
    statuses = "%s %s, %s %s" % (case.sender, sender["status"], case.receiver, receiver["status"])
    hung = [c for c, side in ((case.sender, sender), (case.receiver, receiver)) if side["killed"]]
    if "palvex" in hung and opts.xfer:
        case.outcome, case.failed, case.detail = "HANG", True, "palvex-xfer still running (%s)" % statuses
    elif receiver["status"] == 0 and wrong:
        case.outcome, case.failed = "CORRUPT", True
        case.detail = "receiver exited 0 but the file %s (%s)" % (wrong, statuses)
    elif sender["status"] == 0 and receiver["status"] == 0:
        case.outcome = "complete"
        case.detail = "" if got == data else "padded %d" % (len(got) - len(data))
    else:
        case.outcome = "error"
        case.detail = statuses + ("; killed: " + ", ".join(hung) if hung else "")
    if case.failed:
        case.detail += "; kept in " + work
    else:
        shutil.rmtree(work, ignore_errors=True)
    return case


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--xfer", help="the palvex-xfer program (without it: lrzsz against itself)")
    p.add_argument("--seeds", type=int, default=3)
    p.add_argument("--size", type=int, default=1000000, help="file size in bytes")
    p.add_argument("--error-rate", type=float, default=1e-4)
    p.add_argument("--jobs", type=int, default=2, help="transfers at the same time")
    p.add_argument("--timeout", type=float, default=900.0, help="longest transfer, seconds")
    p.add_argument("--grace", type=float, default=180.0, help="how long one side may go on after the other ended")
    opts = p.parse_args()
    if not all(shutil.which(tool) for tool in ("sx", "rx", "sb", "rb")):
        print("xfer_noise: lrzsz is missing; nothing to test against")
        return 77
    if opts.seeds < 1 or opts.size < 1 or opts.jobs < 1:
        p.error("--seeds, --size and --jobs are at least 1")
    if opts.xfer:
        opts.xfer = os.path.abspath(opts.xfer)
    opts.work = tempfile.mkdtemp(prefix="xfer-noise-")
    data = random.Random("noise-data").randbytes(opts.size)
    data_path = os.path.join(opts.work, "data.bin")
    with open(data_path, "wb") as f:
        f.write(data)
    pairs = [("palvex", "lrzsz"), ("lrzsz", "palvex")] if opts.xfer else [("lrzsz", "lrzsz")]
    cases = [Case(seed, proto, s, r) for seed in range(1, opts.seeds + 1)
             for proto in ("xmodem-crc", "ymodem") for s, r in pairs]
    print("xfer_noise: %d transfers of %d bytes, byte error rate %g, %d at a time"
          % (len(cases), opts.size, opts.error_rate, opts.jobs), flush=True)
    with concurrent.futures.ThreadPoolExecutor(opts.jobs) as pool:
        for f in concurrent.futures.as_completed([pool.submit(run_case, c, opts, data_path, data) for c in cases]):
            c = f.result()
            print("xfer_noise: seed %s %s %s: %s %s" % (c.seed, c.protocol, c.direction, c.outcome, c.detail),
                  flush=True)
    print("\n| seed | protocol | direction | outcome | flips | NAKs | time s |")
    for c in cases:
        print("| %s | %s | %s | %s | %d | %d | %.1f |" % (c.seed, c.protocol, c.direction, c.outcome, c.flips,
                                                        c.naks, c.seconds))
    failed = [c for c in cases if c.failed]
    complete = sum(c.outcome == "complete" for c in cases)
    print("\nxfer_noise: %d complete, %d ended with a reported error, %d failed"
          % (complete, len(cases) - complete - len(failed), len(failed)))
    if not failed:
        shutil.rmtree(opts.work, ignore_errors=True)
    if complete < MIN_COMPLETE * len(cases):
        print("xfer_noise: fewer than half of the transfers completed")
        return 1
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
