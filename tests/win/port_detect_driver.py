#!/usr/bin/env python3
"""Plays COM1..COM3 for port_detect_test.exe under Wine: hostsim holds the pty
behind each; COM1 and COM2 stay silent, COM3 is a Hayes modem. Every port must
have seen the probe "ATQ" CR once per test."""

import os
import sys

import e2e_support as e2e

PROBE = b"ATQ\r"
TESTS = 1


def main():
    parser = e2e.parser_for(__doc__, out_dir=False)
    parser.add_argument("--hostsim", required=True)
    args, gtest_args = parser.parse_known_args()
    build_dir = os.path.abspath(args.build_dir)
    workdir = os.path.join(build_dir, "port-detect")
    os.makedirs(workdir, exist_ok=True)

    ports = {}
    for name in ("COM1", "COM2", "COM3"):
        link, log = e2e.port_link(build_dir, name), os.path.join(workdir, name.lower() + ".bytes")
        if os.path.exists(log):
            os.unlink(log)
        ports[name] = (link, log, e2e.start_hostsim(args, link, log, *(["--silent"] if name != "COM3" else [])))
    problems = []
    try:
        e2e.wait_for_links([link for link, _, _ in ports.values()])
        e2e.map_ports(args, build_dir, {name: link for name, (link, _, _) in ports.items()})
        status = e2e.wine(args, build_dir, args.exe, *gtest_args, timeout=e2e.RUN_TIMEOUT).returncode
        if status != 0:
            problems.append(f"port_detect_test exited with {status}")
    except Exception as exc:
        problems.append(repr(exc))
    finally:
        e2e.stop([process for _, _, process in ports.values()])

    filtered = any(a.startswith("--gtest_filter") for a in gtest_args)
    for name, (_, log, _) in ports.items():
        received = open(log, "rb").read() if os.path.exists(log) else b""
        probes = received.count(PROBE)
        if probes == 0 or (not filtered and probes != TESTS):
            problems.append(f"{name} received {probes} probes: {received[:80]!r}")
    return e2e.finish("port_detect_driver", problems, "COM1 and COM2 passed over, the modem found on COM3")


if __name__ == "__main__":
    sys.exit(main())
