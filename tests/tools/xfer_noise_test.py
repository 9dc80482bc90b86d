#!/usr/bin/env python3
"""The noise campaign: XMODEM-CRC and YMODEM transfers of a 1 MB file through
a line that flips a bit in one byte of ten thousand (seeded), between
palvex-xfer and lrzsz in both directions.

Every transfer must end with the file received whole (XMODEM: the data and the
sender's padding up to a whole block) or with a non-zero status on at least
one side.  A receiver that exits 0 with a different file, or palvex-xfer still
running when the line's time is up, fails the campaign.  Without palvex-xfer
(no --xfer) lrzsz talks to itself, which checks the campaign itself.

    xfer_noise_test.py --xfer build/tools/palvex-xfer/palvex-xfer --seeds 20
"""

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
sys.dont_write_bytecode = True

NAK = 0x15
PAD_LRZSZ = 0x1A    # sx and sb fill a short last block with ^Z
PAD_PALVEX = 0x00   # palvex-xfer fills it with NUL

PROTOCOLS = ("xmodem-crc", "ymodem")


class Case:
    def __init__(self, seed, protocol, sender, receiver):
        self.seed = seed
        self.protocol = protocol
        self.sender = sender        # "palvex" or "lrzsz"
        self.receiver = receiver
        self.outcome = None
        self.detail = ""
        self.failed = False
        self.flips = 0
        self.naks = 0
        self.seconds = 0.0

    @property
    def direction(self):
        return "%s->%s" % (self.sender, self.receiver)


def side_command(program, role, protocol, xfer, data, recv_dir, recv_file):
    """(linesim endpoint option kind, command) for one side of a transfer.
    palvex-xfer sits on a pty like on a serial device; lrzsz on pipes, since it
    flushes its tty on exit and a pty would lose its last answer."""
    q = shlex.quote
    if program == "palvex":
        if role == "send":
            cmd = "%s send --protocol %s %s" % (q(xfer), protocol, q(data))
        elif protocol == "ymodem":
            cmd = "%s receive --protocol ymodem --dir %s" % (q(xfer), q(recv_dir))
        else:
            cmd = "%s receive --protocol %s %s" % (q(xfer), protocol, q(recv_file))
        return "pty", cmd
    if role == "send":
        cmd = "%s -q %s" % ("sx" if protocol.startswith("xmodem") else "sb", q(data))
    elif protocol == "ymodem":
        cmd = "cd %s && rb -q" % q(recv_dir)
    else:
        # rx refuses a path with a directory in it
        cmd = "cd %s && rx -c -q %s" % (q(recv_dir), q(os.path.basename(recv_file)))
    return "pipe", cmd


def check_received(data, got, case):
    """None when `got` is a faithful copy of `data`, else what is wrong."""
    if got is None:
        return "no file"
    if got == data:
        return None
    xmodem = case.protocol.startswith("xmodem")
    # XMODEM knows no length, so the last block's padding stays.  palvex-xfer
    # also keeps it when it receives YMODEM (the whole block is written).
    padded = xmodem or case.receiver == "palvex"
    if not padded:
        return "differs (%d bytes, %d sent)" % (len(got), len(data))
    if got[:len(data)] != data:
        n = min(len(got), len(data))
        first = next((i for i in range(n) if got[i] != data[i]), n)
        return "differs from byte %d (%d bytes, %d sent)" % (first, len(got), len(data))
    pad = got[len(data):]
    byte = PAD_PALVEX if case.sender == "palvex" else PAD_LRZSZ
    block = 128 if case.protocol == "xmodem-crc" else 1024
    if len(got) % 128 or len(pad) >= block or any(b != byte for b in pad):
        return "bad padding (%d bytes after the data)" % len(pad)
    return None


