#!/usr/bin/env python3
"""palvex-xfer against lrzsz, and against itself where lrzsz has no peer, over
ptys: XMODEM checksum, CRC and 1K, YMODEM batch and YMODEM-G, both ways, for
files of 0 bytes to 1 MB of random data.

Each side has a pty of its own and a relay joins them, as a cable joins two
computers: lrzsz changes its terminal settings while it runs, which on one
shared pty would apply to our side too. lrzsz answers into a pipe, since it
empties its terminal both ways when it ends. lrzsz's receivers also empty
their input right after every answer, where on a real line the next block is
still on the wire; the relay holds bytes for such a receiver until it waits
for input again.

Usage: xfer_interop_test.py --xfer PATH [--no-large] [--jobs N] [--only TEXT]
Exits 77 when lrzsz is not installed."""

import argparse
import concurrent.futures
import errno
import fcntl
import os
import platform
import random
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import termios
import threading
import time
import tty

SIZES = [0, 1, 127, 128, 129, 1023, 1024, 1025, 100 * 1024, 1024 * 1024]
LARGE = 1024 * 1024
SUB = 0x1A
GRACE = 15  # seconds left to the other side once one has ended
HANG_UP_SETTLE = 0.2  # how long a pty master keeps reading after its slave closed
# read(2) while lrzsz waits for input, as /proc/PID/syscall shows it.
READ_SYSCALL = {"x86_64": "0", "aarch64": "63", "i686": "3", "i386": "3"}.get(platform.machine())


def waits_for_input(pid):
    """True when `pid` is blocked reading its standard input (or is gone)."""
    try:
        if READ_SYSCALL is not None:
            with open("/proc/%d/syscall" % pid) as f:
                fields = f.read().split()
            return len(fields) >= 2 and fields[0] == READ_SYSCALL and int(fields[1], 16) == 0
        with open("/proc/%d/stat" % pid) as f:
            return f.read().rsplit(")", 1)[1].split()[0] in ("S", "Z")
    except (OSError, ValueError, IndexError):
        return True


class Relay(threading.Thread):
    """Moves bytes from our pty master to the peer's, and from `from_them` (the
    pipe lrzsz answers into, or the peer's master) back to ours. With
    `hold_for` (a lrzsz receiver's pid), bytes toward lrzsz wait after each of
    its answers until it reads again."""

    def __init__(self, ours, to_them, from_them, hold_for=None):
        super().__init__(daemon=True)
        self.routes = {ours: to_them, from_them: ours}
        self.to_them, self.from_them, self.hold_for = to_them, from_them, hold_for
        self.pending = {to_them: bytearray(), ours: bytearray()}
        self.readable = {ours: True, from_them: True}
        self.is_pty = {fd: os.isatty(fd) for fd in self.readable}
        self.held = False
        self.hung_up = {}
        self.stopping = threading.Event()
        for fd in (ours, to_them, from_them):
            fcntl.fcntl(fd, fcntl.F_SETFL, fcntl.fcntl(fd, fcntl.F_GETFL) | os.O_NONBLOCK)

    def run(self):
        while not self.stopping.is_set():
            want_read = [fd for fd, ok in self.readable.items() if ok]
            want_write = [fd for fd, data in self.pending.items() if data]
            holding = False
            if self.held and self.pending[self.to_them]:
                if waits_for_input(self.hold_for):
                    self.held = False
                else:
                    want_write.remove(self.to_them)
                    holding = True
            try:
                r, w, _ = select.select(want_read, want_write, [], 0.0005 if holding else 0.05)
            except InterruptedError:
                continue
            for fd in w:
                try:
                    del self.pending[fd][:os.write(fd, self.pending[fd])]
                except BlockingIOError:
                    pass
                except OSError:
                    self.pending[fd].clear()
            for fd in r:
                try:
                    data = os.read(fd, 65536)
                except BlockingIOError:
                    continue
                except OSError as e:
                    if e.errno != errno.EIO:
                        raise
                    data = b""
                if not data:
                    # A pty master shows its slave's end at once but hands
                    # over what it wrote last a moment later.
                    since = self.hung_up.setdefault(fd, time.monotonic())
                    if not self.is_pty[fd] or time.monotonic() - since >= HANG_UP_SETTLE:
                        self.readable[fd] = False
                    else:
                        time.sleep(0.002)
                    continue
                self.hung_up.pop(fd, None)
                self.pending[self.routes[fd]] += data
                if fd == self.from_them and self.hold_for is not None:
                    self.held = True

    def stop(self):
        self.stopping.set()
        self.join(5)


