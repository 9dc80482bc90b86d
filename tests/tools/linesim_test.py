#!/usr/bin/env python3
"""Tests of tools/linesim: pacing, seeded errors and drops, the cut, how it
ends, and real lrzsz transfers through it."""

import json
import os
import random
import select
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
LINESIM = os.path.normpath(os.path.join(HERE, "..", "..", "tools", "linesim", "linesim.py"))
sys.dont_write_bytecode = True

RUN_LIMIT = 120  # no run of linesim in these tests may take longer


def pseudo_random(n, seed):
    return random.Random(seed).randbytes(n)


class Workdir:
    def __init__(self):
        self.tmp = tempfile.TemporaryDirectory(prefix="linesim-test-")
        self.path = self.tmp.name

    def file(self, name, data=None):
        p = os.path.join(self.path, name)
        if data is not None:
            with open(p, "wb") as f:
                f.write(data)
        return p

    def read(self, name):
        with open(self.file(name), "rb") as f:
            return f.read()

    def cleanup(self):
        self.tmp.cleanup()


def run_linesim(args, cwd, timeout=RUN_LIMIT):
    """Runs linesim to its end; returns (exit status, report, stderr)."""
    report = os.path.join(cwd, "report.json")
    if os.path.exists(report):
        os.unlink(report)
    proc = subprocess.run([sys.executable, LINESIM, "--report", report, *args], cwd=cwd,
                          stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, timeout=timeout)
    data = None
    if os.path.exists(report):
        with open(report) as f:
            data = json.load(f)
    return proc.returncode, data, proc.stderr.decode("utf-8", "replace")


def flipped_positions(sent, got):
    return [i for i, (x, y) in enumerate(zip(sent, got)) if x != y]


def log_events(path, kind):
    """('flip'|'drop') events of the log as (direction, position)."""
    out = []
    with open(path) as f:
        for line in f:
            parts = line.split()
            if len(parts) >= 5 and parts[1] == "#" and parts[2] == kind:
                out.append((parts[3], int(parts[5])))
    return out


