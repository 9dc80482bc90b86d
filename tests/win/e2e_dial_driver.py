#!/usr/bin/env python3
"""End to end for dialing: palvex32's phone book and dial dialog against
hostsim's Hayes modem on COM1.

hostsim holds the pty behind COM1 of the build's Wine prefix with a config of
its own: 5551234 connects at 115200 after a second to the demo board,
5550000 and 5550003 are busy. e2e_dial_test.exe opens the real main window,
picks a service in its phone book and presses Dial. Afterwards this side reads
what reached the modem (hostsim's byte log) and what it made of it (its event
log): the connected call ends with the escape "+++" between guard silences
and "ATH0", the busy services dial three times and once. The program's
GoogleTest report (result.xml) and these checks decide the outcome.
"""

import os
import re
import signal
import subprocess
import sys
import time

import e2e_support as e2e
from com_port_driver import map_com1

GUARD = 1.0

CONFIG = f"""; written by e2e_dial_driver.py
[modem]
guard = {GUARD}

[numbers]
5551234 = connect 115200 after 1
5550000 = busy after 0.5
5550003 = busy after 0.5
default = no-carrier

[host]
name = DEMO BBS
banner_delay = 0.5

[users]
guest = guest
"""

CONNECT_CASE = "ConnectsLogsInByKeysAndHangsUpThroughTheModem"
BUSY_CASE = "BusyDialsUpToTheRetryCountAndThenReportsTheFailure"


def line_checks(received, events, run):
    """What the modem must have seen, for the cases that ran."""
    problems = []
    if CONNECT_CASE in run:
        for wanted in (b"ATZ\r", b"AT&FE1V1Q0X4&C1&D2\r", b"ATDT 5551234\r"):
            if wanted not in received:
                problems.append(f"the modem never got {wanted!r}")
        if received.count(b"guest\r") < 2:
            problems.append("the login was not typed (guest, guest)")
        escape = received.find(b"+++")
        if escape < 0:
            problems.append("no escape +++ reached the modem")
        elif received.find(b"ATH0\r", escape) < 0:
            problems.append("no ATH0 after the escape")
        found = [line for line in events if " escape " in line]
        if not found:
            problems.append("hostsim saw no complete escape: " + " | ".join(
                line for line in events if "escape" in line))
        else:
            values = dict(re.findall(r"(\w+)=([\d.]+)", found[0]))
            guard = float(values.get("guard", GUARD))
            if float(values.get("before", 0)) < guard or float(values.get("after", 0)) < guard:
                problems.append(f"the escape's guard silences are short: {found[0]}")
        if not any(" hangup reason=ATH" in line for line in events):
            problems.append("hostsim did not hang up on ATH")
    if BUSY_CASE in run:
        for number, count in ((b"5550000", 3), (b"5550003", 1)):
            dials = received.count(b"ATDT " + number + b"\r")
            if dials != count:
                problems.append(f"{number.decode()} was dialled {dials} times, expected {count}")
    return problems


def main():
    parser = e2e.parser_for(__doc__, "e2e_dial_test.exe", "exchange folder, logs included")
    parser.add_argument("--hostsim", required=True, help="tools/hostsim/hostsim.py")
    args, gtest_args = parser.parse_known_args()
    build_dir, exchange = e2e.fresh_exchange(args)
    config = os.path.join(exchange, "modem.ini")
    with open(config, "w") as f:
        f.write(CONFIG)
    byte_log = os.path.join(exchange, "com1.bytes")
    event_log = os.path.join(exchange, "com1.events")

    # hostsim holds the pty behind the link itself.
    link = e2e.com1_link(build_dir)
    modem = subprocess.Popen([sys.executable, args.hostsim, "--config", config, "--link", link,
                              "--log", byte_log, "--event-log", event_log], stdin=subprocess.DEVNULL)
    problems = []
    report = os.path.join(exchange, "result.xml")
    try:
        deadline = time.monotonic() + 20
        while not (os.path.lexists(link) and os.path.realpath(link).startswith("/dev/pts/")):
            if modem.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError("hostsim did not make its link")
            time.sleep(0.05)
        map_com1(args, build_dir, link)
        started = time.monotonic()
        error = e2e.run_program(args, build_dir, exchange, report, gtest_args)
        if error:
            problems.append(error)
        elapsed = time.monotonic() - started
    except Exception as exc:
        problems.append(repr(exc))
        elapsed = 0
    finally:
        modem.send_signal(signal.SIGTERM)
        try:
            modem.wait(10)
        except subprocess.TimeoutExpired:
            modem.kill()

    run, failures = e2e.report_cases(report)
    problems += failures
    try:
        with open(byte_log, "rb") as f:
            received = f.read()
        with open(event_log, encoding="utf-8", errors="replace") as f:
            events = f.read().splitlines()
    except FileNotFoundError as exc:
        received, events = b"", []
        problems.append(f"hostsim left no log ({exc})")
    problems += line_checks(received, events, run)
    return e2e.finish("e2e_dial_driver", problems, f"{len(run)} cases passed in {elapsed:.0f} s; logs in {exchange}")


if __name__ == "__main__":
    sys.exit(main())
