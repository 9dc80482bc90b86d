"""What the end-to-end drivers share: their command line, the exchange folder,
COM1 of the build's Wine prefix on a pty, running the test program through
wine-run, and reading its GoogleTest report.

The drivers sit beside this file and import it by name (Python puts a
script's own folder first on the path).
"""

import argparse
import os
import pty
import shutil
import subprocess
import sys
import tty
import xml.etree.ElementTree as ET

from com_port_driver import map_com1

RUN_TIMEOUT = 240


def parser_for(doc, exe, out_dir):
    """The options every driver takes; `exe` and `out_dir` are their help."""
    parser = argparse.ArgumentParser(description=doc, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--wine-run", required=True, help="scripts/wine-run")
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--exe", required=True, help=exe)
    parser.add_argument("--out-dir", required=True, help=out_dir)
    return parser


def fresh_exchange(args):
    """(build folder, exchange folder) as absolute paths, the exchange folder
    emptied: the program and this side meet there."""
    build_dir, exchange = os.path.abspath(args.build_dir), os.path.abspath(args.out_dir)
    shutil.rmtree(exchange, ignore_errors=True)
    os.makedirs(exchange)
    return build_dir, exchange


def com1_link(build_dir):
    """The stable link COM1 of the prefix is mapped to."""
    return os.path.join(build_dir, "com1-pty")


def pty_on_com1(args, build_dir):
    """COM1 as the slave of a pty this process holds, through the stable link;
    returns the master."""
    master, slave = pty.openpty()
    tty.setraw(slave)
    link = com1_link(build_dir)
    if os.path.lexists(link + ".new"):
        os.unlink(link + ".new")
    os.symlink(os.ttyname(slave), link + ".new")
    os.replace(link + ".new", link)
    map_com1(args, build_dir, link)
    return master


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run_program(args, build_dir, exchange, report, extra_args=(), display=None, desktop=None):
    """Runs the test program with its report going to `report` and the
    exchange folder in PALVEX_E2E_DIR. Without `display` wine-run starts a
    private Xvfb; `desktop` ("name,WxH") runs it inside a Wine desktop, whose
    exit status says nothing: the report does. Returns a problem, or None."""
    program = [windows_path(args.exe)] if desktop else [args.exe]
    command = [args.wine_run, "--build-dir", build_dir]
    if desktop:
        command += ["explorer", f"/desktop={desktop}"]
    command += program + [f"--gtest_output=xml:{windows_path(report)}", *extra_args]
    env = dict(os.environ, PALVEX_E2E_DIR=exchange)
    if display:
        env["DISPLAY"] = display
    else:
        env.pop("DISPLAY", None)
    try:
        subprocess.run(command, stdin=subprocess.DEVNULL, env=env, timeout=RUN_TIMEOUT)
    except subprocess.TimeoutExpired:
        return f"the program did not finish in {RUN_TIMEOUT} s"
    return None


def report_cases(report):
    """(names of the cases run, failures) from the GoogleTest report."""
    try:
        cases = list(ET.parse(report).getroot().iter("testcase"))
    except (OSError, ET.ParseError) as exc:
        return set(), [f"no test report ({exc})"]
    run = {c.get("name") for c in cases if c.get("status") == "run" and c.get("result", "completed") == "completed"}
    found = [f"{c.get('name')}: {f.get('message', '').strip()}" for c in cases for f in c.findall("failure")]
    return run, found if cases else ["the report lists no test"]


def finish(driver, problems, success):
    """Prints the problems, or `success` when there are none; the exit code."""
    for problem in problems:
        print(f"{driver}: {problem}", file=sys.stderr)
    if not problems:
        print(f"{driver}: {success}")
    return 1 if problems else 0