class ErrorInjection(unittest.TestCase):
    """Flipped and dropped bytes are what the seed says, whatever the timing."""

    def setUp(self):
        self.w = Workdir()
        self.addCleanup(self.w.cleanup)
        self.sent = pseudo_random(100000, 1)
        self.w.file("in.bin", self.sent)
        # A feeder that trickles the same bytes in odd pieces, so that the reads
        # of linesim are split differently from those of `cat`.
        self.w.file("trickle.py", (
            "import sys, time\n"
            "data = open(sys.argv[1], 'rb').read()\n"
            "for i in range(0, len(data), 777):\n"
            "    sys.stdout.buffer.write(data[i:i + 777]); sys.stdout.flush()\n"
            "    if i % 7770 == 0: time.sleep(0.002)\n").encode())

    def transfer(self, *extra, feeder="cat"):
        if feeder == "cat":
            a = "cat in.bin"
        else:
            a = "%s trickle.py in.bin" % sys.executable
        status, report, err = run_linesim(["--a-pipe", a, "--b-pipe", "cat > out.bin",
                                           "--log", "line.log", *extra], self.w.path)
        self.assertEqual(status, 0, err)
        return report, self.w.read("out.bin")

    def test_flips_follow_the_seed(self):
        cases = [
            # (seed, rate, feeder)
            ("11", 1e-3, "cat"),
            ("11", 1e-3, "trickle"),
            ("12", 1e-3, "cat"),
            ("abc", 5e-4, "trickle"),
            ("11", 0.0, "cat"),
        ]
        positions = {}
        for seed, rate, feeder in cases:
            with self.subTest(seed=seed, rate=rate, feeder=feeder):
                report, got = self.transfer("--error-rate", str(rate), "--seed", seed, feeder=feeder)
                self.assertEqual(len(got), len(self.sent))
                flips = flipped_positions(self.sent, got)
                self.assertEqual(len(flips), report["a_to_b"]["flipped"])
                for i in flips:
                    self.assertEqual(bin(self.sent[i] ^ got[i]).count("1"), 1, "byte %d" % i)
                self.assertEqual([p for _, p in log_events(self.w.file("line.log"), "flip")], flips)
                expected = rate * len(self.sent)
                self.assertLessEqual(abs(len(flips) - expected), 5 * max(1.0, expected ** 0.5) + 1)
                key = (seed, rate)
                if key in positions:
                    self.assertEqual(positions[key], flips, "same seed, different feeder")
                positions[key] = flips
        self.assertNotEqual(positions[("11", 1e-3)], positions[("12", 1e-3)])

    def test_drops_follow_the_seed(self):
        cases = [
            # (seed, drop rate, error rate, feeder)
            ("5", 1e-3, 0.0, "cat"),
            ("5", 1e-3, 0.0, "trickle"),
            ("6", 2e-3, 1e-3, "cat"),
            ("6", 2e-3, 1e-3, "trickle"),
        ]
        seen = {}
        for seed, drop, err, feeder in cases:
            with self.subTest(seed=seed, drop=drop, err=err, feeder=feeder):
                report, got = self.transfer("--drop-rate", str(drop), "--error-rate", str(err),
                                            "--seed", seed, feeder=feeder)
                drops = [p for _, p in log_events(self.w.file("line.log"), "drop")]
                self.assertEqual(drops, sorted(drops))
                self.assertEqual(len(drops), report["a_to_b"]["dropped"])
                self.assertGreater(len(drops), 0)
                self.assertEqual(len(got), len(self.sent) - len(drops))
                kept = bytearray(self.sent)
                for p in sorted(drops, reverse=True):
                    del kept[p]
                # What is left is the input without the dropped bytes, each
                # remaining difference being one flipped bit.
                flips = flipped_positions(kept, got)
                self.assertEqual(len(flips), report["a_to_b"]["flipped"])
                if err == 0.0:
                    self.assertEqual(bytes(kept), got)
                key = (seed, drop, err)
                if key in seen:
                    self.assertEqual(seen[key], (drops, got))
                seen[key] = (drops, got)

    def test_directions_are_hit_independently(self):
        # The same bytes both ways with the same seed: each direction has its
        # own sequence, so they are not hit at the same places.
        self.w.file("both.py", (
            "import os, sys\n"
            "data = open('in.bin', 'rb').read()\n"
            "os.write(1, data)\n"
            "got = b''\n"
            "while len(got) < len(data):\n"
            "    chunk = os.read(0, 65536)\n"
            "    if not chunk: break\n"
            "    got += chunk\n"
            "open(sys.argv[1], 'wb').write(got)\n").encode())
        py = sys.executable
        status, report, err = run_linesim(
            ["--a-pipe", "%s both.py from_b.bin" % py, "--b-pipe", "%s both.py from_a.bin" % py,
             "--error-rate", "1e-3", "--seed", "9", "--timeout", "60"], self.w.path)
        self.assertEqual(status, 0, err)
        at_b = flipped_positions(self.sent, self.w.read("from_a.bin"))
        at_a = flipped_positions(self.sent, self.w.read("from_b.bin"))
        self.assertEqual(len(at_b), report["a_to_b"]["flipped"])
        self.assertEqual(len(at_a), report["b_to_a"]["flipped"])
        self.assertNotEqual(at_a, at_b)


