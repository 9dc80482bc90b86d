#!/usr/bin/env python3
"""Tests of tools/linesim: seeded flips and drops, pacing, the cut, how runs
end and bad options. Real transfers through it are the noise campaign's."""

import json
import os
import random
import select
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
LINESIM = os.path.normpath(os.path.join(HERE, "..", "..", "tools", "linesim", "linesim.py"))
sys.dont_write_bytecode = True


def pseudo_random(n, seed):
    return random.Random(seed).randbytes(n)


def flipped_positions(sent, got):
    return [i for i, (x, y) in enumerate(zip(sent, got)) if x != y]


def log_events(path, kind):
    """The positions of the log's 'flip' or 'drop' events."""
    with open(path) as f:
        return [int(p[5]) for p in (line.split() for line in f) if len(p) >= 6 and p[1] == "#" and p[2] == kind]


class LinesimTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory(prefix="linesim-test-")
        self.addCleanup(self.tmp.cleanup)
        self.dir = self.tmp.name

    def file(self, name, data=None):
        p = os.path.join(self.dir, name)
        if data is not None:
            with open(p, "wb") as f:
                f.write(data)
        return p

    def read(self, name):
        with open(self.file(name), "rb") as f:
            return f.read()

    def run_linesim(self, args, timeout=120):
        """Runs linesim to its end; returns (exit status, report, stderr)."""
        report = self.file("report.json")
        if os.path.exists(report):
            os.unlink(report)
        proc = subprocess.run([sys.executable, LINESIM, "--report", report, *args], cwd=self.dir,
                              stdin=subprocess.DEVNULL, capture_output=True, timeout=timeout)
        data = None
        if os.path.exists(report):
            with open(report) as f:
                data = json.load(f)
        return proc.returncode, data, proc.stderr.decode("utf-8", "replace")


class ErrorInjection(LinesimTest):
    """Flipped and dropped bytes are what the seed says, however the reads are
    split: `trickle` feeds the same bytes in odd pieces."""

    def setUp(self):
        super().setUp()
        self.sent = pseudo_random(100000, 1)
        self.file("in.bin", self.sent)
        self.file("trickle.py", (
            "import sys, time\n"
            "data = open(sys.argv[1], 'rb').read()\n"
            "for i in range(0, len(data), 777):\n"
            "    sys.stdout.buffer.write(data[i:i + 777]); sys.stdout.flush()\n"
            "    if i % 7770 == 0: time.sleep(0.002)\n").encode())

    def transfer(self, feeder, *extra):
        a = "cat in.bin" if feeder == "cat" else "%s trickle.py in.bin" % sys.executable
        status, report, err = self.run_linesim(["--a-pipe", a, "--b-pipe", "cat > out.bin",
                                                "--log", "line.log", *extra])
        self.assertEqual(status, 0, err)
        return report["a_to_b"], self.read("out.bin")

    def test_flips_and_drops_follow_the_seed(self):
        cases = [
            # seed, error rate, drop rate, feeder
            ("11", 1e-3, 0.0, "cat"),
            ("11", 1e-3, 0.0, "trickle"),
            ("12", 1e-3, 0.0, "cat"),
            ("11", 0.0, 0.0, "cat"),
            ("6", 1e-3, 2e-3, "cat"),
            ("6", 1e-3, 2e-3, "trickle"),
        ]
        seen = {}
        for seed, rate, drop, feeder in cases:
            with self.subTest(seed=seed, rate=rate, drop=drop, feeder=feeder):
                counts, got = self.transfer(feeder, "--error-rate", str(rate), "--drop-rate", str(drop),
                                            "--seed", seed)
                drops = log_events(self.file("line.log"), "drop")
                self.assertEqual(len(drops), counts["dropped"])
                self.assertEqual(drops, sorted(drops))
                self.assertEqual(drop > 0, len(drops) > 0)
                kept = bytearray(self.sent)
                for p in reversed(drops):
                    del kept[p]
                # What is left is the input without the dropped bytes, each
                # remaining difference one flipped bit.
                self.assertEqual(len(got), len(kept))
                flips = flipped_positions(kept, got)
                self.assertEqual(len(flips), counts["flipped"])
                for i in flips:
                    self.assertEqual(bin(kept[i] ^ got[i]).count("1"), 1, "byte %d" % i)
                if not drops:
                    self.assertEqual(log_events(self.file("line.log"), "flip"), flips)
                expected = rate * len(self.sent)
                self.assertLessEqual(abs(len(flips) - expected), 5 * max(1.0, expected ** 0.5) + 1)
                key = (seed, rate, drop)
                if key in seen:
                    self.assertEqual(seen[key], got, "same seed, different feeder")
                seen[key] = got
        self.assertNotEqual(seen[("11", 1e-3, 0.0)], seen[("12", 1e-3, 0.0)])


