"""What the Wine drivers share: their command line, the exchange folder, COM
ports of the build's Wine prefix on ptys, a private Xvfb, running the test
program through wine-run and reading its GoogleTest report."""

import argparse
import os
import pty
import select
import shutil
import signal
import subprocess
import sys
import time
import tty
import xml.etree.ElementTree as ET

RUN_TIMEOUT = 240
PORTS_KEY = r"HKLM\Software\Wine\Ports"


def parser_for(doc, out_dir=True):
    parser = argparse.ArgumentParser(description=doc, formatter_class=argparse.RawDescriptionHelpFormatter)
    for option in ["--wine-run", "--build-dir", "--exe"] + (["--out-dir"] if out_dir else []):
        parser.add_argument(option, required=True)
    return parser


def fresh_exchange(args):
    build_dir, exchange = os.path.abspath(args.build_dir), os.path.abspath(args.out_dir)
    shutil.rmtree(exchange, ignore_errors=True)
    os.makedirs(exchange)
    return build_dir, exchange


def wine(args, build_dir, *command, **kwargs):
    return subprocess.run([args.wine_run, "--build-dir", build_dir, *command], stdin=subprocess.DEVNULL, **kwargs)


def port_link(build_dir, name="COM1"):
    return os.path.join(build_dir, name.lower() + "-pty")


def map_ports(args, build_dir, links):
    """Points each COMn of the prefix at its link. Wine reads the mapping only
    when its services start, so after a change its processes must end first;
    the links' paths are stable, so that happens once per build folder."""
    try:
        with open(os.path.join(build_dir, "wineprefix", "system.reg"), encoding="utf-8", errors="replace") as f:
            registry = f.read()
    except FileNotFoundError:
        registry = ""
    changed = False
    for name, link in links.items():
        if f'"{name}"="' + link.replace("\\", "\\\\") + '"' not in registry:
            wine(args, build_dir, "reg", "add", PORTS_KEY, "/v", name, "/d", link, "/f", check=True,
                 stdout=subprocess.DEVNULL)
            changed = True
    if changed:
        wine(args, build_dir, "--wait-idle", check=True)


def pty_on_com1(args, build_dir):
    master, slave = pty.openpty()
    tty.setraw(slave)
    link = port_link(build_dir)
    if os.path.lexists(link + ".new"):
        os.unlink(link + ".new")
    os.symlink(os.ttyname(slave), link + ".new")
    os.replace(link + ".new", link)
    map_ports(args, build_dir, {"COM1": link})
    return master


def start_hostsim(args, link, log, *extra):
    return subprocess.Popen([sys.executable, args.hostsim, "--link", link, "--log", log, *extra],
                            stdin=subprocess.DEVNULL)


def wait_for_links(links):
    deadline = time.monotonic() + 20
    while not all(os.path.lexists(link) for link in links):
        if time.monotonic() > deadline:
            raise RuntimeError("hostsim did not make its links")
        time.sleep(0.05)


def stop(processes):
    for process in processes:
        process.send_signal(signal.SIGTERM)
    for process in processes:
        try:
            process.wait(10)
        except subprocess.TimeoutExpired:
            process.kill()


def start_xvfb():
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten",
                               "tcp"], pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    while not number.endswith(b"\n") and select.select([read_end], [], [], 20)[0]:
        chunk = os.read(read_end, 16)
        if not chunk:
            break
        number += chunk
    os.close(read_end)
    return server, ":" + number.decode().strip()


def screenshot(display, path):
    subprocess.run(["import", "-window", "root", path], check=False, env=dict(os.environ, DISPLAY=display))


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run_program(args, build_dir, exchange, report, extra_args=(), display=None, desktop=None):
    """Runs the test program; without `display` wine-run starts a private Xvfb,
    and inside a Wine `desktop` only the report tells. Returns a problem."""
    command = [args.wine_run, "--build-dir", build_dir]
    if desktop:
        command += ["explorer", f"/desktop={desktop}", windows_path(args.exe)]
    else:
        command.append(args.exe)
    command += [f"--gtest_output=xml:{windows_path(report)}", *extra_args]
    env = dict(os.environ, PALVEX_E2E_DIR=exchange)
    env.pop("DISPLAY", None)
    if display:
        env["DISPLAY"] = display
    try:
        subprocess.run(command, stdin=subprocess.DEVNULL, env=env, timeout=RUN_TIMEOUT)
    except subprocess.TimeoutExpired:
        return f"the program did not finish in {RUN_TIMEOUT} s"
    return None


def report_cases(report):
    try:
        cases = list(ET.parse(report).getroot().iter("testcase"))
    except (OSError, ET.ParseError) as exc:
        return set(), [f"no test report ({exc})"]
    run = {c.get("name") for c in cases if c.get("status") == "run" and c.get("result", "completed") == "completed"}
    found = [f"{c.get('name')}: {f.get('message', '').strip()}" for c in cases for f in c.findall("failure")]
    return run, found if cases else ["the report lists no test"]


def finish(driver, problems, success):
    for problem in problems:
        print(f"{driver}: {problem}", file=sys.stderr)
    if not problems:
        print(f"{driver}: {success}")
    return 1 if problems else 0
