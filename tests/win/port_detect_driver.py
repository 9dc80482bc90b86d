#!/usr/bin/env python3
"""Plays COM1..COM3 for port_detect_test.exe under Wine.

Each port of the build's Wine prefix is mapped to a stable symlink in the build
folder; hostsim holds the pty behind it. COM1 and COM2 are silent (they read
and never answer), COM3 is a Hayes modem. After the run every probe must have
reached its port: the silent ones and the modem each saw "ATQ" and a carriage
return once per test.
"""

import argparse
import os
import signal
import subprocess
import sys
import time

PORTS_KEY = r"HKLM\Software\Wine\Ports"
RUN_TIMEOUT = 240
PROBE = b"ATQ\r"
TESTS = 2


def wine(args, *command, **kwargs):
    return subprocess.run([args.wine_run, "--build-dir", args.build_dir, *command],
                          stdin=subprocess.DEVNULL, **kwargs)


def map_ports(args, links):
    """Points COMn of the prefix at its link. Wine reads the mapping only when
    its services start, so after a change its processes must end first."""
    system_reg = os.path.join(args.build_dir, "wineprefix", "system.reg")
    try:
        with open(system_reg, encoding="utf-8", errors="replace") as f:
            registry = f.read()
    except FileNotFoundError:
        registry = ""
    changed = False
    for name, link in links.items():
        if f'"{name}"="' + link.replace("\\", "\\\\") + '"' in registry:
            continue
        wine(args, "reg", "add", PORTS_KEY, "/v", name, "/d", link, "/f", check=True, stdout=subprocess.DEVNULL)
        changed = True
    if changed:
        subprocess.run([args.wine_run, "--build-dir", args.build_dir, "--wait-idle"],
                       stdin=subprocess.DEVNULL, check=True)


def start_port(args, name, silent, workdir):
    link = os.path.join(args.build_dir, name.lower() + "-pty")
    log = os.path.join(workdir, name.lower() + ".bytes")
    if os.path.exists(log):
        os.unlink(log)
    command = [sys.executable, args.hostsim, "--link", link, "--log", log]
    if silent:
        command.append("--silent")
    process = subprocess.Popen(command, stdin=subprocess.DEVNULL)
    return link, log, process


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--wine-run", required=True, help="scripts/wine-run")
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--hostsim", required=True, help="tools/hostsim/hostsim.py")
    parser.add_argument("--exe", required=True, help="port_detect_test.exe")
    args, gtest_args = parser.parse_known_args()
    args.build_dir = os.path.abspath(args.build_dir)
    workdir = os.path.join(args.build_dir, "port-detect")
    os.makedirs(workdir, exist_ok=True)

    ports = {}
    for name, silent in (("COM1", True), ("COM2", True), ("COM3", False)):
        ports[name] = start_port(args, name, silent, workdir)
    failures = []
    try:
        deadline = time.monotonic() + 20
        while not all(os.path.lexists(link) for link, _, _ in ports.values()):
            if time.monotonic() > deadline:
                raise RuntimeError("hostsim did not make its links")
            time.sleep(0.05)
        map_ports(args, {name: link for name, (link, _, _) in ports.items()})
        try:
            status = wine(args, args.exe, *gtest_args, timeout=RUN_TIMEOUT).returncode
        except subprocess.TimeoutExpired:
            failures.append(f"the program did not finish in {RUN_TIMEOUT} s")
            status = 0
        if status != 0:
            failures.append(f"port_detect_test exited with {status}")
    except Exception as exc:
        failures.append(repr(exc))
    finally:
        for _, _, process in ports.values():
            process.send_signal(signal.SIGTERM)
        for _, _, process in ports.values():
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                process.kill()

    filtered = any(a.startswith("--gtest_filter") for a in gtest_args)
    for name, (_, log, _) in ports.items():
        try:
            with open(log, "rb") as f:
                received = f.read()
        except FileNotFoundError:
            received = b""
        probes = received.count(PROBE)
        if probes == 0 or (not filtered and probes != TESTS):
            failures.append(f"{name} received {probes} probes: {received[:80]!r}")
    for failure in failures:
        print(f"port_detect_driver: {failure}", file=sys.stderr)
    if not failures:
        print("port_detect_driver: COM1 and COM2 passed over, the modem found on COM3")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
