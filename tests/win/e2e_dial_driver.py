#!/usr/bin/env python3
"""End to end for dialing: palvex32's phone book and dial dialog against
hostsim's Hayes modem on COM1. Afterwards hostsim's byte and event logs must
show the connected call ending with "+++" between guard silences and "ATH0",
and the busy services dialled three times and once."""

import os
import re
import sys
import time

import e2e_support as e2e

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
            problems.append("hostsim saw no complete escape")
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
    parser = e2e.parser_for(__doc__)
    parser.add_argument("--hostsim", required=True)
    args, gtest_args = parser.parse_known_args()
    build_dir, exchange = e2e.fresh_exchange(args)
    config = os.path.join(exchange, "modem.ini")
    with open(config, "w") as f:
        f.write(CONFIG)
    byte_log = os.path.join(exchange, "com1.bytes")
    event_log = os.path.join(exchange, "com1.events")

    link = e2e.port_link(build_dir)
    modem = e2e.start_hostsim(args, link, byte_log, "--config", config, "--event-log", event_log)
    problems = []
    report = os.path.join(exchange, "result.xml")
    try:
        e2e.wait_for_links([link])
        e2e.map_ports(args, build_dir, {"COM1": link})
        started = time.monotonic()
        error = e2e.run_program(args, build_dir, exchange, report, gtest_args)
        if error:
            problems.append(error)
        elapsed = time.monotonic() - started
    except Exception as exc:
        problems.append(repr(exc))
        elapsed = 0
    finally:
        e2e.stop([modem])

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
