#!/usr/bin/env python3
"""Tests of tools/hostsim: the simulated modem and BBS, talked to through the
pty slave as the program would, with real lrzsz and C-Kermit as the peers."""

import fcntl
import os
import random
import re
import select
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import termios
import time
import tty
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
TOOL_DIR = os.path.normpath(os.path.join(HERE, "..", "..", "tools", "hostsim"))
HOSTSIM = os.path.join(TOOL_DIR, "hostsim.py")
sys.dont_write_bytecode = True
sys.path.insert(0, TOOL_DIR)

import hsconfig  # noqa: E402

GUARD = 0.5
BASE_CONFIG = """
[modem]
guard = %(guard)s
[numbers]
9,123 = connect 2400 after 0.4
5550000 = busy
5550003 = no-dialtone
5550004 = connect 0
default = no-carrier
[host]
name = TEST BBS
files = files
uploads = uploads
page_lines = 5
banner_delay = 0
after_transfer_quiet = 0.3
text_file = text.txt
[users]
guest = guest
"""

START_TIMEOUT = 20  # a loaded build machine makes Python slow to start
REPLY_TIMEOUT = 10


class Sim:
    """One hostsim process and the test's end of its port."""

    def __init__(self, extra_config="", args=()):
        self.tmp = tempfile.TemporaryDirectory(prefix="hostsim-test-")
        d = self.tmp.name
        os.mkdir(os.path.join(d, "files"))
        os.mkdir(os.path.join(d, "uploads"))
        with open(os.path.join(d, "text.txt"), "w") as f:
            f.write("".join("text line %d\n" % n for n in range(1, 13)))
        self.config = os.path.join(d, "sim.ini")
        with open(self.config, "w") as f:
            f.write(BASE_CONFIG % {"guard": GUARD} + extra_config)
        self.link = os.path.join(d, "com1")
        self.event_log = os.path.join(d, "events.log")
        self.proc = subprocess.Popen(
            [sys.executable, HOSTSIM, "--config", self.config, "--link", self.link,
             "--log", os.path.join(d, "bytes.log"), "--event-log", self.event_log, "--print-slave", *args],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.proc.stdout.readline()
        deadline = time.monotonic() + START_TIMEOUT
        while not os.path.islink(self.link):
            if self.proc.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError("hostsim did not start: %s" % self.proc.stderr.read())
            time.sleep(0.02)
        self.fd, self.buf = None, bytearray()
        self.open()

    def path(self, *parts):
        return os.path.join(self.tmp.name, *parts)

    def open(self):
        self.fd = os.open(self.link, os.O_RDWR | os.O_NOCTTY)
        tty.setraw(self.fd)

    def close_port(self):
        if self.fd is not None:
            os.close(self.fd)
            self.fd = None

    def stop(self):
        self.close_port()
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.proc.stdout.close(), self.proc.stderr.close()
        self.tmp.cleanup()

    def send(self, data):
        os.write(self.fd, data)

    def _fill(self, timeout):
        if select.select([self.fd], [], [], timeout)[0]:
            self.buf += os.read(self.fd, 65536)

    def expect(self, pattern, timeout=REPLY_TIMEOUT):
        """Bytes up to and including the first match of `pattern` (bytes or regex)."""
        deadline = time.monotonic() + timeout
        while True:
            m = (re.search(re.escape(pattern), self.buf) if isinstance(pattern, bytes)
                 else pattern.search(self.buf))
            if m:
                out = bytes(self.buf[:m.end()])
                del self.buf[:m.end()]
                return out
            left = deadline - time.monotonic()
            if left <= 0:
                raise AssertionError("no %r within %ss; got %r" % (pattern, timeout, bytes(self.buf)))
            self._fill(left)

    def drain(self, seconds):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            self._fill(max(0.0, deadline - time.monotonic()))
        out = bytes(self.buf)
        self.buf.clear()
        return out

    def command(self, line, reply=b"OK\r\n"):
        self.send(line + b"\r")
        return self.expect(reply)

    def events(self, name=None):
        try:
            with open(self.event_log) as f:
                lines = [line.split(" ", 2)[1:] for line in f.read().splitlines()]
        except FileNotFoundError:
            return []
        out = [(e[0], e[1] if len(e) > 1 else "") for e in lines]
        return [e for e in out if name is None or e[0] == name]

    def wait_event(self, name, timeout=REPLY_TIMEOUT):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.events(name):
                return self.events(name)
            time.sleep(0.05)
        raise AssertionError("no %s event; log: %r" % (name, self.events()))

    def login(self):
        self.command(b"ATDT 9,123", b"CONNECT 2400\r\n")
        self.expect(b"login: ")
        self.send(b"guest\r")
        self.expect(b"password: ")
        self.send(b"guest\r")
        return self.expect(b"Main menu, your choice: \x1b[0m")


class SimTest(unittest.TestCase):
    extra_config = ""
    args = ()

    def setUp(self):
        self.sim = Sim(self.extra_config, self.args)

    def tearDown(self):
        self.sim.stop()


class ParsingTest(unittest.TestCase):
    def test_bad_config_is_reported(self):
        with tempfile.TemporaryDirectory() as d:
            for text in ["[numbers]\n123 = ring\n", "[numbers]\n--- = busy\n", "[answer]\nrate = fast\n",
                         "no section\n"]:
                path = os.path.join(d, "bad.ini")
                with open(path, "w") as f:
                    f.write(text)
                with self.assertRaises(hsconfig.ConfigError, msg=text):
                    hsconfig.load(path)
            runs = [(["--config", os.path.join(d, "missing.ini")], b"cannot read"),
                    (["--link", os.path.join(d, "no", "such", "dir")], b"cannot link"),
                    (["--event-log", os.path.join(d, "no", "events")], b"No such file")]
            for args, message in runs:
                r = subprocess.run([sys.executable, HOSTSIM, *args], capture_output=True, timeout=60)
                self.assertEqual(r.returncode, 2, args)
                self.assertIn(message, r.stderr, args)


class CommandModeTest(SimTest):
    def test_dial_outcomes(self):
        s = self.sim
        s.command(b"ATE0")
        cases = [(b"ATDT5550000", b"\r\nBUSY\r\n"), (b"ATDP5550003", b"\r\nNO DIALTONE\r\n"),
                 (b"ATDT 1234", b"\r\nNO CARRIER\r\n"), (b"ATD", b"\r\nERROR\r\n"),
                 (b"ATDT5550004", b"\r\nCONNECT\r\n")]
        for line, want in cases:
            s.send(line + b"\r")
            self.assertEqual(s.expect(want), want, line)
        dials = [e[1].split()[0] for e in s.events("dial")]
        self.assertEqual(dials, ["number=5550000", "number=5550003", "number=1234", "number=5550004"])


class OnlineTest(SimTest):
    def test_escape_with_guard_times_returns_to_command_mode(self):
        s = self.sim
        s.login()
        time.sleep(GUARD * 1.6)
        s.send(b"+++")
        self.assertEqual(s.expect(b"OK\r\n"), b"\r\nOK\r\n")
        (_, text), = s.events("escape")
        fields = dict(f.split("=") for f in text.split())
        self.assertGreaterEqual(float(fields["before"]), GUARD)
        self.assertGreaterEqual(float(fields["after"]), GUARD)
        self.assertAlmostEqual(float(fields["guard"]), GUARD)
        # the call is still up: ATO goes back to the host, which still works
        s.command(b"ATO", b"CONNECT 2400\r\n")
        s.send(b"T")
        s.expect(b"-- more --")

    def test_closing_the_port_hangs_up(self):
        s = self.sim
        s.login()
        s.close_port()
        s.wait_event("hangup")
        self.assertEqual(s.events("hangup"), [("hangup", "reason=port-closed")])
        s.open()
        s.command(b"AT")

    def test_goodbye_and_failed_logins_end_the_call(self):
        s = self.sim
        s.login()
        s.send(b"g")
        s.expect(b"Goodbye!\r\n\r\nNO CARRIER\r\n")
        s.command(b"ATDT 9,123", b"CONNECT 2400\r\n")
        for _ in range(3):
            s.expect(b"login: ")
            s.send(b"guest\r")
            s.expect(b"password: ")
            s.send(b"wrong\r")
            s.expect(b"Login incorrect")
        s.expect(b"NO CARRIER\r\n")
        self.assertEqual([e[1] for e in s.events("hangup")], ["reason=host", "reason=host"])
        s.command(b"AT")


class AnswerTest(SimTest):
    # The first ring comes late enough that S0 is always set before it.
    extra_config = "\n[answer]\ncall_after = 1.0\nring_interval = 0.4\nmax_rings = 20\nrate = 9600\n"

    def test_auto_answer_after_s0_rings(self):
        s = self.sim
        s.command(b"ATE0S0=2")
        got = s.expect(b"CONNECT 9600\r\n")
        self.assertEqual(got.count(b"\r\nRING\r\n"), 2)
        s.expect(b"login: ")
        self.assertEqual([e[1] for e in s.events("ring")], ["n=1", "n=2"])


class OnceTest(SimTest):
    args = ("--once",)

    def test_once_ends_with_the_first_call(self):
        s = self.sim
        s.command(b"ATDT5550000", b"BUSY\r\n")  # not a call
        s.login()
        s.send(b"G")
        s.expect(b"NO CARRIER\r\n")
        self.assertEqual(s.proc.wait(timeout=10), 0)
        self.assertFalse(os.path.lexists(s.link))


def run_peer(argv, fd, cwd, ctty=False, timeout=60):
    """A transfer program on the test's end of the line.

    lrzsz flushes its terminal both ways when it exits, which on the shared
    pty could throw away its last acknowledgement before the simulator has
    read it; so it talks through a socket pair relayed here.  C-Kermit needs
    a terminal and does not flush, so it gets the slave itself.
    """
    if ctty:
        def take_terminal():
            fcntl.ioctl(0, termios.TIOCSCTTY, 0)
        p = subprocess.Popen(argv, cwd=cwd, stdin=fd, stdout=fd, stderr=subprocess.PIPE,
                             start_new_session=True, preexec_fn=take_terminal)
        try:
            _, err = p.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            p.kill()
            _, err = p.communicate()
        return p.returncode, err
    ours, theirs = socket.socketpair()
    with tempfile.TemporaryFile() as err:
        p = subprocess.Popen(argv, cwd=cwd, stdin=theirs, stdout=theirs, stderr=err)
        theirs.close()
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            r, _, _ = select.select([ours, fd], [], [], 0.5)
            if fd in r:
                data = os.read(fd, 65536)
                try:
                    ours.sendall(data)
                except OSError:
                    break
            if ours in r:
                data = ours.recv(65536)
                if not data:
                    break
                os.write(fd, data)
        ours.close()
        try:
            p.wait(timeout=max(1, deadline - time.monotonic()))
        except subprocess.TimeoutExpired:
            p.kill()
            p.wait()
        err.seek(0)
        return p.returncode, err.read()


@unittest.skipUnless(shutil.which("sx") and shutil.which("rz") and shutil.which("kermit"),
                     "lrzsz or C-Kermit is not installed (scripts/setup installs them)")
class TransferTest(SimTest):
    def setUp(self):
        super().setUp()
        rng = random.Random(7)
        self.data = bytes(rng.randrange(256) for _ in range(4999)) + b"\x55"
        with open(self.sim.path("files", "DATA.BIN"), "wb") as f:
            f.write(self.data)
        with open(self.sim.path("files", "A.TXT"), "wb") as f:
            f.write(b"first file\r\n")
        self.down = self.sim.path("down")
        os.mkdir(self.down)

    def enter_file_area(self):
        s = self.sim
        s.login()
        s.send(b"F")
        listing = s.expect(b"File area, your choice: \x1b[0m")
        self.assertRegex(listing, rb" 1  A.TXT +12\r\n +2  DATA.BIN +5000\r\n")

    def finish(self):
        s = self.sim
        s.expect(b"Transfer complete.\r\n", timeout=30)
        s.expect(b"File area, your choice: \x1b[0m")

    def check_file(self, path, padded):
        with open(path, "rb") as f:
            got = f.read()
        os.unlink(path)
        if padded:  # XMODEM fills the last block with ^Z
            self.assertEqual(got[:len(self.data)], self.data)
            self.assertEqual(got[len(self.data):].strip(b"\x1a"), b"")
        else:
            self.assertEqual(got, self.data)

    def test_downloads_with_each_protocol(self):
        s = self.sim
        self.enter_file_area()
        cases = [  # key, file as typed, receiver on our side, needs a terminal, padded
            (b"C", b"2", ["rx", "-q", "-c", "got.bin"], False, True),
            (b"1", b"data.bin", ["rx", "-q", "-c", "got.bin"], False, True),
            (b"Y", b"DATA.BIN", ["rb", "-q", "-y"], False, False),
            (b"Z", b"2", ["rz", "-q", "-y"], False, False),
            (b"K", b"2", ["kermit", "-Y", "-q", "-i", "-r"], True, False),
        ]
        for key, typed, argv, ctty, padded in cases:
            with self.subTest(protocol=key):
                s.send(b"D")
                s.expect(b"Protocol (Enter to cancel): ")
                s.send(key)
                s.expect(b"File number or name: ")
                s.send(typed + b"\r")
                s.expect(b"download of DATA.BIN now (Ctrl-X several times to cancel).\r\n")
                rc, err = run_peer(argv, s.fd, self.down, ctty)
                self.assertEqual(rc, 0, err)
                self.finish()
                self.check_file(os.path.join(self.down, "got.bin" if padded else "DATA.BIN"), padded)

    def test_uploads_with_each_protocol(self):
        s = self.sim
        with open(os.path.join(self.down, "UP.BIN"), "wb") as f:
            f.write(self.data)
        self.enter_file_area()
        cases = [  # key, name asked for, sender on our side, needs a terminal, padded
            (b"X", b"X.BIN", ["sx", "-q", "UP.BIN"], False, True),
            (b"1", b"K1.BIN", ["sx", "-q", "-k", "UP.BIN"], False, True),
            (b"Y", None, ["sb", "-q", "-k", "UP.BIN"], False, False),
            (b"Z", None, ["sz", "-q", "UP.BIN"], False, False),
            (b"K", None, ["kermit", "-Y", "-q", "-i", "-s", "UP.BIN"], True, False),
        ]
        for key, name, argv, ctty, padded in cases:
            with self.subTest(protocol=key):
                s.send(b"U")
                s.expect(b"Protocol (Enter to cancel): ")
                s.send(key)
                if name:
                    s.expect(b"File name: ")
                    s.send(name + b"\r")
                s.expect(b"upload now (Ctrl-X several times to cancel).\r\n")
                rc, err = run_peer(argv, s.fd, self.down, ctty)
                self.assertEqual(rc, 0, err)
                self.finish()
                self.check_file(s.path("uploads", (name or b"UP.BIN").decode()), padded)

    def test_hanging_up_ends_a_transfer(self):
        s = self.sim
        self.enter_file_area()
        s.send(b"UZ")
        s.expect(b"upload now (Ctrl-X several times to cancel).\r\n")
        pid = int(s.wait_event("transfer-pid")[0][1])
        s.expect(b"\x18B01")  # rz's ZRINIT: it waits for a sender
        time.sleep(GUARD * 1.6)
        s.send(b"+++")
        s.expect(b"\r\nOK\r\n")
        s.command(b"ATH")
        self.assertEqual(s.events("hangup"), [("hangup", "reason=ATH")])
        with self.assertRaises(ProcessLookupError):
            os.kill(pid, 0)  # killed and reaped
        s.command(b"AT")

if __name__ == "__main__":
    unittest.main(verbosity=2)
