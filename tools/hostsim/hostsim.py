#!/usr/bin/env python3
"""A Hayes modem with a small bulletin board behind it, on a pty.

The program under test opens the pty's slave as its serial port; this process
holds the master for its whole life and plays the modem (AT commands, dialing
outcomes per number, incoming calls, the +++ escape) and, once a call is up,
the host (login, colour menus, a text area, a file area running lrzsz and
C-Kermit on the line).  See README.md for the options and the config file.
"""

import argparse
import collections
import errno
import fcntl
import os
import select
import signal
import socket
import subprocess
import sys
import termios
import time
import traceback

# Run from a source tree: leave no bytecode caches beside the sources.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "lib"))

from rawtty import set_nonblocking, set_raw  # noqa: E402

import host  # noqa: E402
import hsconfig  # noqa: E402
import modem  # noqa: E402

CR, LF = 13, 10
PORT_POLL = 0.05  # how often a closed slave is checked for a new opener
OUTQ_LIMIT = 65536
MAX_ERRORS_IN_A_ROW = 10


def printable(data):
    if isinstance(data, str):
        data = data.encode("latin-1", "replace")
    out = []
    for b in data:
        if 32 <= b < 127 and b != 92:
            out.append(chr(b))
        else:
            out.append({13: "\\r", 10: "\\n", 92: "\\\\"}.get(b, "\\x%02x" % b))
    return "".join(out)


class EventLog:
    def __init__(self, path):
        self.f = open(path, "a", encoding="utf-8") if path else None

    def __call__(self, text):
        if self.f:
            self.f.write("%.6f %s\n" % (time.monotonic(), text))
            self.f.flush()

    def close(self):
        if self.f:
            self.f.close()


class Child:
    """A transfer program on the line, relayed to the caller.

    lrzsz gets a socket pair: on a pty its exit flushes the terminal both
    ways, which can discard its last acknowledgement before it is relayed.
    C-Kermit will not run without a terminal, so it gets a pty of its own as
    its controlling terminal (it does not flush output on exit).
    """

    def __init__(self, argv, cwd, tty):
        if tty:
            self.fd, theirs = os.openpty()
        else:
            ours, theirs_sock = socket.socketpair()
            self.fd = os.dup(ours.fileno())
            ours.close()
            theirs = os.dup(theirs_sock.fileno())
            theirs_sock.close()
        try:
            if tty:
                set_raw(theirs)
            self.proc = subprocess.Popen(
                argv, cwd=cwd, stdin=theirs, stdout=theirs, stderr=subprocess.PIPE,
                start_new_session=True, preexec_fn=self._take_terminal if tty else None,
                close_fds=True)
        except BaseException:
            os.close(self.fd)
            raise
        finally:
            os.close(theirs)
        set_nonblocking(self.fd)
        self.err = self.proc.stderr.fileno()
        set_nonblocking(self.err)
        self.outq = bytearray()  # caller -> child
        self.err_text = bytearray()
        self.err_open = True
        self.done = False

    @staticmethod
    def _take_terminal():
        fcntl.ioctl(0, termios.TIOCSCTTY, 0)

    def finish(self):
        """Reap the child after its end of the line closed; its exit status."""
        try:
            return self.proc.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.kill()
            return self.proc.wait()

    def kill(self):
        if self.proc.poll() is None:
            try:
                os.killpg(self.proc.pid, signal.SIGKILL)
            except OSError:
                pass
            self.proc.wait()

    def close(self):
        self.kill()
        if self.fd is not None:
            os.close(self.fd)
            self.fd = None
        self.proc.stderr.close()


class Call:
    def __init__(self, rate, gen):
        self.rate = rate
        self.gen = gen
        self.request = None  # what the session waits for
        self.inbuf = collections.deque()  # caller bytes not yet read by the host
        self.held = bytearray()  # host output while the modem is in command mode
        self.quiet = False
        self.child = None


