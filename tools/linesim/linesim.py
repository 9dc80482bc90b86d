#!/usr/bin/env python3
"""A serial line between two programs: paced, noisy, lossy or cut on demand.

Each end of the line is a command whose stdin/stdout are the slave of a fresh
pty (raw), a command on plain pipes, or a pty whose slave is published through
a symlink for a program that opens a device.  Bytes cross the line one way or
the other at the given baud rate (10 bits a byte, each direction on its own),
and on the way they may have a bit flipped, be dropped, or stop for good once
the line is cut.  The random choices depend only on the seed, the direction and
the byte's position in that direction, so a run with the same seed and the
same bytes hits the same bytes however the reads happen to be split.
See README.md.
"""

import argparse
import errno
import fcntl
import json
import math
import os
import random
import select
import signal
import subprocess
import struct
import sys
import termios
import time

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "lib"))

from rawtty import set_nonblocking, set_raw  # noqa: E402

READ_SIZE = 4096
EXIT_DRAIN = 2.0     # how long output is still taken from a command that exited
KILL_WAIT = 2.0      # SIGTERM, then SIGKILL after this long
HANGUP_WAIT = 5.0    # longest wait for a pty's reader before its master goes
HANGUP_SETTLE = 0.05
MIN_SLEEP = 0.0005   # the loop wakes no more often than this for pacing


def parse_rate(text):
    try:
        value = float(text)
    except ValueError:
        raise argparse.ArgumentTypeError("not a number: %r" % text)
    if not 0.0 <= value <= 1.0 or math.isnan(value):
        raise argparse.ArgumentTypeError("a rate is between 0 and 1, not %s" % text)
    return value


def parse_nonnegative(kind):
    def parse(text):
        try:
            value = kind(text)
        except ValueError:
            raise argparse.ArgumentTypeError("not a number: %r" % text)
        if value < 0 or (isinstance(value, float) and math.isnan(value)):
            raise argparse.ArgumentTypeError("must not be negative: %s" % text)
        return value
    return parse


def parse_tally(text):
    values = []
    for part in text.split(","):
        part = part.strip()
        if not part:
            continue
        try:
            value = int(part, 16)
        except ValueError:
            raise argparse.ArgumentTypeError("not a hex byte: %r" % part)
        if not 0 <= value <= 255:
            raise argparse.ArgumentTypeError("not a byte: %r" % part)
        values.append(value)
    return values


class Hits:
    """Which byte positions of one direction an event hits, and which bit.

    Every byte is hit with probability `rate`, independently; the gaps between
    hits are drawn from the geometric distribution, so the work is per hit, not
    per byte.  Each hit draws its gap and its bit together, so the sequence
    depends on the seed alone, not on how the bytes arrived."""

    def __init__(self, rate, seed):
        self.rate = rate
        self.rng = random.Random(seed)
        self.next = -1
        self.bit = 0
        self.advance()

    def advance(self):
        if self.rate <= 0.0:
            self.next = math.inf
            return
        if self.rate >= 1.0:
            self.next += 1
        else:
            u = self.rng.random()
            self.next += 1 + int(math.log1p(-u) / math.log1p(-self.rate))
        self.bit = self.rng.randrange(8)

    def take(self, end):
        """The hits before position `end`, as (position, bit), in order."""
        hits = []
        while self.next < end:
            hits.append((self.next, self.bit))
            self.advance()
        return hits


class Log:
    def __init__(self, path):
        self.f = open(path, "w", encoding="ascii") if path else None
        self.t0 = time.monotonic()

    def __call__(self, text):
        if self.f:
            self.f.write("%.6f %s\n" % (time.monotonic() - self.t0, text))

    def close(self):
        if self.f:
            self.f.close()
            self.f = None