def run_case(case, opts, data_path, data):
    work = tempfile.mkdtemp(prefix="xfer-noise-%s-%s-%s-" % (case.seed, case.protocol, case.sender),
                            dir=opts.work)
    recv_dir = os.path.join(work, "in")
    os.mkdir(recv_dir)
    recv_file = os.path.join(recv_dir, "data.bin")
    ends = []
    for program, role in ((case.sender, "send"), (case.receiver, "receive")):
        ends.append(side_command(program, role, case.protocol, opts.xfer, data_path, recv_dir, recv_file))
    report_path = os.path.join(work, "line.json")
    args = [sys.executable, LINESIM, "--quiet", "--report", report_path,
            "--error-rate", repr(opts.error_rate), "--seed", "noise-%s-%s-%s" % (case.seed, case.protocol, case.direction),
            "--timeout", str(opts.timeout), "--grace", str(opts.grace), "--tally", "15"]
    for name, (kind, cmd) in zip(("a", "b"), ends):
        args += ["--%s" % name if kind == "pty" else "--%s-pipe" % name, cmd]
    if opts.keep:
        args += ["--log", os.path.join(work, "line.log")]
    start = time.monotonic()
    with open(os.path.join(work, "stderr.txt"), "wb") as err:
        subprocess.run(args, stdin=subprocess.DEVNULL, stdout=err, stderr=err, cwd=work)
    case.seconds = time.monotonic() - start
    try:
        with open(report_path) as f:
            report = json.load(f)
    except (OSError, ValueError):
        case.outcome, case.failed, case.detail = "FAIL", True, "linesim gave no report"
        return case
    case.flips = report["a_to_b"]["flipped"] + report["b_to_a"]["flipped"]
    case.naks = report["b_to_a"]["tally"].get("15", 0)
    sender, receiver = report["a"], report["b"]
    got = None
    if os.path.exists(recv_file):
        with open(recv_file, "rb") as f:
            got = f.read()
    wrong = check_received(data, got, case)
    statuses = "%s %s, %s %s" % (case.sender, sender["status"], case.receiver, receiver["status"])
    hung = [c for c, side in ((case.sender, sender), (case.receiver, receiver)) if side["killed"]]
    if "palvex" in hung and opts.xfer:
        case.outcome, case.failed = "HANG", True
        case.detail = "palvex-xfer still running (%s)" % statuses
    elif receiver["status"] == 0 and wrong:
        case.outcome, case.failed = "CORRUPT", True
        case.detail = "receiver exited 0 but the file %s (%s)" % (wrong, statuses)
    elif sender["status"] == 0 and receiver["status"] == 0:
        case.outcome = "complete"
        case.detail = "" if got == data else "padded %d" % (len(got) - len(data))
    else:
        case.outcome = "error"
        case.detail = statuses + ("; killed: " + ", ".join(hung) if hung else "")
    if not case.failed and not opts.keep:
        shutil.rmtree(work, ignore_errors=True)
    else:
        case.detail += "; kept in " + work
    return case


def print_table(cases, out):
    head = ("seed", "protocol", "direction", "outcome", "flips", "NAKs", "time s", "detail")
    rows = [(str(c.seed), c.protocol, c.direction, c.outcome, str(c.flips), str(c.naks),
             "%.1f" % c.seconds, c.detail) for c in cases]
    widths = [max(len(r[i]) for r in rows + [head]) for i in range(len(head))]
    line = "| " + " | ".join("%-*s" % (w, h) for w, h in zip(widths, head)) + " |"
    out.write(line + "\n")
    out.write("|" + "|".join("-" * (w + 2) for w in widths) + "|\n")
    for r in rows:
        out.write("| " + " | ".join("%-*s" % (w, v) for w, v in zip(widths, r)) + " |\n")
    out.flush()