class Simulator:
    def __init__(self, cfg, args):
        self.cfg = cfg
        self.args = args
        self.log = EventLog(args.event_log)
        self.bytelog = open(args.log, "ab") if args.log else None
        self.master, slave = os.openpty()
        self.slave_name = os.ttyname(slave)
        set_raw(slave)
        # Only the program holds the slave from here on, so a read error on the
        # master tells that it closed the port: the modem sees DTR drop.
        os.close(slave)
        set_nonblocking(self.master)
        self.link = None
        self.port_open = False
        self.outq = bytearray()
        self.stop = False
        self.timers = {}
        self.settings = modem.ModemSettings(cfg.guard)
        self.state = "command"  # command, dialing, online, online-command
        self.cmdbuf = bytearray()
        self.last_line = ""
        self.call = None
        self.calls_ended = 0
        self.rings = 0
        self.incoming_calls = 0
        # escape detection
        self.last_rx = 0.0
        self.esc_count = 0
        self.esc_held = bytearray()
        self.esc_first = 0.0
        self.esc_last = 0.0
        self.esc_before = 0.0
        self.wake_r, self.wake_w = os.pipe()
        set_nonblocking(self.wake_r)
        set_nonblocking(self.wake_w)

    # ----- setup and the loop -------------------------------------------------

    def make_link(self, path):
        tmp = "%s.%d.tmp" % (path, os.getpid())
        if os.path.lexists(path) and not os.path.islink(path):
            raise SystemExit("hostsim: %s exists and is not a symlink; not replacing it" % path)
        os.symlink(self.slave_name, tmp)
        os.replace(tmp, path)
        self.link = path

    def install_signals(self):
        signal.set_wakeup_fd(self.wake_w)
        for sig in (signal.SIGTERM, signal.SIGINT):
            signal.signal(sig, self._on_signal)

    def _on_signal(self, signum, frame):
        self.stop = True

    def request_stop(self):
        self.stop = True

    def run(self):
        """Serve until stopped; returns the exit status."""
        self.log("start slave=%s%s" % (self.slave_name, " silent" if self.args.silent else ""))
        errors = 0
        status = 0
        while not self.stop:
            try:
                self.step()
                errors = 0
            except Exception:
                # A fault of ours must not take the line down with it: report
                # it, drop the call it happened in and carry on.
                text = traceback.format_exc()
                sys.stderr.write("hostsim: internal error\n" + text)
                self.log("internal-error " + printable(text))
                errors += 1
                if errors >= MAX_ERRORS_IN_A_ROW:
                    status = 1
                    break
                if self.call:
                    try:
                        self.end_call("internal-error", report=True)
                    except Exception:
                        self.call = None
                        self.state = "command"
        self.shutdown()
        return status

    def step(self):
        now = time.monotonic()
        timeout = None
        if self.timers:
            timeout = max(0.0, min(t for t, _ in self.timers.values()) - now)
        if not self.port_open:
            timeout = PORT_POLL if timeout is None else min(timeout, PORT_POLL)
        rlist = [self.wake_r]
        wlist = []
        if self.port_open:
            rlist.append(self.master)
            if self.outq:
                wlist.append(self.master)
        child = self.call.child if self.call else None
        if child:
            # Stop taking the child's output while the program is not
            # reading ours, so a stalled line cannot fill memory.
            if self.state == "online" and not child.done and len(self.outq) < OUTQ_LIMIT:
                rlist.append(child.fd)
            if child.err_open:
                rlist.append(child.err)
            if child.outq and not child.done:
                wlist.append(child.fd)
        try:
            r, w, _ = select.select(rlist, wlist, [], timeout)
        except InterruptedError:
            return
        if self.wake_r in r:
            try:
                os.read(self.wake_r, 64)
            except OSError:
                pass
        if not self.port_open:
            self.read_port()
        elif self.master in r:
            self.read_port()
        if self.master in w:
            self.flush_port()
        if child and self.call and self.call.child is child:
            if child.err in r:
                self.read_child_err(child)
            if child.fd in w:
                self.flush_child(child)
            if child.fd in r:
                self.read_child(child)
        self.run_timers()

    def shutdown(self):
        if self.call and self.call.child:
            self.call.child.close()
        self.log("stop")
        if self.link:
            try:
                if os.readlink(self.link) == self.slave_name:
                    os.unlink(self.link)
            except OSError:
                pass
        os.close(self.master)
        if self.bytelog:
            self.bytelog.close()
        self.log.close()

    def set_timer(self, name, delay, fn):
        self.timers[name] = (time.monotonic() + delay, fn)

    def cancel_timer(self, name):
        self.timers.pop(name, None)

    def run_timers(self):
        now = time.monotonic()
        for name, (when, fn) in sorted(self.timers.items(), key=lambda kv: kv[1][0]):
            if when <= now and self.timers.get(name, (None,))[0] == when:
                del self.timers[name]
                fn()

    # ----- the port -----------------------------------------------------------

    def read_port(self):
        try:
            data = os.read(self.master, 4096)
        except BlockingIOError:
            if not self.port_open:
                self.on_port_open()
            return
        except OSError as e:
            if e.errno != errno.EIO:
                raise
            if self.port_open:
                self.on_port_closed()
            return
        if not data:
            return
        if not self.port_open:
            self.on_port_open()
        if self.bytelog:
            self.bytelog.write(data)
            self.bytelog.flush()
        if self.args.silent:
            return
        now = time.monotonic()
        for b in data:
            self.on_byte(b, now)

    def flush_port(self):
        try:
            n = os.write(self.master, self.outq)
        except BlockingIOError:
            return
        except OSError as e:
            if e.errno != errno.EIO:
                raise
            self.on_port_closed()
            return
        del self.outq[:n]

    def send(self, data):
        if self.port_open and data:
            self.outq += data
            self.flush_port()

    def on_port_open(self):
        self.port_open = True
        self.log("port-open")
        self.schedule_incoming()

    def on_port_closed(self):
        self.port_open = False
        self.outq.clear()
        self.cmdbuf.clear()
        self.log("port-closed")
        if self.state == "dialing":
            self.cancel_timer("dial")
            self.state = "command"
            self.log("dial-abandoned")
        if self.call:
            self.end_call("port-closed", report=False)
        self.stop_ringing()

    # ----- bytes from the program -----------------------------------------

    def on_byte(self, b, now):
        if self.state == "online":
            self.online_byte(b, now)
        elif self.state == "dialing":
            # The dialer gives up a dial by sending any character; line ends
            # trailing the dial command do not count.
            if b not in (CR, LF):
                self.cancel_timer("dial")
                self.state = "command"
                self.log("dial-aborted")
                self.result("NO CARRIER")
        else:
            self.command_byte(b)

    def command_byte(self, b):
        if self.settings.echo:
            self.send(bytes([b]))
        buf = self.cmdbuf
        if b == self.settings.s[3]:
            line = buf.decode("latin-1")
            buf.clear()
            if len(line) >= 2:
                self.execute(line)
            return
        if b == LF:
            return
        if b in (self.settings.s[5], 127):
            if buf:
                buf.pop()
            return
        if not buf:
            if b in b"Aa":
                buf.append(b)
        elif len(buf) == 1:
            if b in b"Tt":
                buf.append(b)
            elif b == ord("/"):
                buf.clear()
                if self.last_line:
                    self.execute(self.last_line)
            elif b not in b"Aa":
                buf.clear()
        elif len(buf) >= 255:
            buf.clear()
            self.result("ERROR")
        else:
            buf.append(b)

    def online_byte(self, b, now):
        gap = now - self.last_rx
        self.last_rx = now
        guard = self.settings.guard
        esc = self.settings.escape_char
        if self.esc_count:
            if b == esc and self.esc_count < 3 and gap <= guard:
                self.esc_count += 1
                self.esc_held.append(b)
                self.esc_last = now
                self.set_timer("escape", guard, self.escape_timer)
                return
            self.log("escape-aborted pluses=%d" % self.esc_count)
            self.flush_escape()
        elif b == esc and gap >= guard and esc < 128:
            self.esc_count = 1
            self.esc_held = bytearray([b])
            self.esc_first = self.esc_last = now
            self.esc_before = gap
            self.set_timer("escape", guard, self.escape_timer)
            return
        self.to_host(bytes([b]))

    def flush_escape(self):
        self.cancel_timer("escape")
        held = bytes(self.esc_held)
        self.esc_count = 0
        self.esc_held.clear()
        if held:
            self.to_host(held)

    def escape_timer(self):
        if self.esc_count < 3 or self.state != "online":
            self.flush_escape()
            return
        now = time.monotonic()
        self.esc_count = 0
        self.esc_held.clear()
        self.log("escape before=%.3f after=%.3f spread=%.3f guard=%.3f"
                 % (self.esc_before, now - self.esc_last, self.esc_last - self.esc_first,
                    self.settings.guard))
        self.state = "online-command"
        self.result("OK")

    # ----- commands -----------------------------------------------------------

    def result(self, text):
        self.log("result %s" % text)
        self.send(self.settings.result(text))

    def execute(self, line):
        self.log("command %s" % printable(line))
        self.last_line = line
        try:
            commands = modem.parse(line[2:])
        except modem.CommandError as e:
            self.log("error %s" % e)
            self.result("ERROR")
            return
        info = []
        s = self.settings
        in_call = self.call is not None
        for cmd in commands:
            op = cmd[0]
            try:
                if op == "E":
                    s.echo = bool(cmd[1])
                elif op == "V":
                    s.verbose = bool(cmd[1])
                elif op == "Q":
                    s.quiet = bool(cmd[1])
                elif op in ("Z", "&F"):
                    if op == "Z" and self.call:
                        self.end_call("ATZ", report=False)
                    s.reset()
                elif op == "S=":
                    s.set_register(cmd[1], cmd[2])
                elif op == "S?":
                    info.append("%03d" % s.s[cmd[1]])
                elif op == "H":
                    if cmd[1] == 0 and self.call:
                        self.end_call("ATH", report=False)
                elif op == "I":
                    info.append("HOSTSIM" if cmd[1] == 0 else "Hostsim simulated Hayes modem")
                elif op == "O":
                    if not in_call or self.call is None:
                        self.result("NO CARRIER")
                        return
                    self.go_online()
                    return
                elif op == "A":
                    if in_call:
                        self.result("ERROR")
                    else:
                        self.answer()
                    return
                elif op == "D":
                    if in_call:
                        self.result("ERROR")
                    else:
                        self.dial(cmd[1])
                    return
            except modem.CommandError as e:
                self.log("error %s" % e)
                self.result("ERROR")
                return
        for text in info:
            self.send(s.information(text))
        self.result("OK")

    def dial(self, dial_string):
        text = dial_string.split(";")[0]
        number, outcome = self.cfg.outcome_for(text)
        if not number:
            self.log("dial-empty %s" % printable(dial_string))
            self.result("ERROR")
            return
        self.stop_ringing()
        self.log("dial number=%s outcome=%s rate=%d after=%.3f"
                 % (number, outcome.kind, outcome.rate, outcome.after))
        if outcome.kind == "silence":
            # The line never answers: no result at all, and the modem takes
            # the next command as if the dial had not happened.
            return
        self.state = "dialing"
        self.set_timer("dial", outcome.after, lambda: self.dial_done(outcome))

    def dial_done(self, outcome):
        self.state = "command"
        if outcome.kind == "connect":
            self.start_call(outcome.rate)
        else:
            self.result({"busy": "BUSY", "no-carrier": "NO CARRIER",
                         "no-dialtone": "NO DIALTONE", "no-answer": "NO ANSWER"}[outcome.kind])

    # ----- incoming calls -------------------------------------------------

    def schedule_incoming(self):
        if (self.cfg.answer_enabled and self.port_open and self.call is None
                and "ring" not in self.timers
                and (self.cfg.repeat_calls or self.incoming_calls == 0)):
            self.rings = 0
            self.set_timer("ring", self.cfg.call_after, self.ring)

    def stop_ringing(self):
        self.cancel_timer("ring")
        self.rings = 0
        self.settings.s[1] = 0

    def ring(self):
        if self.state != "command" or self.call is not None:
            self.set_timer("ring", self.cfg.ring_interval, self.ring)
            return
        if self.rings == 0:
            self.incoming_calls += 1
        self.rings += 1
        self.settings.s[1] = self.rings
        self.log("ring n=%d" % self.rings)
        self.result("RING")
        s0 = self.settings.s[0]
        if s0 > 0 and self.rings >= s0:
            self.log("auto-answer s0=%d" % s0)
            self.stop_ringing()
            self.start_call(self.cfg.answer_rate)
        elif self.rings >= self.cfg.max_rings:
            self.log("caller-gave-up rings=%d" % self.rings)
            self.stop_ringing()
            self.schedule_incoming()
        else:
            self.set_timer("ring", self.cfg.ring_interval, self.ring)

    def answer(self):
        if self.rings > 0 or self.cfg.answer_enabled:
            self.log("answer")
            self.stop_ringing()
            self.start_call(self.cfg.answer_rate)
        else:
            self.result("NO CARRIER")

    # ----- the call -----------------------------------------------------------

    def start_call(self, rate):
        self.result("CONNECT %d" % rate if rate else "CONNECT")
        self.log("connect rate=%d" % rate)
        self.state = "online"
        self.last_rx = time.monotonic()
        self.esc_count = 0
        self.esc_held.clear()
        line = host.Line(self.host_send, self.cfg, rate, lambda text: self.log("host " + text))
        self.call = Call(rate, host.session(line))
        self.pump_host(None)

    def go_online(self):
        call = self.call
        self.state = "online"
        self.last_rx = time.monotonic()
        self.result("CONNECT %d" % call.rate if call.rate else "CONNECT")
        self.log("online")
        if call.held:
            self.send(bytes(call.held))
            call.held.clear()

    def host_send(self, data):
        if self.call is None:
            return
        if self.state == "online":
            self.send(data)
        else:
            self.call.held += data

    def to_host(self, data):
        call = self.call
        if call is None:
            return
        if call.child and not call.child.done:
            call.child.outq += data
            self.flush_child(call.child)
            return
        if call.quiet:
            return
        call.inbuf.extend(data)
        if call.request == host.READ:
            self.pump_host(call.inbuf.popleft())

    def pump_host(self, value):
        call = self.call
        while call is not None and self.call is call:
            call.request = None
            try:
                req = call.gen.send(value)
            except StopIteration:
                self.host_hangup("host")
                return
            except Exception:
                self.log("host-failed " + printable(traceback.format_exc()))
                self.host_hangup("host-failed")
                return
            if req == host.READ:
                if call.inbuf:
                    value = call.inbuf.popleft()
                    continue
                call.request = host.READ
                return
            if req == host.HANGUP:
                self.host_hangup("host")
                return
            kind = req[0]
            call.request = kind
            if kind == "sleep":
                self.set_timer("host", req[1], lambda: self.pump_host(None))
            elif kind == "quiet":
                call.quiet = True
                call.inbuf.clear()
                self.set_timer("host", req[1], self.end_quiet)
            elif kind == "run":
                self.start_child(req[1], req[2], req[3])
            else:
                self.log("host-failed unknown request %r" % (req,))
                self.host_hangup("host-failed")
            return

    def end_quiet(self):
        if self.call:
            self.call.quiet = False
            self.pump_host(None)

    def host_hangup(self, reason):
        self.end_call(reason, report=True)

    def end_call(self, reason, report):
        call = self.call
        if call is None:
            return
        self.call = None
        if call.child:
            call.child.close()
        self.cancel_timer("host")
        self.cancel_timer("escape")
        self.esc_count = 0
        self.esc_held.clear()
        call.gen.close()
        self.state = "command"
        self.log("hangup reason=%s" % reason)
        if report:
            self.result("NO CARRIER")
        self.calls_ended += 1
        if self.args.once:
            # Give the caller a moment to read the last result: closing the
            # master hangs the slave up and drops what it has not read.
            self.set_timer("exit", 1.0, self.request_stop)
            return
        self.schedule_incoming()

    # ----- transfer programs --------------------------------------------------

    def start_child(self, argv, cwd, tty):
        self.log("transfer-start cwd=%s argv=%s" % (cwd, " ".join(argv)))
        try:
            child = Child(argv, cwd, tty)
        except OSError as e:
            self.log("transfer-failed %s" % e)
            self.set_timer("host", 0, lambda: self.pump_host(127))
            return
        self.log("transfer-pid %d" % child.proc.pid)
        self.call.child = child
        if self.call.inbuf:
            child.outq += bytes(self.call.inbuf)
            self.call.inbuf.clear()

    def read_child(self, child):
        try:
            data = os.read(child.fd, 4096)
        except BlockingIOError:
            return
        except OSError as e:
            # EIO: the pty's last holder closed; ECONNRESET: the socket's.
            if e.errno not in (errno.EIO, errno.ECONNRESET):
                raise
            data = b""
        if data:
            self.host_send(data)
            return
        self.child_done(child)

    def read_child_err(self, child):
        try:
            data = os.read(child.err, 4096)
        except BlockingIOError:
            return
        if not data:
            # The child is exiting; its pty tells when it is gone.
            child.err_open = False
            return
        child.err_text += data
        while b"\n" in child.err_text:
            text, _, rest = bytes(child.err_text).partition(b"\n")
            child.err_text = bytearray(rest)
            if text.strip():
                self.log("transfer-says %s" % printable(text.strip(b"\r")))

    def flush_child(self, child):
        if not child.outq or child.done:
            return
        try:
            n = os.write(child.fd, child.outq)
        except BlockingIOError:
            return
        except OSError:
            child.outq.clear()
            return
        del child.outq[:n]

    def child_done(self, child):
        child.done = True
        status = child.finish()
        try:
            rest = os.read(child.err, 65536)
        except OSError:
            rest = b""
        if rest:
            child.err_text += rest + b"\n"
            self.read_child_err_lines(child)
        self.log("transfer-end status=%d" % status)
        child.close()
        call = self.call
        if call is not None and call.child is child:
            call.child = None
            self.pump_host(status)

    def read_child_err_lines(self, child):
        for text in bytes(child.err_text).split(b"\n"):
            if text.strip():
                self.log("transfer-says %s" % printable(text.strip(b"\r")))
        child.err_text.clear()


