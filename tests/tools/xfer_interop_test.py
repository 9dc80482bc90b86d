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
Exit status 0 when every transfer did what it should, 1 otherwise, 77 when
lrzsz is not installed."""

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
# lrzsz's own verdict on a transfer and the time left to the other side once
# one has ended.
GRACE = 15
# How long a pty master keeps reading after its slave closed.
HANG_UP_SETTLE = 0.2
# read(2) while lrzsz waits for input, as /proc/PID/syscall shows it.
READ_SYSCALL = {"x86_64": "0", "aarch64": "63", "i686": "3", "i386": "3"}.get(platform.machine())


def set_nonblocking(fd):
    fcntl.fcntl(fd, fcntl.F_SETFL, fcntl.fcntl(fd, fcntl.F_GETFL) | os.O_NONBLOCK)


def waits_for_input(pid):
    """True when process `pid` is blocked reading its standard input (or is
    gone): whatever it meant to do after its last answer is done."""
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
    """Moves bytes from our side's pty master to the peer's pty master, and
    from `from_them` (the pipe lrzsz answers into, or the peer's master) back
    to ours, until stopped. With `hold_for` (a lrzsz receiver's pid), bytes
    toward lrzsz wait after each of its answers until it reads again."""

    def __init__(self, ours, to_them, from_them, hold_for=None):
        super().__init__(daemon=True)
        self.routes = {ours: to_them, from_them: ours}
        self.to_them = to_them
        self.from_them = from_them
        self.hold_for = hold_for
        self.pending = {to_them: bytearray(), ours: bytearray()}  # by the end they go to
        self.readable = {ours: True, from_them: True}
        self.is_pty = {fd: os.isatty(fd) for fd in self.readable}
        self.held = False
        self.hung_up = {}
        self.stopping = threading.Event()
        for fd in (ours, to_them, from_them):
            set_nonblocking(fd)

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
                    n = os.write(fd, self.pending[fd])
                    del self.pending[fd][:n]
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
                    # The program on the other end is gone. A pty master
                    # shows that at once but hands over what its slave
                    # wrote last a moment later; a pipe is simply at its end.
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

    def close(self):
        for fd in (self.master, self.slave):
            if fd is not None:
                try:
                    os.close(fd)
                except OSError:
                    pass
        self.master = self.slave = None


class Outcome:
    def __init__(self, name):
        self.name = name
        self.problems = []
        self.logs = {}
        self.seconds = 0.0

    def check(self, ok, text):
        if not ok:
            self.problems.append(text)


def run_pair(outcome, procs, deadline):
    """Waits for every process; once one has ended the others get GRACE
    seconds, and nobody runs past the deadline."""
    first_end = None
    while True:
        running = [p for p in procs.values() if p.poll() is None]
        if not running:
            return
        now = time.monotonic()
        if first_end is None and len(running) < len(procs):
            first_end = now
        limit = deadline if first_end is None else min(deadline, first_end + GRACE)
        if now >= limit:
            for label, p in procs.items():
                if p.poll() is None:
                    p.kill()
                    outcome.problems.append("%s did not end in time" % label)
            for p in procs.values():
                p.wait()
            return
        time.sleep(0.01)


class Case:
    """One transfer: `ours` is palvex-xfer's command line (without the
    line), `peer` the other program's (lrzsz, or palvex-xfer again)."""

    def __init__(self, name, ours, peer, placement, check, peer_is_xfer=False, lrzsz_receives=False):
        self.name = name
        self.ours = ours
        self.peer = peer
        self.placement = placement  # "line" or "stdio": where palvex-xfer sits
        self.check = check
        self.peer_is_xfer = peer_is_xfer
        self.lrzsz_receives = lrzsz_receives
        self.weight = 0


def read_log(path):
    try:
        with open(path, "rb") as f:
            return f.read().decode("latin-1").replace("\r", "\n")
    except OSError:
        return ""


def spawn_on_slave(cmd, cwd, err, pty, by_path):
    """palvex-xfer on a pty slave: opened by itself (--line) or as its
    standard input and output."""
    if by_path:
        # The slave stays open here: a master whose slave was never opened
        # reads as hung up.
        return subprocess.Popen(cmd + ["--line", pty.path], cwd=cwd, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=err)
    proc = subprocess.Popen(cmd, cwd=cwd, stdin=pty.slave, stdout=pty.slave, stderr=err)
    os.close(pty.slave)
    pty.slave = None
    return proc


def run_case(case, xfer, root):
    outcome = Outcome(case.name)
    work = os.path.join(root, case.name.replace(" ", "_").replace("/", "_"))
    ours_dir = os.path.join(work, "ours")
    peer_dir = os.path.join(work, "peer")
    os.makedirs(ours_dir)
    os.makedirs(peer_dir)
    ctx = {"ours": ours_dir, "peer": peer_dir}
    ours_cmd = [xfer] + [a.format(**ctx) for a in case.ours]
    peer_cmd = ([xfer] if case.peer_is_xfer else []) + [a.format(**ctx) for a in case.peer]
    ours_err = open(os.path.join(work, "ours.err"), "wb")
    peer_err = open(os.path.join(work, "peer.err"), "wb")
    ptys = []
    pipes = []
    relay = None
    start = time.monotonic()
    try:
        p_pty = Pty()
        ptys.append(p_pty)
        if case.peer_is_xfer and case.placement == "master":
            # Ours on the master, the peer opening the slave; the slave stays
            # open here, so neither side ever sees the other hang up.
            ours = subprocess.Popen(ours_cmd, cwd=ours_dir, stdin=p_pty.master, stdout=p_pty.master,
                                    stderr=ours_err)
            peer = subprocess.Popen(peer_cmd + ["--line", p_pty.path], cwd=peer_dir,
                                    stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=peer_err)
            os.close(p_pty.master)
            p_pty.master = None
        else:
            ours = spawn_on_slave(ours_cmd, ours_dir, ours_err, p_pty, case.placement == "line")
            if case.peer_is_xfer:
                # The peer takes the other way onto its slave.
                l_pty = Pty()
                ptys.append(l_pty)
                peer = spawn_on_slave(peer_cmd, peer_dir, peer_err, l_pty, case.placement != "line")
                answers = l_pty.master
            else:
                # lrzsz reads its pty and answers into a pipe. At its end it
                # empties its terminal both ways, which on a pty would throw
                # away its last answer if the relay had not read it yet.
                l_pty = Pty()
                ptys.append(l_pty)
                answers, answers_in = os.pipe()
                pipes.append(answers)
                try:
                    peer = subprocess.Popen(peer_cmd, cwd=peer_dir, stdin=l_pty.slave, stdout=answers_in,
                                            stderr=peer_err)
                finally:
                    os.close(answers_in)
                os.close(l_pty.slave)
                l_pty.slave = None
            relay = Relay(p_pty.master, l_pty.master, answers, hold_for=peer.pid if case.lrzsz_receives else None)
            relay.start()
        deadline = start + 60 + case.weight / 8000
        run_pair(outcome, {"palvex-xfer": ours, "peer": peer}, deadline)
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
    outcome.logs["palvex-xfer"] = read_log(os.path.join(work, "ours.err"))
    outcome.logs["peer"] = read_log(os.path.join(work, "peer.err"))
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


def padded(data, block, pad):
    return data + bytes([pad]) * ((-len(data)) % block)


def lrzsz_padded_ok(data, got, max_block):
    """lrzsz pads its last block with SUB; with 1K blocks it sends the tail
    in 128-byte blocks when it is short."""
    if got is None or not got.startswith(data):
        return False
    tail = got[len(data):]
    return len(got) % 128 == 0 and len(tail) < max_block and tail == bytes([SUB]) * len(tail)


def describe(data, got):
    if got is None:
        return "no file"
    if got == data:
        return "the same %d bytes" % len(data)
    for i in range(min(len(data), len(got))):
        if data[i] != got[i]:
            return "%d bytes, first difference at %d (sent %d)" % (len(got), i, len(data))
    return "%d bytes for %d sent" % (len(got), len(data))


def expect_status(o, ours, peer):
    o.check(o.status["ours"] == ours, "palvex-xfer ended with %s, not %s" % (o.status["ours"], ours))
    if peer is not None:
        o.check(o.status["peer"] == peer, "the peer ended with %s, not %s" % (o.status["peer"], peer))


def make_data(rng, size):
    return bytes(rng.getrandbits(8) for _ in range(size)) if size < 4096 else rng.randbytes(size)


def xmodem_cases(rng, sizes, root):
    """XMODEM both ways against sx and rx, one file per transfer."""
    cases = []
    table = [
        # protocol, lrzsz sender, lrzsz receiver, our block, lrzsz's largest block
        ("xmodem", ["sx"], ["rx"], 128, 128),
        ("xmodem-crc", ["sx"], ["rx", "-c"], 128, 128),
        ("xmodem-1k", ["sx", "-k"], ["rx", "-c"], 1024, 1024),
    ]
    for protocol, sender, receiver, our_block, their_block in table:
        for index, size in enumerate(sizes):
            data = make_data(rng, size)
            name = "f%d.bin" % size
            src = os.path.join(root, "src-%s-%d.bin" % (protocol, size))
            with open(src, "wb") as f:
                f.write(data)
            # Both placements for every protocol and direction.
            placement = ("line", "stdio")[index % 2]
            back = ("stdio", "line")[index % 2]

            def check_receive(o, data=data, their_block=their_block):
                expect_status(o, 0, 0)
                got = file_bytes(os.path.join(o.dirs["ours"], "got.bin"))
                o.check(lrzsz_padded_ok(data, got, their_block),
                        "received: %s; want the data and SUB padding" % describe(data, got))
                o.check("Done" in o.logs["palvex-xfer"], "no 'Done' reported")

            cases.append(Case("%s receive %d (%s)" % (protocol, size, placement),
                              ["receive", "--protocol", protocol, "{ours}/got.bin"],
                              sender + [src], placement, check_receive))
            cases[-1].weight = size

            if size == 0:
                def check_refused(o):
                    expect_status(o, 1, None)
                    o.check("zero-length" in o.logs["palvex-xfer"], "no clear message for the empty file")
                    o.check(file_bytes(os.path.join(o.dirs["peer"], "line.raw")) == b"",
                            "something was sent for the empty file")

                # Refused before the line is touched: the far end only
                # records what arrives.
                cases.append(Case("%s send 0 (%s)" % (protocol, back),
                                  ["send", "--protocol", protocol, src],
                                  ["timeout", "2", "sh", "-c", "cat > line.raw"], back, check_refused))
                continue

            def check_send(o, data=data, our_block=our_block, name=name):
                expect_status(o, 0, 0)
                got = file_bytes(os.path.join(o.dirs["peer"], name))
                want = padded(data, our_block, 0)
                o.check(got == want, "rx wrote %s; want the data and NUL padding to %d" % (describe(want, got), our_block))

            cases.append(Case("%s send %d (%s)" % (protocol, size, back),
                              ["send", "--protocol", protocol, src],
                              receiver + [name], back, check_send, lrzsz_receives=True))
            cases[-1].weight = size
    return cases


def batch_groups(sizes):
    """Three files a batch, the empty one in the middle of the first."""
    groups = [[1, 0, 127], [128, 129, 1023], [1024, 100 * 1024, 1025], [LARGE, 1, 1024]]
    allowed = set(sizes) | {1, 1024}
    return [[s for s in g if s in allowed] for g in groups]


def ymodem_cases(rng, sizes, root):
    cases = []
    for index, group in enumerate(batch_groups(sizes)):
        files = []
        for position, size in enumerate(group):
            data = make_data(rng, size)
            name = "b%d_%d_%d.bin" % (index, position, size)
            path = os.path.join(root, name)
            with open(path, "wb") as f:
                f.write(data)
            files.append((name, path, data))
        paths = [p for _, p, _ in files]
        weight = sum(len(d) for _, _, d in files)
        placement = ("line", "stdio")[index % 2]
        back = ("stdio", "line")[index % 2]
        # 1K blocks from sb for the larger groups, 128-byte ones for the rest.
        sb = ["sb", "-k"] if index >= 2 else ["sb"]

        def check_from_sb(o, files=files):
            expect_status(o, 0, 0)
            for name, _, data in files:
                got = file_bytes(os.path.join(o.dirs["ours"], name))
                o.check(lrzsz_padded_ok(data, got, 1024),
                        "%s: %s; want the data and SUB padding" % (name, describe(data, got)))

        def check_to_rb(o, files=files):
            expect_status(o, 0, 0)
            for name, _, data in files:
                got = file_bytes(os.path.join(o.dirs["peer"], name))
                if data:
                    o.check(got == data, "%s: rb wrote %s" % (name, describe(data, got)))
                else:
                    o.check(got is None, "%s: an empty file was sent" % name)
                    o.check("File is zero length" in o.logs["palvex-xfer"], "the skipped empty file is not reported")

        def check_stream_to_ours(o, files=files):
            expect_status(o, 0, 0)
            for name, _, data in files:
                got = file_bytes(os.path.join(o.dirs["peer"], name))
                if data:
                    want = padded(data, 1024, 0)
                    o.check(got == want, "%s: %s; want the data and NUL padding to 1024" % (name, describe(want, got)))
                else:
                    o.check(got is None, "%s: an empty file was sent" % name)

        sizes_text = "+".join(str(len(d)) for _, _, d in files)
        for protocol in ("ymodem", "ymodem-g"):
            cases.append(Case("%s receive %s (%s)" % (protocol, sizes_text, placement),
                              ["receive", "--protocol", protocol, "--dir", "{ours}"],
                              sb + paths, placement, check_from_sb))
            cases[-1].weight = weight
        cases.append(Case("ymodem send %s (%s)" % (sizes_text, back),
                          ["send", "--protocol", "ymodem"] + paths,
                          ["rb"], back, check_to_rb, lrzsz_receives=True))
        cases[-1].weight = weight
        # lrzsz has no YMODEM-G receiver: ours receives from ours, once with
        # the sender on a pty master.
        between = ("line", "stdio", "master", "line")[index % 4]
        cases.append(Case("ymodem-g send %s (%s, to palvex-xfer)" % (sizes_text, between),
                          ["send", "--protocol", "ymodem-g"] + paths,
                          ["receive", "--protocol", "ymodem-g", "--dir", "{peer}"],
                          between, check_stream_to_ours, peer_is_xfer=True))
        cases[-1].weight = weight
    return cases


def cli_checks(xfer, root):
    """What palvex-xfer says and returns before or instead of a transfer."""
    outcomes = []
    work = os.path.join(root, "cli")
    os.makedirs(work)
    some = os.path.join(work, "some.bin")
    with open(some, "wb") as f:
        f.write(b"x" * 10)
    rows = [
        # arguments, exit status, text expected on (stdout, stderr)
        (["--help"], 0, ("usage: palvex-xfer", "")),
        (["send", "--protocol", "zmodem", some], 2, ("", "zmodem: not available yet")),
        (["send", "--protocol", "xmodem"], 2, ("", "exactly one FILE")),
        (["send", "--protocol", "ymodem", some, os.path.join(work, "none.bin")], 1, ("", "No such file")),
        (["receive", "--protocol", "ymodem", "--line", os.path.join(work, "none")], 1, ("", "cannot open")),
        # A line that is only /dev/null ends at once, after the start byte.
        (["receive", "--protocol", "xmodem-crc", os.path.join(work, "got.bin")], 1,
         ("C", "the line was closed at the far end")),
    ]
    for args, status, (out_text, err_text) in rows:
        o = Outcome("command line: " + " ".join(a.replace(work + "/", "") for a in args))
        start = time.monotonic()
        try:
            done = subprocess.run([xfer] + args, stdin=subprocess.DEVNULL, capture_output=True, timeout=20)
            out, err, rc = done.stdout.decode("latin-1"), done.stderr.decode("latin-1"), done.returncode
        except subprocess.TimeoutExpired:
            out, err, rc = "", "", "a hang"
        o.seconds = time.monotonic() - start
        o.check(rc == status, "ended with %s, not %s" % (rc, status))
        o.check(out_text in out, "standard output %r lacks %r" % (out[:80], out_text))
        o.check(err_text in err, "standard error %r lacks %r" % (err[-200:], err_text))
        if status != 0:
            o.check(not out.replace("C", "").strip("\x18"), "more than the protocol on standard output: %r" % out[:80])
        outcomes.append(o)
    outcomes.append(interrupt_check(xfer, work))
    return outcomes


def interrupt_check(xfer, work):
    """Ctrl-C on a waiting receive on a terminal: three CANs go out, the
    end says "user cancelled", and the terminal gets its settings back."""
    o = Outcome("Ctrl-C cancels and gives the terminal back")
    line = Pty()
    cooked = termios.tcgetattr(line.slave)
    cooked[3] |= termios.ICANON | termios.ECHO  # as a shell leaves it
    termios.tcsetattr(line.slave, termios.TCSANOW, cooked)
    before = termios.tcgetattr(line.slave)
    start = time.monotonic()
    proc = subprocess.Popen([xfer, "receive", "--protocol", "xmodem-crc", os.path.join(work, "int.bin")],
                            stdin=line.slave, stdout=line.slave, stderr=subprocess.PIPE)
    got = bytearray()
    try:
        while b"C" not in got and time.monotonic() - start < 10:
            r, _, _ = select.select([line.master], [], [], 0.1)
            if r:
                got += os.read(line.master, 100)
        o.check(b"C" in got, "no start byte")
        o.check(termios.tcgetattr(line.slave)[3] & termios.ICANON == 0, "the terminal is not raw during the transfer")
        proc.send_signal(signal.SIGINT)
        try:
            err = proc.communicate(timeout=10)[1].decode("latin-1")
        except subprocess.TimeoutExpired:
            proc.kill()
            err = proc.communicate()[1].decode("latin-1")
            o.problems.append("Ctrl-C did not end it")
        while True:
            r, _, _ = select.select([line.master], [], [], 0.2)
            if not r:
                break
            try:
                data = os.read(line.master, 100)
            except OSError:
                break
            if not data:
                break
            got += data
        o.check(proc.returncode == 1, "ended with %s, not 1" % proc.returncode)
        o.check(b"\x18\x18\x18" in got, "no CAN bytes on the line: %r" % bytes(got[:20]))
        o.check("user cancelled" in err, "standard error %r lacks 'user cancelled'" % err[-200:])
        o.check(termios.tcgetattr(line.slave) == before, "the terminal settings were not given back")
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()
        line.close()
    o.seconds = time.monotonic() - start
    return o


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--xfer", required=True, help="the palvex-xfer program")
    parser.add_argument("--no-large", action="store_true", help="leave out the 1 MB files (sanitizer builds)")
    parser.add_argument("--jobs", type=int, default=3, help="transfers at a time")
    parser.add_argument("--only", default="", help="run the cases whose name contains this")
    parser.add_argument("--keep", action="store_true", help="keep the work folder")
    args = parser.parse_args()

    missing = [p for p in ("sx", "rx", "sb", "rb") if shutil.which(p) is None]
    if missing:
        print("skipped: lrzsz is not installed (%s missing)" % ", ".join(missing))
        return 77
    xfer = os.path.abspath(args.xfer)
    if not os.access(xfer, os.X_OK):
        print("no palvex-xfer at %s" % xfer)
        return 1

    sizes = [s for s in SIZES if not (args.no_large and s == LARGE)]
    rng = random.Random(20240611)
    root = tempfile.mkdtemp(prefix="xfer-interop-")
    cases = xmodem_cases(rng, sizes, root) + ymodem_cases(rng, sizes, root)
    cases = [c for c in cases if args.only in c.name]
    # The long ones first, so that the short ones fill the gaps at the end.
    cases.sort(key=lambda c: -c.weight)

    started = time.monotonic()
    failed = []
    if not args.only or "command" in args.only or "Ctrl-C" in args.only:
        for o in cli_checks(xfer, root):
            print("%-4s %-60s %6.2fs" % ("ok" if not o.problems else "FAIL", o.name[:60], o.seconds), flush=True)
            if o.problems:
                failed.append(o)
    with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, args.jobs)) as pool:
        futures = {pool.submit(run_case, c, xfer, root): c for c in cases}
        for future in concurrent.futures.as_completed(futures):
            o = future.result()
            print("%-4s %-60s %6.2fs" % ("ok" if not o.problems else "FAIL", o.name, o.seconds), flush=True)
            if o.problems:
                failed.append(o)
    for o in failed:
        print("\n== %s" % o.name)
        for p in o.problems:
            print("   " + p)
        for label, text in o.logs.items():
            lines = [l for l in text.split("\n") if l.strip()]
            print("   -- %s (last lines)" % label)
            for l in lines[-8:]:
                print("      " + l[:200])
    print("\n%d transfers and the command-line checks, %d failed, %.1f s" % (len(cases), len(failed), time.monotonic() - started))
    if not args.keep and not failed:
        shutil.rmtree(root, ignore_errors=True)
    elif failed or args.keep:
        print("work folder: %s" % root)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