class Pacing(unittest.TestCase):
    """Bytes leave no earlier than their line time; each direction has its own."""

    def setUp(self):
        self.w = Workdir()
        self.addCleanup(self.w.cleanup)

    def start_links(self, *extra):
        proc = subprocess.Popen([sys.executable, LINESIM, "--a-link", self.w.file("a"),
                                 "--b-link", self.w.file("b"), "--print-slaves", "--quiet",
                                 "--report", self.w.file("report.json"), "--timeout", "60", *extra],
                                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE)
        self.addCleanup(proc.stdout.close)
        self.addCleanup(lambda: proc.poll() is None and proc.kill())
        names = {}
        while len(names) < 2:
            line = proc.stdout.readline().decode().split()
            self.assertEqual(len(line), 2, "linesim did not publish its links")
            names[line[0]] = line[1]
        fds = {}
        for side in ("a", "b"):
            self.assertEqual(os.path.realpath(self.w.file(side)), names[side])
            fds[side] = os.open(self.w.file(side), os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
            self.addCleanup(os.close, fds[side])
        return proc, fds

    def stop(self, proc):
        proc.terminate()
        proc.wait(10)
        with open(self.w.file("report.json")) as f:
            return json.load(f)

    @staticmethod
    def exchange(fds, sends, limit):
        """Writes each side's bytes at once and reads the other side until all
        arrived; returns the start time and per receiving side the arrivals
        as (time, bytes so far)."""
        pending = {side: bytearray(data) for side, data in sends.items()}
        expect = {("b" if side == "a" else "a"): len(data) for side, data in sends.items()}
        got = {side: 0 for side in expect}
        arrivals = {side: [] for side in expect}
        start = time.monotonic()
        while any(got[s] < expect[s] for s in expect) and time.monotonic() - start < limit:
            wlist = [fds[s] for s in pending if pending[s]]
            rlist = [fds[s] for s in expect if got[s] < expect[s]]
            r, w, _ = select.select(rlist, wlist, [], 0.5)
            now = time.monotonic()
            for side in expect:
                if fds[side] in r:
                    n = len(os.read(fds[side], 65536))
                    got[side] += n
                    arrivals[side].append((now, got[side]))
            for side in pending:
                if fds[side] in w:
                    n = os.write(fds[side], pending[side])
                    del pending[side][:n]
        return start, arrivals

    def check_schedule(self, start, arrivals, byte_time, count, label):
        self.assertTrue(arrivals, label)
        self.assertEqual(arrivals[-1][1], count, label)
        for t, n in arrivals:
            # n bytes can be through no earlier than n line times after the
            # first was written (a hard property: no allowance needed).
            self.assertGreaterEqual(t - start + 1e-4, n * byte_time,
                                    "%s: %d bytes at %.4f s" % (label, n, t - start))
        elapsed = arrivals[-1][0] - start
        rate = count * byte_time / elapsed
        biggest = max(b - a for (_, a), (_, b) in zip([(0, 0)] + arrivals, arrivals))
        print("linesim pacing %s: %d bytes in %.3f s, %.1f%% of the line rate, "
              "largest read %d bytes" % (label, count, elapsed, 100 * rate, biggest))
        # Coarse: a loaded machine may fall behind, never ahead.
        self.assertGreater(rate, 0.4, label)
        return elapsed

    def test_one_direction_is_paced_smoothly(self):
        baud = 38400
        proc, fds = self.start_links("--baud", str(baud))
        data = pseudo_random(6000, 2)
        start, arrivals = self.exchange(fds, {"a": data}, 30)
        self.check_schedule(start, arrivals["b"], 10.0 / baud, len(data), "a->b at 38400")
        report = self.stop(proc)
        self.assertEqual(report["a_to_b"]["delivered"], len(data))

    def test_directions_run_side_by_side(self):
        baud = 57600
        proc, fds = self.start_links("--baud", str(baud))
        n = 7200
        start, arrivals = self.exchange(fds, {"a": pseudo_random(n, 3), "b": pseudo_random(n, 4)}, 30)
        bt = 10.0 / baud
        e1 = self.check_schedule(start, arrivals["b"], bt, n, "a->b both ways at 57600")
        e2 = self.check_schedule(start, arrivals["a"], bt, n, "b->a both ways at 57600")
        # One shared wire would need twice the line time of one direction.
        self.assertLess(max(e1, e2), 1.8 * n * bt + 0.5)
        self.stop(proc)

    def test_delay_is_added_to_the_line_time(self):
        baud, delay = 19200, 0.3
        proc, fds = self.start_links("--baud", str(baud), "--delay", str(delay))
        start, arrivals = self.exchange(fds, {"a": b"x" * 100}, 30)
        first = arrivals["b"][0][0] - start
        print("linesim delay: first byte after %.3f s (%.3f s set)" % (first, delay))
        self.assertGreaterEqual(first + 1e-4, delay + 10.0 / baud)
        self.stop(proc)


class CutAndEnd(unittest.TestCase):
    """The cut, exit statuses, time-outs and the end of the run."""

    def setUp(self):
        self.w = Workdir()
        self.addCleanup(self.w.cleanup)
        self.sent = pseudo_random(20000, 5)
        self.w.file("in.bin", self.sent)

    def test_cut_after(self):
        cases = [
            # (cut after, endpoint of b, extra, b's status, b killed)
            (5000, "--b-pipe", ["--cut-eof"], 0, False),
            (5000, "--b-pipe", ["--grace", "0.2"], -15, True),
            (1, "--b-pipe", ["--cut-eof"], 0, False),
            (0, "--b-pipe", ["--cut-eof"], 0, False),
            (7000, "--b", ["--cut-eof"], 1, False),  # cat reads EIO: a hang-up
            (30000, "--b-pipe", [], 0, False),  # never reached
        ]
        for n, b_kind, extra, b_status, killed in cases:
            with self.subTest(n=n, b=b_kind, extra=extra):
                status, report, err = run_linesim(
                    ["--a-pipe", "cat in.bin; sleep 1", b_kind, "cat > out.bin",
                     "--cut-after", str(n), "--grace", "3", *extra],
                    self.w.path)
                got = self.w.read("out.bin")
                self.assertEqual(got, self.sent[:n])
                self.assertEqual(report["cut"], n < len(self.sent))
                self.assertEqual(report["b"]["status"], b_status, err)
                self.assertEqual(report["b"]["killed"], killed)
                self.assertEqual(report["a_to_b"]["delivered"], min(n, len(self.sent)))

    def test_cut_stops_both_directions(self):
        # b echoes what it gets; the count covers both directions together.
        self.w.file("talk.py", (
            "import os, time\n"
            "for i in range(40):\n"
            "    os.write(1, bytes(range(50)))\n"
            "    time.sleep(0.01)\n"
            "time.sleep(30)\n").encode())
        status, report, err = run_linesim(
            ["--a-pipe", "%s talk.py" % sys.executable, "--b-pipe", "cat", "--cut-after", "1200",
             "--cut-eof", "--grace", "1", "--timeout", "60"], self.w.path)
        self.assertTrue(report["cut"])
        self.assertEqual(report["a_to_b"]["delivered"] + report["b_to_a"]["delivered"], 1200)
        self.assertGreater(report["b_to_a"]["delivered"], 0)
        self.assertEqual(report["b"]["status"], 0, err)  # cat saw EOF
        self.assertTrue(report["a"]["killed"])

    def test_how_runs_end(self):
        cases = [
            # (a, b, options, linesim status, a status, b status, timed out)
            ("exit 3", "cat >/dev/null", [], 1, 3, 0, False),
            ("true", "exit 0", [], 0, 0, 0, False),
            ("no-such-command-here", "cat >/dev/null", [], 1, 127, 0, False),
            ("sleep 30", "sleep 30", ["--timeout", "1"], 3, -15, -15, True),
            ("true", "sleep 30", ["--grace", "0.5"], 1, 0, -15, False),
            ("trap '' TERM; exec sleep 30", "true", ["--grace", "0.2"], 1, -9, 0, False),
        ]
        for a, b, opts, status, sa, sb, timed_out in cases:
            with self.subTest(a=a, b=b, opts=opts):
                got, report, err = run_linesim(["--a-pipe", a, "--b-pipe", b, *opts], self.w.path)
                self.assertEqual(got, status, err)
                self.assertEqual(report["a"]["status"], sa)
                self.assertEqual(report["b"]["status"], sb)
                self.assertEqual(report["timed_out"], timed_out)
                self.assertIn("linesim: a ", err)

    def test_link_with_a_command(self):
        # b's command also opens a's device: what it writes there crosses the
        # line to its own stdin, and what it answers on stdout comes back on
        # the device.  The link exists while the command runs, not after.
        link = self.w.file("dev")
        self.w.file("loop.py", (
            "import os, sys\n"
            "fd = os.open(sys.argv[1], os.O_RDWR | os.O_NOCTTY)\n"
            "def read(fd, n):\n"
            "    got = b''\n"
            "    while len(got) < n: got += os.read(fd, n - len(got))\n"
            "    return got\n"
            "os.write(fd, b'hello')\n"
            "os.write(1, read(0, 5).upper())\n"
            "sys.exit(0 if read(fd, 5) == b'HELLO' else 1)\n").encode())
        status, report, err = run_linesim(
            ["--a-link", link, "--b", "%s loop.py %s" % (sys.executable, link), "--timeout", "30"],
            self.w.path)
        self.assertEqual(status, 0, err)
        self.assertEqual(report["a"]["kind"], "link")
        self.assertEqual(report["a_to_b"]["delivered"], 5)
        self.assertEqual(report["b_to_a"]["delivered"], 5)
        self.assertFalse(os.path.lexists(link))

    def test_bad_options(self):
        regular = self.w.file("plain-file", b"x")
        cases = [
            # (arguments, exit status, text in the message)
            (["--a", "true"], 2, "--b"),
            (["--a", "true", "--a-pipe", "true", "--b", "true"], 2, "not allowed"),
            (["--a", "true", "--b", "true", "--error-rate", "2"], 2, "between 0 and 1"),
            (["--a", "true", "--b", "true", "--drop-rate", "x"], 2, "not a number"),
            (["--a", "true", "--b", "true", "--baud", "-5"], 2, "negative"),
            (["--a", "true", "--b", "true", "--cut-after", "-1"], 2, "negative"),
            (["--a", " ", "--b", "true"], 2, "empty"),
            (["--a", "true", "--b", "true", "--tally", "1g"], 2, "hex"),
            (["--a-link", regular, "--b", "true"], 1, "not a symlink"),
        ]
        for args, status, text in cases:
            with self.subTest(args=args):
                proc = subprocess.run([sys.executable, LINESIM, *args], cwd=self.w.path,
                                      stdin=subprocess.DEVNULL, capture_output=True, timeout=30)
                self.assertEqual(proc.returncode, status, proc.stderr)
                self.assertIn(text, proc.stderr.decode())
        self.assertEqual(open(regular, "rb").read(), b"x")


@unittest.skipUnless(all(shutil.which(p) for p in ("sz", "rz", "sx", "rx", "sb", "rb")), "lrzsz missing")
class LrzszThroughTheLine(unittest.TestCase):
    """Real transfer programs across the line."""

    def setUp(self):
        self.w = Workdir()
        self.addCleanup(self.w.cleanup)
        os.mkdir(self.w.file("in"))

    def test_transfers(self):
        # lrzsz flushes its tty when it exits, which on a pty also throws away
        # its last bytes if the relay has not read them yet: senders run on
        # pipes; a receiver on a pty shows that endpoint carrying a protocol.
        cases = [
            # (a's kind, sender, b's kind, receiver, received name, line options, size)
            ("--a-pipe", "sz -q data.bin", "--b", "cd in && rz -q -y", "in/data.bin",
             ["--error-rate", "1e-4", "--seed", "5"], 150000),
            ("--a-pipe", "sb -q data.bin", "--b-pipe", "cd in && rb -q -y", "in/data.bin",
             ["--baud", "115200", "--delay", "0.002"], 30000),
            ("--a-pipe", "sx -q data.bin", "--b-pipe", "cd in && rx -c -q got.bin", "in/got.bin",
             ["--error-rate", "2e-4", "--seed", "8"], 30000),
        ]
        for a_kind, sender, b_kind, receiver, name, opts, size in cases:
            with self.subTest(sender=sender, opts=opts):
                data = pseudo_random(size, size)
                self.w.file("data.bin", data)
                status, report, err = run_linesim(
                    [a_kind, sender, b_kind, receiver, "--timeout", "100", *opts], self.w.path)
                self.assertEqual(status, 0, err)
                got = self.w.read(name)
                if sender.startswith("sx"):
                    # XMODEM: the data, then the sender's padding to a whole block.
                    self.assertEqual(got[:size], data)
                    self.assertEqual(len(got) % 128, 0)
                    self.assertTrue(all(b == 0x1A for b in got[size:]))
                else:
                    self.assertEqual(got, data)
                if "--error-rate" in opts:
                    self.assertGreater(report["a_to_b"]["flipped"], 0)
                if "--baud" in opts:
                    d = report["a_to_b"]
                    rate = d["delivered"] * 10.0 / 115200 / (d["last"] - d["first"])
                    print("linesim: sb->rb at 115200: %.1f%% of the line busy a->b" % (100 * rate))
                    self.assertLessEqual(rate, 1.01)
                os.unlink(self.w.file(name))


if __name__ == "__main__":
    unittest.main(verbosity=2)