class Endpoint:
    """One end of the line: where bytes come from and go to."""

    def __init__(self, name, kind, spec):
        self.name = name
        self.kind = kind          # "pty", "pipe" or "link"
        self.spec = spec          # the command, or the link's path
        self.proc = None
        self.rfd = None           # bytes from the endpoint
        self.wfd = None           # bytes to the endpoint
        self.held_slave = None    # link: our own hold on the slave
        self.slave_name = None
        self.read_eof = False
        self.write_closed = False
        self.exited_at = None
        self.status = None
        self.killed = False
        self.link_made = False
        self.hangup_deadline = None
        self.last_write = 0.0

    @property
    def is_command(self):
        return self.kind != "link"

    def start(self):
        if self.kind == "pipe":
            self.proc = subprocess.Popen(["/bin/sh", "-c", self.spec], stdin=subprocess.PIPE,
                                         stdout=subprocess.PIPE, start_new_session=True)
            self.wfd = self.proc.stdin.fileno()
            self.rfd = self.proc.stdout.fileno()
            set_nonblocking(self.wfd)
            set_nonblocking(self.rfd)
            return
        master, slave = os.openpty()
        set_raw(slave)
        self.slave_name = os.ttyname(slave)
        set_nonblocking(master)
        self.rfd = self.wfd = master
        if self.kind == "pty":
            try:
                self.proc = subprocess.Popen(["/bin/sh", "-c", self.spec], stdin=slave, stdout=slave,
                                             start_new_session=True)
            finally:
                # From here on only the command holds the slave, so the master
                # reports EOF once the command (and whatever it started) is gone.
                os.close(slave)
        else:
            # A program that opens the device may close and reopen it; holding
            # the slave ourselves keeps the line up (and raw) in between.
            self.held_slave = slave
            self.make_link()

    def make_link(self):
        path = self.spec
        if os.path.lexists(path) and not os.path.islink(path):
            raise SystemExit("linesim: %s exists and is not a symlink; not replacing it" % path)
        tmp = "%s.%d.tmp" % (path, os.getpid())
        try:
            os.symlink(self.slave_name, tmp)
            os.replace(tmp, path)
        except OSError as e:
            raise SystemExit("linesim: cannot make the link %s: %s" % (path, e.strerror))
        self.link_made = True

    def remove_link(self):
        if self.link_made:
            try:
                if os.path.islink(self.spec) and os.readlink(self.spec) == self.slave_name:
                    os.unlink(self.spec)
            except OSError:
                pass
            self.link_made = False

    def close_input(self):
        """The far end has nothing more to say: a pipe gets EOF on stdin.  A
        pty cannot be half-closed, so it only hears silence."""
        if self.write_closed or self.wfd is None:
            return
        if self.kind == "pipe":
            self.proc.stdin.close()
            self.wfd = None
            self.write_closed = True

    def hang_up(self, now):
        """The line is gone: pipes get EOF, ptys lose their master.  A pty
        loses what its reader had not taken yet when the master goes, so the
        master stays until the slave's input queue is empty (or a while)."""
        if self.kind == "pipe":
            self.close_input()
            return True
        if self.rfd is None:
            return True
        if self.hangup_deadline is None:
            self.hangup_deadline = now + HANGUP_WAIT
        # Bytes written to the master reach the slave's queue a moment later,
        # so an empty queue right after a write proves nothing.
        settled = now - self.last_write >= HANGUP_SETTLE and not self.unread_input()
        if not settled and now < self.hangup_deadline:
            return False
        os.close(self.rfd)
        self.rfd = self.wfd = None
        self.read_eof = True
        self.write_closed = True
        if self.held_slave is not None:
            os.close(self.held_slave)
            self.held_slave = None
        return True

    def unread_input(self):
        fd = self.held_slave
        opened = False
        try:
            if fd is None:
                fd = os.open(self.slave_name, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
                opened = True
            return struct.unpack("i", fcntl.ioctl(fd, termios.FIONREAD, b"\0\0\0\0"))[0]
        except OSError:
            return 0
        finally:
            if opened:
                os.close(fd)

    def poll(self, now):
        if self.proc is not None and self.exited_at is None:
            status = self.proc.poll()
            if status is not None:
                self.status = status
                self.exited_at = now

    def terminate(self, sig=signal.SIGTERM):
        if self.proc is None or self.exited_at is not None:
            return
        self.killed = True
        try:
            os.killpg(self.proc.pid, sig)
        except (ProcessLookupError, PermissionError):
            pass

    def close(self):
        for fd in {self.rfd, self.wfd, self.held_slave} - {None}:
            if self.kind == "pipe":
                continue
            try:
                os.close(fd)
            except OSError:
                pass
        if self.kind == "pipe" and self.proc is not None:
            for f in (self.proc.stdin, self.proc.stdout):
                try:
                    f.close()
                except (OSError, ValueError):
                    pass
        self.rfd = self.wfd = self.held_slave = None
        self.remove_link()

    def describe(self):
        out = {"kind": self.kind}
        if self.is_command:
            out["command"] = self.spec
            out["status"] = self.status
            out["killed"] = self.killed
        else:
            out["link"] = self.spec
            out["slave"] = self.slave_name
        return out


class Direction:
    """Bytes on their way from one endpoint to the other."""

    def __init__(self, src, dst, args, label):
        self.src = src
        self.dst = dst
        self.label = label
        self.byte_time = 10.0 / args.baud if args.baud else 0.0
        self.delay = args.delay
        self.limit = max(1, args.buffer)
        self.flips = Hits(args.error_rate, "%s:%s:flip" % (args.seed, label))
        self.drops = Hits(args.drop_rate, "%s:%s:drop" % (args.seed, label))
        self.wire = []            # [start time of first byte, bytearray] on the wire
        self.wire_free = 0.0      # when the last byte put on the wire is through
        self.out = bytearray()    # through the wire, waiting for the endpoint
        self.entered = 0          # bytes read from the source (position counter)
        self.delivered = 0
        self.flipped = 0
        self.dropped = 0
        self.first = None
        self.last = None
        self.tally_values = args.tally
        self.tally = {v: 0 for v in args.tally}
        self.eof_passed = False

    def queued(self):
        return sum(len(chunk) for _, chunk in self.wire) + len(self.out)

    def wants_input(self):
        return self.queued() < self.limit

    def accept(self, data, now, log):
        """Bytes read from the source enter the line: drops and flips first."""
        start = self.entered
        end = start + len(data)
        self.entered = end
        drops = {pos for pos, _ in self.drops.take(end)}
        buf = bytearray(data)
        for pos, bit in self.flips.take(end):
            if pos in drops:
                continue
            i = pos - start
            before = buf[i]
            buf[i] ^= 1 << bit
            self.flipped += 1
            log("# flip %s byte %d bit %d %02x->%02x" % (self.label, pos, bit, before, buf[i]))
        if drops:
            for pos in sorted(drops):
                log("# drop %s byte %d %02x" % (self.label, pos, buf[pos - start]))
            for pos in sorted(drops, reverse=True):
                del buf[pos - start]
            self.dropped += len(drops)
        if not buf:
            return
        # A byte goes on the wire once the one before it is through, and comes
        # out at the far end `delay` after its last bit went on.
        begin = max(now, self.wire_free)
        self.wire_free = begin + len(buf) * self.byte_time
        if not self.byte_time and not self.delay:
            self.out += buf
        else:
            self.wire.append([begin + self.delay, buf])

    def clock(self, now):
        """Move the bytes whose line time has passed off the wire; returns the
        time the next one is due (or None)."""
        while self.wire:
            begin, chunk = self.wire[0]
            if not self.byte_time:
                if now < begin:
                    return begin
                self.out += chunk
                self.wire.pop(0)
                continue
            due = int((now - begin) / self.byte_time + 1e-9)
            if due <= 0:
                return begin + self.byte_time
            if due >= len(chunk):
                self.out += chunk
                self.wire.pop(0)
                continue
            self.out += chunk[:due]
            del chunk[:due]
            self.wire[0][0] = begin + due * self.byte_time
            return self.wire[0][0] + self.byte_time
        return None

    def drained(self):
        return not self.wire and not self.out

    def count_delivered(self, data, now):
        if self.first is None:
            self.first = now
        self.last = now
        self.delivered += len(data)
        for v in self.tally_values:
            self.tally[v] += data.count(v)

    def discard(self):
        self.wire.clear()
        self.out.clear()

    def describe(self, t0):
        return {
            "read": self.entered,
            "delivered": self.delivered,
            "flipped": self.flipped,
            "dropped": self.dropped,
            "first": None if self.first is None else round(self.first - t0, 6),
            "last": None if self.last is None else round(self.last - t0, 6),
            "tally": {"%02x" % v: n for v, n in self.tally.items()},
        }


class Line:
    def __init__(self, args):
        self.args = args
        self.log = Log(args.log)
        self.a = Endpoint("a", *args.a_end)
        self.b = Endpoint("b", *args.b_end)
        self.ab = Direction(self.a, self.b, args, "a>b")
        self.ba = Direction(self.b, self.a, args, "b>a")
        self.cut = False
        self.cut_at = None
        self.total = 0
        self.timed_out = False
        self.stop_signal = None
        self.killing_since = None
        self.t0 = None
        self.wake_r, self.wake_w = os.pipe()
        set_nonblocking(self.wake_r)
        set_nonblocking(self.wake_w)

    def endpoints(self):
        return (self.a, self.b)

    def commands(self):
        return [e for e in self.endpoints() if e.is_command]

    def _on_signal(self, signum, frame):
        self.stop_signal = signum

    def run(self):
        signal.set_wakeup_fd(self.wake_w)
        for sig in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
            signal.signal(sig, self._on_signal)
        signal.signal(signal.SIGCHLD, lambda *_: None)  # wakes the select
        self.t0 = time.monotonic()
        try:
            for end in self.endpoints():
                end.start()
            if self.args.print_slaves:
                for end in self.endpoints():
                    if end.kind == "link":
                        print("%s %s" % (end.name, end.slave_name), flush=True)
            self.loop()
        finally:
            self.shutdown()
        return self.report()

    # ----- the loop -----------------------------------------------------------

    def loop(self):
        while True:
            now = time.monotonic()
            for end in self.endpoints():
                end.poll(now)
            if self.should_stop(now):
                return
            self.enforce_limits(now)
            due = [d.clock(now) for d in (self.ab, self.ba)]
            self.flush_out(now)
            self.pass_eof()
            timeout = self.next_wake(now, due)
            rlist = [self.wake_r]
            wlist = []
            for d in (self.ab, self.ba):
                src, dst = d.src, d.dst
                if src.rfd is not None and not src.read_eof and d.wants_input():
                    rlist.append(src.rfd)
                if d.out and dst.wfd is not None:
                    wlist.append(dst.wfd)
            try:
                readable, writable, _ = select.select(rlist, wlist, [], timeout)
            except InterruptedError:
                continue
            if self.wake_r in readable:
                try:
                    while os.read(self.wake_r, 256):
                        pass
                except BlockingIOError:
                    pass
            now = time.monotonic()
            for d in (self.ab, self.ba):
                if d.src.rfd is not None and d.src.rfd in readable:
                    self.read_from(d, now)

    def should_stop(self, now):
        if self.stop_signal is not None:
            return True
        commands = self.commands()
        if commands and all(e.exited_at is not None for e in commands):
            # Both gone: what either still had to say has no listener.
            if all(e.read_eof or now - e.exited_at > EXIT_DRAIN for e in commands):
                return True
        return False

    def enforce_limits(self, now):
        args = self.args
        running = [e for e in self.commands() if e.exited_at is None]
        if not running:
            return
        reason = None
        if args.timeout and now - self.t0 > args.timeout:
            reason = "timeout"
            self.timed_out = True
        elif args.grace is not None:
            exited = [e.exited_at for e in self.commands() if e.exited_at is not None]
            if exited and now - min(exited) > args.grace:
                reason = "grace"
        if reason is None:
            return
        if self.killing_since is None:
            self.killing_since = now
            for e in running:
                self.log("# terminate %s (%s)" % (e.name, reason))
                e.terminate(signal.SIGTERM)
        elif now - self.killing_since > KILL_WAIT:
            for e in running:
                e.terminate(signal.SIGKILL)

    def next_wake(self, now, due):
        times = [t for t in due if t is not None]
        if self.args.timeout:
            times.append(self.t0 + self.args.timeout)
        if self.args.grace is not None:
            times += [e.exited_at + self.args.grace for e in self.commands() if e.exited_at is not None]
        if self.killing_since is not None:
            times.append(self.killing_since + KILL_WAIT)
        timeout = 0.25  # child exits without SIGCHLD delivery still get seen
        for e in self.commands():
            if e.exited_at is not None and not e.read_eof:
                times.append(e.exited_at + EXIT_DRAIN)
        if self.cut and self.args.cut_eof and any(e.rfd is not None for e in self.endpoints()):
            times.append(now + 0.01)  # a hang-up waits for the reader
        if times:
            timeout = min(timeout, max(MIN_SLEEP, min(times) - now))
        return timeout

    def read_from(self, d, now):
        src = d.src
        try:
            data = os.read(src.rfd, min(READ_SIZE, max(1, d.limit - d.queued())))
        except BlockingIOError:
            return
        except OSError as e:
            if e.errno != errno.EIO:
                self.log("# read error %s: %s" % (src.name, e.strerror))
            data = b""
        if not data:
            src.read_eof = True
            self.log("# eof %s" % src.name)
            return
        if self.cut:
            return  # the line is dead: whatever is sent goes nowhere
        limit = self.args.cut_after
        if limit is not None and self.total + len(data) >= limit:
            data = data[:limit - self.total]
            self.total = limit
            if data:
                self.log("%s %s" % (d.label, data.hex()))
                d.accept(data, now, self.log)
            self.cut_line(now)
            return
        self.total += len(data)
        self.log("%s %s" % (d.label, data.hex()))
        d.accept(data, now, self.log)

    def cut_line(self, now):
        self.cut = True
        self.cut_at = now
        self.log("# cut after %d bytes" % self.total)

    def flush_out(self, now):
        for d in (self.ab, self.ba):
            dst = d.dst
            if not d.out:
                continue
            if dst.wfd is None:
                d.out.clear()
                continue
            try:
                n = os.write(dst.wfd, d.out)
            except BlockingIOError:
                continue
            except OSError as e:
                # The reader is gone; nothing further can reach it.
                self.log("# write error %s: %s" % (dst.name, e.strerror))
                d.discard()
                if dst.kind == "pipe":
                    dst.close_input()
                continue
            if n:
                dst.last_write = now
                d.count_delivered(d.out[:n], now)
                del d.out[:n]

    def pass_eof(self):
        for d in (self.ab, self.ba):
            if d.eof_passed or not d.drained() or self.cut:
                continue
            if d.src.read_eof:
                d.eof_passed = True
                d.dst.close_input()
        if self.cut and self.args.cut_eof and self.ab.drained() and self.ba.drained():
            now = time.monotonic()
            for end in self.endpoints():
                end.hang_up(now)

    # ----- the end ------------------------------------------------------------

    def shutdown(self):
        for e in self.commands():
            e.terminate(signal.SIGTERM)
        deadline = time.monotonic() + KILL_WAIT
        for e in self.commands():
            if e.proc is None:
                continue
            try:
                e.proc.wait(max(0.0, deadline - time.monotonic()))
            except subprocess.TimeoutExpired:
                e.terminate(signal.SIGKILL)
                e.proc.wait()
            if e.status is None:
                e.status = e.proc.returncode
                e.exited_at = time.monotonic()
        for e in self.endpoints():
            e.close()
        self.log.close()

    def report(self):
        end = time.monotonic()
        return {
            "elapsed": round(end - self.t0, 6),
            "baud": self.args.baud,
            "seed": self.args.seed,
            "error_rate": self.args.error_rate,
            "drop_rate": self.args.drop_rate,
            "cut": self.cut,
            "cut_at": None if self.cut_at is None else round(self.cut_at - self.t0, 6),
            "timed_out": self.timed_out,
            "signal": self.stop_signal,
            "a": self.a.describe(),
            "b": self.b.describe(),
            "a_to_b": self.ab.describe(self.t0),
            "b_to_a": self.ba.describe(self.t0),
        }


def status_text(status):
    if status is None:
        return "still running"
    if status < 0:
        return "killed by signal %d" % -status
    return "exited %d" % status


def summary(report):
    lines = []
    for name in ("a", "b"):
        end = report[name]
        if end["kind"] == "link":
            lines.append("linesim: %s is the link %s" % (name, end["link"]))
        else:
            lines.append("linesim: %s %s: %s" % (name, status_text(end["status"]), end["command"]))
    for key, label in (("a_to_b", "a->b"), ("b_to_a", "b->a")):
        d = report[key]
        lines.append("linesim: %s %d bytes read, %d delivered, %d flipped, %d dropped"
                     % (label, d["read"], d["delivered"], d["flipped"], d["dropped"]))
    extra = []
    if report["cut"]:
        extra.append("line cut at %.3f s" % report["cut_at"])
    if report["timed_out"]:
        extra.append("timed out")
    if report["signal"]:
        extra.append("stopped by signal %d" % report["signal"])
    lines.append("linesim: %.3f s%s" % (report["elapsed"], "".join("; " + t for t in extra)))
    return "\n".join(lines) + "\n"


def exit_code(report):
    if report["timed_out"]:
        return 3
    statuses = [report[n]["status"] for n in ("a", "b") if report[n]["kind"] != "link"]
    return 0 if all(s == 0 for s in statuses) else 1


def parse_args(argv):
    p = argparse.ArgumentParser(
        prog="linesim.py",
        description="Relay bytes between two programs like a serial line: paced to a baud "
                    "rate, with seeded bit errors, drops and a cut.")
    for side in ("a", "b"):
        g = p.add_mutually_exclusive_group()
        g.add_argument("--" + side, dest=side + "_pty", metavar="CMD",
                       help="run CMD (through /bin/sh) with stdin/stdout on the slave of a new raw pty")
        g.add_argument("--%s-pipe" % side, dest=side + "_pipe", metavar="CMD",
                       help="run CMD with stdin/stdout on plain pipes")
        g.add_argument("--%s-link" % side, dest=side + "_link", metavar="PATH",
                       help="make PATH a symlink to the slave of a new raw pty for a program that opens it")
    p.add_argument("--baud", type=parse_nonnegative(int), default=0,
                   help="pace each direction to this rate, 10 bits a byte (0: as fast as possible)")
    p.add_argument("--delay", type=parse_nonnegative(float), default=0.0, metavar="SECONDS",
                   help="latency of the line: each byte arrives this long after it was sent, "
                        "on top of its line time")
    p.add_argument("--error-rate", type=parse_rate, default=0.0,
                   help="probability that a byte gets one random bit flipped")
    p.add_argument("--drop-rate", type=parse_rate, default=0.0,
                   help="probability that a byte is lost")
    p.add_argument("--cut-after", type=parse_nonnegative(int), default=None, metavar="N",
                   help="the line dies after N bytes (both directions counted together)")
    p.add_argument("--cut-eof", action="store_true",
                   help="when the line is cut, the endpoints see EOF/hang-up instead of silence")
    p.add_argument("--seed", default="0", help="seed of the errors and drops (any text)")
    p.add_argument("--buffer", type=parse_nonnegative(int), default=4096, metavar="BYTES",
                   help="paced: at most this many bytes wait per direction before the sender "
                        "is held back (default 4096)")
    p.add_argument("--timeout", type=parse_nonnegative(float), default=0.0, metavar="SECONDS",
                   help="terminate the commands after this long (0: never)")
    p.add_argument("--grace", type=parse_nonnegative(float), default=None, metavar="SECONDS",
                   help="once one command has exited, terminate the other after this long")
    p.add_argument("--tally", type=parse_tally, default=[], metavar="HEX,HEX",
                   help="count the delivered bytes of these values per direction (e.g. 15,18)")
    p.add_argument("--log", metavar="FILE", help="write every byte and every event to FILE")
    p.add_argument("--report", metavar="FILE", help="write the outcome as JSON to FILE")
    p.add_argument("--quiet", action="store_true", help="no summary on stderr")
    p.add_argument("--print-slaves", action="store_true",
                   help="print 'a|b /dev/pts/N' for each link endpoint on stdout once it is ready")
    args = p.parse_args(argv)
    for side in ("a", "b"):
        choices = [(k, getattr(args, "%s_%s" % (side, k))) for k in ("pty", "pipe", "link")]
        given = [(k, v) for k, v in choices if v is not None]
        if not given:
            p.error("one of --%s, --%s-pipe or --%s-link is required" % (side, side, side))
        kind, spec = given[0]
        if not spec.strip():
            p.error("the %s endpoint is empty" % side)
        setattr(args, side + "_end", (kind, spec))
    if args.a_end[0] == "link" and args.b_end[0] == "link" and args.a_end[1] == args.b_end[1]:
        p.error("both ends cannot be the same link")
    return args


def main(argv=None):
    args = parse_args(sys.argv[1:] if argv is None else argv)
    line = Line(args)
    report = line.run()
    if args.report:
        with open(args.report, "w", encoding="utf-8") as f:
            json.dump(report, f, indent=1)
            f.write("\n")
    if not args.quiet:
        sys.stderr.write(summary(report))
    return exit_code(report)


if __name__ == "__main__":
    sys.exit(main())