def main(argv=None):
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("--xfer", help="the palvex-xfer program (without it: lrzsz against itself)")
    p.add_argument("--seeds", type=int, default=3, help="number of seeds (default 3)")
    p.add_argument("--first-seed", type=int, default=1)
    p.add_argument("--size", type=int, default=1000000, help="file size in bytes (default 1000000)")
    p.add_argument("--error-rate", type=float, default=1e-4)
    p.add_argument("--protocols", default=",".join(PROTOCOLS))
    p.add_argument("--directions", default="",
                   help="only these, e.g. lrzsz->palvex (default: both ways)")
    p.add_argument("--jobs", type=int, default=2, help="transfers at the same time (default 2)")
    p.add_argument("--timeout", type=float, default=900.0, help="longest transfer, seconds")
    p.add_argument("--grace", type=float, default=180.0,
                   help="how long one side may go on after the other has exited")
    p.add_argument("--min-complete", type=float, default=0.5,
                   help="fraction of transfers that must complete (default 0.5)")
    p.add_argument("--keep", action="store_true", help="keep every work folder and line log")
    p.add_argument("--work", help="folder for the work folders (default: a temporary one)")
    opts = p.parse_args(argv)

    for tool in ("sx", "rx", "sb", "rb"):
        if not shutil.which(tool):
            print("xfer_noise: %s (lrzsz) is missing; nothing to test against" % tool)
            return 77
    if opts.xfer and not os.access(opts.xfer, os.X_OK):
        p.error("no program %s" % opts.xfer)
    if opts.xfer:
        opts.xfer = os.path.abspath(opts.xfer)
    protocols = [x for x in opts.protocols.split(",") if x]
    for x in protocols:
        if x not in PROTOCOLS:
            p.error("unknown protocol %s (one of %s)" % (x, ", ".join(PROTOCOLS)))
    if opts.seeds < 1 or opts.size < 1 or opts.jobs < 1:
        p.error("--seeds, --size and --jobs are at least 1")

    own_work = opts.work is None
    if own_work:
        opts.work = tempfile.mkdtemp(prefix="xfer-noise-")
    os.makedirs(opts.work, exist_ok=True)
    data = random.Random("noise-data").randbytes(opts.size)
    data_path = os.path.join(opts.work, "data.bin")
    with open(data_path, "wb") as f:
        f.write(data)

    pairs = [("palvex", "lrzsz"), ("lrzsz", "palvex")] if opts.xfer else [("lrzsz", "lrzsz")]
    if opts.directions:
        wanted = [tuple(d.split("->")) for d in opts.directions.split(",") if d]
        unknown = [d for d in wanted if d not in pairs]
        if unknown:
            p.error("no direction %s here (%s)" % ("->".join(unknown[0]),
                                                   ", ".join("->".join(d) for d in pairs)))
        pairs = wanted
    cases = [Case(seed, proto, s, r)
             for seed in range(opts.first_seed, opts.first_seed + opts.seeds)
             for proto in protocols for s, r in pairs]
    print("xfer_noise: %d transfers of %d bytes, byte error rate %g, %s, %d at a time"
          % (len(cases), opts.size, opts.error_rate,
             "palvex-xfer against lrzsz" if opts.xfer else "lrzsz against itself", opts.jobs),
          flush=True)
    started = time.monotonic()
    with concurrent.futures.ThreadPoolExecutor(opts.jobs) as pool:
        futures = [pool.submit(run_case, c, opts, data_path, data) for c in cases]
        for f in concurrent.futures.as_completed(futures):
            c = f.result()
            print("xfer_noise: seed %s %s %s: %s %s" % (c.seed, c.protocol, c.direction, c.outcome,
                                                        c.detail), flush=True)
    print()
    print_table(cases, sys.stdout)
    failed = [c for c in cases if c.failed]
    complete = sum(c.outcome == "complete" for c in cases)
    print("\nxfer_noise: %d complete, %d ended with a reported error, %d failed, in %.0f s"
          % (complete, len(cases) - complete - len(failed), len(failed), time.monotonic() - started))
    if own_work and not failed and not opts.keep:
        shutil.rmtree(opts.work, ignore_errors=True)
    if failed:
        return 1
    if complete < opts.min_complete * len(cases):
        print("xfer_noise: fewer than %d%% of the transfers completed" % (100 * opts.min_complete))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