class Pty:
    def __init__(self):
        self.master, self.slave = os.openpty()
        tty.setraw(self.slave)
        self.path = os.ttyname(self.slave)

    def close_slave(self):
        if self.slave is not None:
            os.close(self.slave)
        self.slave = None

    def close(self):
        self.close_slave()
        if self.master is not None:
            os.close(self.master)
        self.master = None


class Outcome:
    def __init__(self, name):
        self.name, self.problems, self.logs, self.seconds = name, [], {}, 0.0

    def check(self, ok, text):
        if not ok:
            self.problems.append(text)


def run_pair(outcome, procs, deadline):
    """Waits for every process; once one has ended the others get GRACE
    seconds, and nobody runs past the deadline."""
    first_end = None
    while any(p.poll() is None for p in procs.values()):
        now = time.monotonic()
        if first_end is None and any(p.poll() is not None for p in procs.values()):
            first_end = now
        if now >= (deadline if first_end is None else min(deadline, first_end + GRACE)):
            for label, p in procs.items():
                if p.poll() is None:
                    p.kill()
                    p.wait()
                    outcome.problems.append("%s did not end in time" % label)
            return
        time.sleep(0.01)


class Case:
    """One transfer: `ours` is palvex-xfer's command line (without the line),
    `peer` the other program's; `placement` is "line", "stdio" or "master"."""

    def __init__(self, name, ours, peer, placement, check, weight, peer_is_xfer=False, lrzsz_receives=False):
        self.name, self.ours, self.peer, self.placement, self.check = name, ours, peer, placement, check
        self.weight, self.peer_is_xfer, self.lrzsz_receives = weight, peer_is_xfer, lrzsz_receives


def spawn_on_slave(cmd, cwd, err, pty, by_path):
    """palvex-xfer on a pty slave: opened by itself (--line; the slave stays
    open here, since a master whose slave was never opened reads as hung up)
    or as its standard input and output."""
    if by_path:
        return subprocess.Popen(cmd + ["--line", pty.path], cwd=cwd, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=err)
    proc = subprocess.Popen(cmd, cwd=cwd, stdin=pty.slave, stdout=pty.slave, stderr=err)
    pty.close_slave()
    return proc


def run_case(case, xfer, root):
    outcome = Outcome(case.name)
    work = os.path.join(root, case.name.replace(" ", "_").replace("/", "_"))
    ctx = {"ours": os.path.join(work, "ours"), "peer": os.path.join(work, "peer")}
    for d in ctx.values():
        os.makedirs(d)
    ours_cmd = [xfer] + [a.format(**ctx) for a in case.ours]
    peer_cmd = ([xfer] if case.peer_is_xfer else []) + [a.format(**ctx) for a in case.peer]
    ours_err = open(os.path.join(work, "ours.err"), "wb")
    peer_err = open(os.path.join(work, "peer.err"), "wb")
    ptys, pipes, relay = [Pty()], [], None
    p_pty = ptys[0]
    start = time.monotonic()
    try:
        if case.peer_is_xfer and case.placement == "master":
            # Ours on the master, the peer opening the slave, which stays open
            # here: neither side ever sees the other hang up.
            ours = subprocess.Popen(ours_cmd, cwd=ctx["ours"], stdin=p_pty.master, stdout=p_pty.master,
                                    stderr=ours_err)
            peer = subprocess.Popen(peer_cmd + ["--line", p_pty.path], cwd=ctx["peer"],
                                    stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=peer_err)
            os.close(p_pty.master)
            p_pty.master = None
        else:
            ours = spawn_on_slave(ours_cmd, ctx["ours"], ours_err, p_pty, case.placement == "line")
            l_pty = Pty()
            ptys.append(l_pty)
            if case.peer_is_xfer:
                peer = spawn_on_slave(peer_cmd, ctx["peer"], peer_err, l_pty, case.placement != "line")
                answers = l_pty.master
            else:
                answers, answers_in = os.pipe()
                pipes.append(answers)
                try:
                    peer = subprocess.Popen(peer_cmd, cwd=ctx["peer"], stdin=l_pty.slave, stdout=answers_in,
                                            stderr=peer_err)
                finally:
                    os.close(answers_in)
                l_pty.close_slave()
            relay = Relay(p_pty.master, l_pty.master, answers, hold_for=peer.pid if case.lrzsz_receives else None)
            relay.start()
        run_pair(outcome, {"palvex-xfer": ours, "peer": peer}, start + 60 + case.weight / 8000)
    finally:
        if relay is not None:
            relay.stop()
        for p in ptys:
            p.close()
        for fd in pipes:
            os.close(fd)
        ours_err.close()
        peer_err.close()
    outcome.seconds = time.monotonic() - start
    outcome.logs = {"palvex-xfer": read_log(os.path.join(work, "ours.err")),
                    "peer": read_log(os.path.join(work, "peer.err"))}
    outcome.status = {"ours": ours.returncode, "peer": peer.returncode}
    outcome.dirs = ctx
    case.check(outcome)
    return outcome


