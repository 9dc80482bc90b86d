#!/usr/bin/env python3
"""End to end for file transfers: palvex32's status dialog on COM1 against
lrzsz on the other end of a pty. The program drops marker files:

  a-start      sx -q a.bin answers its XMODEM/CRC receive
  b-start      rb -vv in rb/ takes its YMODEM batch of b-one.dat and b-two.txt.
               rb talks through pipes relayed to the pty: at its exit lrzsz
               flushes both queues of its terminal, and on a pty that throws
               away its own last ACK before the program has read it.
  shot-please  the screenshot e2e-transfer.png is taken, then shot-done
  c-start      it receives and cancels; cans-seen once three CANs have come
               (the "C" before them may be missing: a Cancel pressed before
               the transmit queue sent it purges it).

Afterwards the exit codes of sx and rb, the files rb wrote and the bytes of the
cancel are checked besides the program's report."""

import os
import random
import select
import subprocess
import sys
import threading
import time

import e2e_support as e2e

CAN3 = b"\x18" * 3


def write_files(exchange):
    """Random bytes that do not fill a last block, and text; small, since rb
    gives a block up when its bytes stop for a second on a loaded machine."""
    rng = random.Random(1987)
    files = {
        "a.bin": bytes(rng.randrange(256) for _ in range(3000)),
        "b-one.dat": bytes(rng.randrange(256) for _ in range(1500)),
        "b-two.txt": b"".join(b"line %05d of the second file\r\n" % i for i in range(100)),
    }
    for name, data in files.items():
        with open(os.path.join(exchange, name), "wb") as f:
            f.write(data)
    return files


class Peer:
    """Starts the peers as the markers appear; a peer still running when the
    next marker comes is stopped."""

    def __init__(self, master, exchange, display):
        self.master, self.exchange, self.display = master, exchange, display
        self.handled, self.results, self.errors = set(), {}, []
        self.process, self.process_name = None, None
        self.listening, self.heard = False, b""
        self.stop = threading.Event()

    def path(self, name):
        return os.path.join(self.exchange, name)

    def start(self, name, argv, cwd, relayed=False):
        self.finish_process()
        self.process_name = name
        line = subprocess.PIPE if relayed else self.master
        with open(self.path(name + ".log"), "wb") as log:
            self.process = subprocess.Popen(argv, cwd=cwd, stdin=line, stdout=line, stderr=log)
        if relayed:
            threading.Thread(target=self.relay, args=(self.process,), daemon=True).start()

    def relay(self, process):
        into, out = process.stdin.fileno(), process.stdout.fileno()
        while True:
            watched = [out] + ([self.master] if into is not None else [])
            ready = select.select(watched, [], [], 0.05)[0]
            if out in ready:
                data = os.read(out, 4096)
                if not data:
                    break
                os.write(self.master, data)
            if self.master in ready and into is not None:
                data = os.read(self.master, 4096)
                try:
                    os.write(into, data)
                except OSError:
                    into = None  # the peer has gone; what it said is still relayed

    def finish_process(self, kill=True):
        if not self.process:
            return
        if kill and self.process.poll() is None:
            self.process.kill()
            self.errors.append(f"{self.process_name} had not finished when it was stopped")
        self.results[self.process_name] = self.process.wait()
        self.process = None

    def on_marker(self, name):
        if name == "a-start":
            self.start("sx", ["sx", "-q", "a.bin"], self.exchange)
        elif name == "b-start":
            rb_dir = self.path("rb")
            os.makedirs(rb_dir, exist_ok=True)
            self.start("rb", ["rb", "-vv"], rb_dir, relayed=True)
        elif name == "shot-please":
            e2e.screenshot(self.display, self.path("e2e-transfer.png"))
            open(self.path("shot-done"), "w").close()
        elif name == "c-start":
            self.finish_process()
            self.listening, self.heard = True, b""

    def run(self):
        markers = ["a-start", "b-start", "shot-please", "c-start"]
        try:
            while not self.stop.is_set():
                for name in markers:
                    if name not in self.handled and os.path.exists(self.path(name)):
                        self.handled.add(name)
                        self.on_marker(name)
                if self.process and self.process.poll() is not None:
                    self.finish_process(kill=False)
                if self.listening:
                    if select.select([self.master], [], [], 0.05)[0]:
                        self.heard += os.read(self.master, 4096)
                    if CAN3 in self.heard and not os.path.exists(self.path("cans-seen")):
                        open(self.path("cans-seen"), "w").close()
                else:
                    time.sleep(0.05)
        except Exception as exc:  # reported by the main thread
            self.errors.append(f"peer failed: {exc!r}")
        finally:
            self.finish_process()


def checks(peer, files, exchange, run):
    problems = list(peer.errors)
    if "XmodemCrcReceiveFromSx" in run and peer.results.get("sx") != 0:
        problems.append(f"sx ended with {peer.results.get('sx')}")
    if "YmodemBatchSendOfTwoFilesToRb" in run:
        if peer.results.get("rb") != 0:
            problems.append(f"rb ended with {peer.results.get('rb')}")
        for name in ("b-one.dat", "b-two.txt"):
            path = os.path.join(exchange, "rb", name)
            got = open(path, "rb").read() if os.path.exists(path) else b""
            if got != files[name]:
                problems.append(f"{name} arrived with {len(got)} bytes, {len(files[name])} sent, and differs")
    if "CancelWhileAnXmodemReceiveWaits" in run:
        heard = peer.heard
        if not heard.endswith(CAN3) or heard[:-len(CAN3)].strip(b"C"):
            problems.append(f"the cancelled receive sent {heard!r}, not C and then three CAN")
    return problems


def main():
    args, gtest_args = e2e.parser_for(__doc__).parse_known_args()
    build_dir, exchange = e2e.fresh_exchange(args)
    files = write_files(exchange)
    master = e2e.pty_on_com1(args, build_dir)

    xvfb, display = e2e.start_xvfb()
    peer = Peer(master, exchange, display)
    thread = threading.Thread(target=peer.run, daemon=True)
    thread.start()
    report = os.path.join(exchange, "result.xml")
    started = time.monotonic()
    error = e2e.run_program(args, build_dir, exchange, report, gtest_args, display=display,
                            desktop="palvexxfer,1024x768")
    elapsed = time.monotonic() - started
    peer.stop.set()
    thread.join(10)
    xvfb.terminate()
    xvfb.wait()

    run, failures = e2e.report_cases(report)
    problems = failures + ([error] if error else []) + checks(peer, files, exchange, run)
    shot = os.path.join(exchange, "e2e-transfer.png")
    if "YmodemBatchSendOfTwoFilesToRb" in run and not os.path.exists(shot):
        problems.append("no screenshot was taken")
    return e2e.finish("e2e_transfer_driver", problems,
                      f"{len(run)} cases passed in {elapsed:.0f} s; screenshot in {shot}")


if __name__ == "__main__":
    sys.exit(main())