def main(argv=None):
    p = argparse.ArgumentParser(description="A Hayes modem and a small BBS on a pty.")
    p.add_argument("--link", metavar="PATH", help="make PATH a symlink to the pty slave")
    p.add_argument("--print-slave", action="store_true", help="print the slave path first")
    p.add_argument("--config", metavar="FILE", help="numbers, incoming calls and host (INI)")
    p.add_argument("--log", metavar="FILE", help="append every byte received to FILE")
    p.add_argument("--event-log", metavar="FILE", help="append one timestamped line per event")
    p.add_argument("--silent", action="store_true", help="a dead port: read and drop everything")
    p.add_argument("--once", action="store_true", help="exit when the first call ends")
    args = p.parse_args(argv)
    try:
        cfg = hsconfig.load(args.config)
    except hsconfig.ConfigError as e:
        print("hostsim: %s" % e, file=sys.stderr)
        return 2
    try:
        sim = Simulator(cfg, args)
    except OSError as e:
        print("hostsim: %s: %s" % (e.filename or "pty", e.strerror), file=sys.stderr)
        return 2
    if args.print_slave:
        print(sim.slave_name, flush=True)
    if args.link:
        try:
            sim.make_link(args.link)
        except OSError as e:
            print("hostsim: cannot link %s to %s: %s" % (args.link, sim.slave_name, e.strerror),
                  file=sys.stderr)
            return 2
    sim.install_signals()
    return sim.run()


if __name__ == "__main__":
    sys.exit(main())