def file_bytes(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return None


def read_log(path):
    return (file_bytes(path) or b"").decode("latin-1").replace("\r", "\n")


def padded(data, block, pad):
    return data + bytes([pad]) * ((-len(data)) % block)


def lrzsz_padded_ok(data, got, max_block):
    """lrzsz pads its last block with SUB; with 1K blocks it sends a short tail
    in 128-byte blocks."""
    if got is None or not got.startswith(data):
        return False
    tail = got[len(data):]
    return len(got) % 128 == 0 and len(tail) < max_block and tail == bytes([SUB]) * len(tail)


def describe(data, got):
    if got is None:
        return "no file"
    first = next((i for i in range(min(len(data), len(got))) if data[i] != got[i]), min(len(data), len(got)))
    return "%d bytes for %d sent, first difference at %d" % (len(got), len(data), first)


def expect_status(o, ours, peer):
    o.check(o.status["ours"] == ours, "palvex-xfer ended with %s, not %s" % (o.status["ours"], ours))
    if peer is not None:
        o.check(o.status["peer"] == peer, "the peer ended with %s, not %s" % (o.status["peer"], peer))


def write_source(root, name, data):
    path = os.path.join(root, name)
    with open(path, "wb") as f:
        f.write(data)
    return path


def xmodem_cases(rng, sizes, root):
    """XMODEM both ways against sx and rx, one file per transfer, both
    placements for every protocol and direction."""
    cases = []
    table = [  # protocol, lrzsz sender, lrzsz receiver, our block, lrzsz's largest block
        ("xmodem", ["sx"], ["rx"], 128, 128),
        ("xmodem-crc", ["sx"], ["rx", "-c"], 128, 128),
        ("xmodem-1k", ["sx", "-k"], ["rx", "-c"], 1024, 1024),
    ]
    for protocol, sender, receiver, our_block, their_block in table:
        for index, size in enumerate(sizes):
            data = rng.randbytes(size)
            name = "f%d.bin" % size
            src = write_source(root, "src-%s-%d.bin" % (protocol, size), data)
            placement, back = (("line", "stdio"), ("stdio", "line"))[index % 2]

            def check_receive(o, data=data, their_block=their_block):
                expect_status(o, 0, 0)
                got = file_bytes(os.path.join(o.dirs["ours"], "got.bin"))
                o.check(lrzsz_padded_ok(data, got, their_block),
                        "received: %s; want the data and SUB padding" % describe(data, got))
                o.check("Done" in o.logs["palvex-xfer"], "no 'Done' reported")

            cases.append(Case("%s receive %d (%s)" % (protocol, size, placement),
                              ["receive", "--protocol", protocol, "{ours}/got.bin"],
                              sender + [src], placement, check_receive, size))
            if size == 0:
                def check_refused(o):
                    expect_status(o, 1, None)
                    o.check("zero-length" in o.logs["palvex-xfer"], "no clear message for the empty file")
                    o.check(file_bytes(os.path.join(o.dirs["peer"], "line.raw")) == b"",
                            "something was sent for the empty file")

                # Refused before the line is touched: the far end only records.
                cases.append(Case("%s send 0 (%s)" % (protocol, back), ["send", "--protocol", protocol, src],
                                  ["timeout", "2", "sh", "-c", "cat > line.raw"], back, check_refused, 0))
                continue

            def check_send(o, data=data, our_block=our_block, name=name):
                expect_status(o, 0, 0)
                got = file_bytes(os.path.join(o.dirs["peer"], name))
                want = padded(data, our_block, 0)
                o.check(got == want, "rx wrote %s; want the data and NUL padding to %d" % (describe(want, got), our_block))

            cases.append(Case("%s send %d (%s)" % (protocol, size, back), ["send", "--protocol", protocol, src],
                              receiver + [name], back, check_send, size, lrzsz_receives=True))
    return cases


def ymodem_cases(rng, sizes, root):
    """Batches of three files, the empty one in the middle of the first."""
    groups = [[1, 0, 127], [128, 129, 1023], [1024, 100 * 1024, 1025], [LARGE, 1, 1024]]
    allowed = set(sizes) | {1, 1024}
    cases = []
    for index, group in enumerate([[s for s in g if s in allowed] for g in groups]):
        files = []
        for position, size in enumerate(group):
            data = rng.randbytes(size)
            name = "b%d_%d_%d.bin" % (index, position, size)
            files.append((name, write_source(root, name, data), data))
        paths = [p for _, p, _ in files]
        weight = sum(len(d) for _, _, d in files)
        placement, back = (("line", "stdio"), ("stdio", "line"))[index % 2]
        sb = ["sb", "-k"] if index >= 2 else ["sb"]  # 1K blocks for the larger groups

        def check_from_sb(o, files=files):
            expect_status(o, 0, 0)
            for name, _, data in files:
                got = file_bytes(os.path.join(o.dirs["ours"], name))
                o.check(lrzsz_padded_ok(data, got, 1024),
                        "%s: %s; want the data and SUB padding" % (name, describe(data, got)))

        def check_sent(o, files=files, pad_to=1):
            expect_status(o, 0, 0)
            for name, _, data in files:
                got = file_bytes(os.path.join(o.dirs["peer"], name))
                if data:
                    want = padded(data, pad_to, 0)
                    o.check(got == want, "%s: the peer wrote %s (padding to %d)" % (name, describe(want, got), pad_to))
                else:
                    o.check(got is None, "%s: an empty file was sent" % name)
                    o.check("File is zero length" in o.logs["palvex-xfer"], "the skipped empty file is not reported")

        sizes_text = "+".join(str(len(d)) for _, _, d in files)
        for protocol in ("ymodem", "ymodem-g"):
            cases.append(Case("%s receive %s (%s)" % (protocol, sizes_text, placement),
                              ["receive", "--protocol", protocol, "--dir", "{ours}"],
                              sb + paths, placement, check_from_sb, weight))
        cases.append(Case("ymodem send %s (%s)" % (sizes_text, back), ["send", "--protocol", "ymodem"] + paths,
                          ["rb"], back, check_sent, weight, lrzsz_receives=True))
        # lrzsz has no YMODEM-G receiver: ours receives from ours, once with
        # the sender on a pty master; the receiver keeps the NUL padding.
        between = ("line", "stdio", "master", "line")[index % 4]
        cases.append(Case("ymodem-g send %s (%s, to palvex-xfer)" % (sizes_text, between),
                          ["send", "--protocol", "ymodem-g"] + paths,
                          ["receive", "--protocol", "ymodem-g", "--dir", "{peer}"], between,
                          lambda o, files=files: check_sent(o, files, 1024), weight, peer_is_xfer=True))
    return cases


def command_line_checks(xfer, work):
    """What palvex-xfer answers before any transfer: the exit status a script
    relies on and a message that says why."""
    some = write_source(work, "some.bin", b"x" * 10)
    rows = [
        # arguments, exit status, text on standard output, on standard error
        (["--help"], 0, "usage: palvex-xfer", ""),
        (["send", "--protocol", "zmodem", some], 2, "", "zmodem: not available yet"),
        (["receive", "--protocol", "ymodem", "--line", os.path.join(work, "none")], 1, "", "cannot open"),
    ]
    outcomes = []
    for args, status, out_text, err_text in rows:
        o = Outcome("command line: " + " ".join(a.replace(work + "/", "") for a in args))
        try:
            done = subprocess.run([xfer] + args, stdin=subprocess.DEVNULL, capture_output=True, timeout=20)
            out, err, rc = done.stdout.decode("latin-1"), done.stderr.decode("latin-1"), done.returncode
        except subprocess.TimeoutExpired:
            out, err, rc = "", "", "a hang"
        o.check(rc == status, "ended with %s, not %s" % (rc, status))
        o.check(out_text in out and err_text in err, "said %r / %r" % (out[:80], err[-200:]))
        outcomes.append(o)
    return outcomes


def interrupt_check(xfer, work):
    """Ctrl-C on a waiting receive on a terminal: three CANs go out, the end
    says "user cancelled", and the terminal gets its settings back."""
    o = Outcome("Ctrl-C cancels and gives the terminal back")
    line = Pty()
    cooked = termios.tcgetattr(line.slave)
    cooked[3] |= termios.ICANON | termios.ECHO  # as a shell leaves it
    termios.tcsetattr(line.slave, termios.TCSANOW, cooked)
    before = termios.tcgetattr(line.slave)
    proc = subprocess.Popen([xfer, "receive", "--protocol", "xmodem-crc", os.path.join(work, "int.bin")],
                            stdin=line.slave, stdout=line.slave, stderr=subprocess.PIPE)
    got = bytearray()

    def read_for(seconds, until=None):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline and not (until and until in got):
            if select.select([line.master], [], [], 0.1)[0]:
                try:
                    data = os.read(line.master, 100)
                except OSError:
                    return
                if not data:
                    return
                got.extend(data)
    try:
        read_for(10, b"C")
        o.check(b"C" in got, "no start byte")
        o.check(termios.tcgetattr(line.slave)[3] & termios.ICANON == 0, "the terminal is not raw during the transfer")
        proc.send_signal(signal.SIGINT)
        try:
            err = proc.communicate(timeout=10)[1].decode("latin-1")
        except subprocess.TimeoutExpired:
            proc.kill()
            err = proc.communicate()[1].decode("latin-1")
            o.problems.append("Ctrl-C did not end it")
        read_for(1)
        o.check(proc.returncode == 1, "ended with %s, not 1" % proc.returncode)
        o.check(b"\x18\x18\x18" in got, "no CAN bytes on the line: %r" % bytes(got[:20]))
        o.check("user cancelled" in err, "standard error %r lacks 'user cancelled'" % err[-200:])
        o.check(termios.tcgetattr(line.slave) == before, "the terminal settings were not given back")
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()
        line.close()
    return o


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--xfer", required=True)
    parser.add_argument("--no-large", action="store_true", help="leave out the 1 MB files")
    parser.add_argument("--jobs", type=int, default=3)
    parser.add_argument("--only", default="", help="run the cases whose name contains this")
    args = parser.parse_args()
    if any(shutil.which(p) is None for p in ("sx", "rx", "sb", "rb")):
        print("skipped: lrzsz is not installed")
        return 77
    xfer = os.path.abspath(args.xfer)
    sizes = [s for s in SIZES if not (args.no_large and s == LARGE)]
    rng = random.Random(20240611)
    root = tempfile.mkdtemp(prefix="xfer-interop-")
    cases = [c for c in xmodem_cases(rng, sizes, root) + ymodem_cases(rng, sizes, root) if args.only in c.name]
    cases.sort(key=lambda c: -c.weight)  # the long ones first; the short ones fill the gaps
    outcomes = command_line_checks(xfer, root) + [interrupt_check(xfer, root)] if not args.only else []
    with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, args.jobs)) as pool:
        futures = [pool.submit(run_case, c, xfer, root) for c in cases]
        for future in concurrent.futures.as_completed(futures):
            outcomes.append(future.result())
            print("%-4s %s (%.1f s)" % ("FAIL" if outcomes[-1].problems else "ok", outcomes[-1].name,
                                        outcomes[-1].seconds), flush=True)
    failed = [o for o in outcomes if o.problems]
    for o in failed:
        print("\n== %s\n   %s" % (o.name, "\n   ".join(o.problems)))
        for label, text in o.logs.items():
            print("   -- %s (last lines)\n      %s" % (label, "\n      ".join(
                l[:200] for l in [l for l in text.split("\n") if l.strip()][-8:])))
    print("\n%d transfers, the command-line and Ctrl-C checks, %d failed" % (len(cases), len(failed)))
    if failed:
        print("work folder: %s" % root)
        return 1
    shutil.rmtree(root, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