class Pacing(LinesimTest):
    def test_no_byte_arrives_before_its_line_time_in_either_direction(self):
        # Only the hard bound is checked: a loaded machine may fall behind the
        # line, never ahead of it.
        baud, delay, n = 57600, 0.2, 3000
        byte_time = 10.0 / baud
        proc = subprocess.Popen([sys.executable, LINESIM, "--a-link", self.file("a"), "--b-link", self.file("b"),
                                 "--print-slaves", "--quiet", "--timeout", "60", "--baud", str(baud),
                                 "--delay", str(delay)], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE)
        self.addCleanup(proc.stdout.close)
        self.addCleanup(lambda: proc.poll() is None and proc.kill())
        for _ in range(2):
            self.assertEqual(len(proc.stdout.readline().split()), 2, "linesim did not publish its links")
        fds = {}
        for side in ("a", "b"):
            fds[side] = os.open(self.file(side), os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
            self.addCleanup(os.close, fds[side])
        pending = {side: bytearray(pseudo_random(n, side)) for side in fds}
        got = {side: 0 for side in fds}
        start = time.monotonic()
        while min(got.values()) < n and time.monotonic() - start < 30:
            r, w, _ = select.select([fds[s] for s in fds if got[s] < n], [fds[s] for s in fds if pending[s]], [], 0.5)
            for side in fds:
                if fds[side] in r:
                    got[side] += len(os.read(fds[side], 65536))
                    # Read the clock after the read: bytes that come in between
                    # select and read would otherwise look early.
                    now = time.monotonic()
                    self.assertGreaterEqual(now - start + 1e-4, delay + got[side] * byte_time,
                                            "%s: %d bytes at %.4f s" % (side, got[side], now - start))
                if fds[side] in w:
                    del pending[side][:os.write(fds[side], pending[side])]
        self.assertEqual(got, {"a": n, "b": n})
        proc.terminate()
        proc.wait(10)


class CutAndEnd(LinesimTest):
    def test_cut_after(self):
        sent = pseudo_random(20000, 5)
        self.file("in.bin", sent)
        cases = [
            # cut after, endpoint of b, extra, b's status, b killed
            (5000, "--b-pipe", ["--cut-eof"], 0, False),
            (5000, "--b-pipe", ["--grace", "0.2"], -15, True),
            (0, "--b-pipe", ["--cut-eof"], 0, False),
            (7000, "--b", ["--cut-eof"], 1, False),  # cat reads EIO: a hang-up
            (30000, "--b-pipe", [], 0, False),  # never reached
        ]
        for n, b_kind, extra, b_status, killed in cases:
            with self.subTest(n=n, b=b_kind, extra=extra):
                status, report, err = self.run_linesim(
                    ["--a-pipe", "cat in.bin; sleep 1", b_kind, "cat > out.bin",
                     "--cut-after", str(n), "--grace", "3", *extra])
                self.assertEqual(self.read("out.bin"), sent[:n])
                self.assertEqual(report["cut"], n < len(sent))
                self.assertEqual(report["b"]["status"], b_status, err)
                self.assertEqual(report["b"]["killed"], killed)
                self.assertEqual(report["a_to_b"]["delivered"], min(n, len(sent)))

    def test_how_runs_end(self):
        cases = [
            # a, b, options, linesim status, a status, b status, timed out
            ("exit 3", "cat >/dev/null", [], 1, 3, 0, False),
            ("true", "exit 0", [], 0, 0, 0, False),
            ("sleep 30", "sleep 30", ["--timeout", "1"], 3, -15, -15, True),
            ("true", "sleep 30", ["--grace", "0.5"], 1, 0, -15, False),
            ("trap '' TERM; exec sleep 30", "true", ["--grace", "0.2"], 1, -9, 0, False),
        ]
        for a, b, opts, status, sa, sb, timed_out in cases:
            with self.subTest(a=a, b=b, opts=opts):
                got, report, err = self.run_linesim(["--a-pipe", a, "--b-pipe", b, *opts])
                self.assertEqual(got, status, err)
                self.assertEqual((report["a"]["status"], report["b"]["status"]), (sa, sb))
                self.assertEqual(report["timed_out"], timed_out)
                self.assertIn("linesim: a ", err)

    def test_bad_options(self):
        regular = self.file("plain-file", b"x")
        cases = [
            # arguments, exit status, text in the message
            (["--a", "true"], 2, "--b"),
            (["--a", "true", "--a-pipe", "true", "--b", "true"], 2, "not allowed"),
            (["--a", "true", "--b", "true", "--error-rate", "2"], 2, "between 0 and 1"),
            (["--a", "true", "--b", "true", "--drop-rate", "x"], 2, "not a number"),
            (["--a", " ", "--b", "true"], 2, "empty"),
            (["--a-link", regular, "--b", "true"], 1, "not a symlink"),
        ]
        for args, status, text in cases:
            with self.subTest(args=args):
                proc = subprocess.run([sys.executable, LINESIM, *args], cwd=self.dir,
                                      stdin=subprocess.DEVNULL, capture_output=True, timeout=30)
                self.assertEqual(proc.returncode, status, proc.stderr)
                self.assertIn(text, proc.stderr.decode())
        self.assertEqual(self.read("plain-file"), b"x")


if __name__ == "__main__":
    unittest.main(verbosity=2)
