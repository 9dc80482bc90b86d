"""The bulletin board behind the modem.

A call's session is a generator.  It writes through `line.send(bytes)` and
yields requests to the simulator, which resumes it with the answer:

  READ               -> the next byte from the caller (an int)
  ("sleep", secs)    -> None, after that time
  ("quiet", secs)    -> None, after that time; caller bytes in between are dropped
  ("run", argv, cwd, tty) -> the exit status of a transfer program run on the
                     line (on a pty of its own as its terminal when tty is set)
  HANGUP             -> (never resumed) the host drops the call

Returning from the generator also drops the call.
"""

import os
import re
import shutil

READ = "read"
HANGUP = "hangup"

ESC = "\x1b["
RESET = ESC + "0m"
BAR = ESC + "1;37;44m"
BOX = ESC + "1;36m"
KEY = ESC + "1;33m"
ITEM = ESC + "0;37m"
PROMPT = ESC + "0;32m"
WARN = ESC + "1;31m"
WIDTH = 79  # one short of the screen so the bar never wraps

DEFAULT_TEXT = """\
About this board
================

This board runs behind a simulated Hayes modem.  It answers the way an old
dial-up bulletin board did: a banner, a login, a menu in ANSI colours, a text
area that pages its output and a file area that speaks XMODEM, YMODEM,
YMODEM-G, ZMODEM and Kermit through the real lrzsz and C-Kermit programs.

Paging
------
Every page of text ends with a "-- more --" prompt.  Press any key for the
next page or Q to go back to the menu.

Transfers
---------
Downloads start as soon as you pick the protocol and the file; start the
receive in your terminal program then.  Uploads wait for your sender.
ZMODEM downloads start your program's receive by themselves when it
recognises the ZMODEM start sequence.

Hanging up
----------
G on the main menu says goodbye and drops the line; your modem reports
NO CARRIER.  You can also escape to your modem with +++ (one second of
silence before and after) and hang up with ATH.

Line numbers for checking the paging:
""" + "".join("  line %02d of the numbered list\n" % n for n in range(1, 31))

# Protocol letter -> (name, download argv builder, upload argv builder).
# A download builder takes the file path; an upload builder the file name the
# caller gave (XMODEM carries no name) or None.
PROTOCOLS = {
    "X": ("XMODEM", lambda f: ["sx", "-q", f], lambda n: ["rx", "-q", n]),
    "C": ("XMODEM-CRC", lambda f: ["sx", "-q", f], lambda n: ["rx", "-q", "-c", n]),
    "1": ("XMODEM-1K", lambda f: ["sx", "-q", "-k", f], lambda n: ["rx", "-q", "-c", n]),
    "Y": ("YMODEM", lambda f: ["sb", "-q", "-k", f], lambda n: ["rb", "-q", "-y"]),
    # lrzsz's sb streams by itself when the receiver asks with "G"; lrzsz has
    # no receiver for YMODEM-G, so it is download only.
    "G": ("YMODEM-G", lambda f: ["sb", "-q", "-k", f], None),
    "Z": ("ZMODEM", lambda f: ["sz", "-q", f], lambda n: ["rz", "-q", "-y"]),
    "K": ("Kermit", lambda f: ["kermit", "-Y", "-q", "-i", "-s", f],
          lambda n: ["kermit", "-Y", "-q", "-i", "-r"]),
}
NEEDS_NAME = set("XC1")
SAFE_NAME = re.compile(r"^[A-Za-z0-9][A-Za-z0-9._-]{0,63}$")


def crlf(text):
    return text.replace("\r\n", "\n").replace("\n", "\r\n")


class Line:
    """What a session needs from the simulator."""

    def __init__(self, send, config, rate, log=None):
        self.send_bytes = send
        self.config = config
        self.rate = rate
        self.log = log or (lambda *a: None)

    def send(self, text):
        if isinstance(text, str):
            text = text.encode("latin-1", "replace")
        self.send_bytes(text)


def read_key():
    b = yield READ
    return b


def read_line(line, echo=True, mask=None, limit=64):
    """A line up to CR (LF alone also ends it, LF after CR is skipped), with
    backspace/DEL editing; echo shows the text, or `mask` for each character."""
    buf = bytearray()
    while True:
        b = yield READ
        if b == 13:
            line.send("\r\n")
            return buf.decode("latin-1")
        if b == 10:
            if buf:
                line.send("\r\n")
                return buf.decode("latin-1")
            continue
        if b in (8, 127):
            if buf:
                buf.pop()
                if echo:
                    line.send("\b \b")
            continue
        if b < 32 or len(buf) >= limit:
            line.send("\a")
            continue
        buf.append(b)
        if echo:
            line.send(mask if mask is not None else bytes([b]))


def bar(title):
    title = " %s " % title
    pad = max(0, WIDTH - len(title))
    return BAR + " " * (pad // 2) + title + " " * (pad - pad // 2) + RESET + "\r\n"


def clear():
    return RESET + ESC + "2J" + ESC + "H"


def session(line):
    cfg = line.config
    yield ("sleep", cfg.banner_delay)
    if cfg.banner is not None:
        line.send(crlf(cfg.banner))
    else:
        speed = ("%d bps" % line.rate) if line.rate else "an unknown speed"
        line.send("\r\n\r\nWelcome to %s\r\nYou are connected at %s.\r\n\r\n" % (cfg.name, speed))
    if not (yield from login(line)):
        return
    line.log("login")
    yield from main_menu(line)


def login(line):
    cfg = line.config
    users = {name.lower(): password for name, password in cfg.users.items()}
    for _ in range(cfg.max_login_failures):
        line.send(cfg.login_prompt)
        name = (yield from read_line(line)).strip()
        line.send(cfg.password_prompt)
        password = yield from read_line(line, mask="*")
        if name and users.get(name.lower()) == password:
            line.send("\r\nWelcome, %s.\r\n" % name)
            return True
        line.log("login-failed user=%s" % name)
        line.send("\r\nLogin incorrect\r\n\r\n")
    line.send("Too many failures, goodbye.\r\n")
    yield ("sleep", 0.2)
    yield HANGUP


def menu_box(items):
    width = max(len(text) for _, text in items) + 8
    top = BOX + "  +" + "-" * width + "+" + RESET + "\r\n"
    rows = [top]
    for key, text in items:
        cell = " %s%s%s  %s" % (KEY, key, ITEM, text)
        rows.append(BOX + "  |" + cell + " " * (width - 4 - len(text)) + BOX + "|" + RESET + "\r\n")
    rows.append(top)
    return "".join(rows)


MAIN_ITEMS = [("T", "Text area"), ("F", "File area"), ("G", "Goodbye (hang up)")]


def main_menu(line):
    cfg = line.config
    while True:
        line.send(clear() + bar("%s - Main Menu" % cfg.name) + "\r\n" + menu_box(MAIN_ITEMS) + "\r\n")
        while True:
            line.send(PROMPT + "Main menu, your choice: " + RESET)
            key = chr((yield from read_key())).upper()
            if key in "\r\n ":
                line.send("\r\n")
                continue
            line.send(key + "\r\n")
            if key == "T":
                yield from text_area(line)
                break
            if key == "F":
                yield from file_area(line)
                break
            if key == "G":
                line.log("goodbye")
                line.send("\r\nThank you for calling %s. Goodbye!\r\n" % cfg.name)
                yield ("sleep", 0.2)
                yield HANGUP
            line.send(WARN + "Unknown choice." + RESET + "\r\n")


def text_lines(cfg):
    if cfg.text_file:
        try:
            with open(cfg.text_file, "rb") as f:
                data = f.read().decode("latin-1")
        except OSError as e:
            return ["(the text area is empty: %s)" % e.strerror]
    else:
        data = DEFAULT_TEXT
    return data.replace("\r\n", "\n").split("\n")


def text_area(line):
    cfg = line.config
    lines = text_lines(cfg)
    while lines and not lines[-1]:
        lines.pop()
    line.send(clear() + bar("%s - Text Area" % cfg.name))
    for n, text in enumerate(lines):
        line.send(text + "\r\n")
        if (n + 1) % cfg.page_lines == 0 and n + 1 < len(lines):
            line.send("-- more --")
            key = yield from read_key()
            line.send("\r" + " " * 10 + "\r")
            if key in (ord("q"), ord("Q")):
                return
    line.send("-- end of text, press a key --")
    yield from read_key()
    line.send("\r\n")


def list_files(cfg):
    if not cfg.files_dir:
        return []
    try:
        names = sorted(os.listdir(cfg.files_dir))
    except OSError:
        return []
    out = []
    for name in names:
        path = os.path.join(cfg.files_dir, name)
        if os.path.isfile(path) and not name.startswith("."):
            out.append((name, os.path.getsize(path)))
    return out


FILE_ITEMS = [("D", "Download a file"), ("U", "Upload a file"), ("L", "List the files"),
              ("Q", "Back to the main menu")]


def show_files(line, files):
    line.send("\r\n  %s  %-24s %10s%s\r\n" % (KEY + " #", "Name", "Bytes", RESET))
    if not files:
        line.send("  (no files)\r\n")
    for n, (name, size) in enumerate(files, 1):
        line.send("  %2d  %-24s %10d\r\n" % (n, name, size))
    line.send("\r\n")


def file_area(line):
    cfg = line.config
    redraw = True
    while True:
        files = list_files(cfg)
        if redraw:
            line.send(clear() + bar("%s - File Area" % cfg.name))
            show_files(line, files)
            line.send(menu_box(FILE_ITEMS) + "\r\n")
            redraw = False
        line.send(PROMPT + "File area, your choice: " + RESET)
        key = chr((yield from read_key())).upper()
        if key in "\r\n ":
            line.send("\r\n")
            continue
        line.send(key + "\r\n")
        if key == "Q":
            return
        if key == "L":
            show_files(line, files)
        elif key == "D":
            yield from download(line, files)
        elif key == "U":
            yield from upload(line)
        else:
            line.send(WARN + "Unknown choice." + RESET + "\r\n")


def choose_protocol(line, upload):
    letters = [k for k, p in PROTOCOLS.items() if (p[2] if upload else p[1]) is not None]
    line.send("Protocols: %s\r\n" % ", ".join("%s %s" % (k, PROTOCOLS[k][0]) for k in letters))
    line.send("Protocol (Enter to cancel): ")
    key = chr((yield from read_key())).upper()
    if key not in letters:
        line.send("\r\n")
        return None
    line.send(key + "\r\n")
    return key


def find_program(argv):
    return shutil.which(argv[0]) is not None


def run_transfer(line, argv, cwd, what):
    if not find_program(argv):
        line.send(WARN + "%s is not available on this host." % argv[0] + RESET + "\r\n")
        return
    line.send("Start your %s now (Ctrl-X several times to cancel).\r\n" % what)
    status = yield ("run", argv, cwd, argv[0] == "kermit")
    yield ("quiet", line.config.after_transfer_quiet)
    if status == 0:
        line.send("\r\nTransfer complete.\r\n")
    else:
        line.send("\r\n" + WARN + "Transfer failed (status %s)." % status + RESET + "\r\n")


def download(line, files):
    if not files:
        line.send("There are no files to download.\r\n")
        return
    key = yield from choose_protocol(line, upload=False)
    if key is None:
        return
    line.send("File number or name: ")
    answer = (yield from read_line(line)).strip()
    if not answer:
        return
    chosen = None
    if answer.isdigit() and 1 <= int(answer) <= len(files):
        chosen = files[int(answer) - 1][0]
    else:
        for name, _ in files:
            if name.lower() == answer.lower():
                chosen = name
    if chosen is None:
        line.send(WARN + "No such file." + RESET + "\r\n")
        return
    name, build_down, _ = PROTOCOLS[key]
    line.log("download protocol=%s file=%s" % (name, chosen))
    yield from run_transfer(line, build_down(chosen), line.config.files_dir,
                            "%s download of %s" % (name, chosen))


def upload(line):
    cfg = line.config
    if not cfg.upload_dir or not os.path.isdir(cfg.upload_dir):
        line.send("Uploads are closed on this board.\r\n")
        return
    key = yield from choose_protocol(line, upload=True)
    if key is None:
        return
    name = None
    if key in NEEDS_NAME:
        line.send("File name: ")
        name = (yield from read_line(line)).strip()
        if not name:
            return
        if not SAFE_NAME.match(name):
            line.send(WARN + "Use letters, digits, '.', '-' and '_' only." + RESET + "\r\n")
            return
    title, _, build_up = PROTOCOLS[key]
    line.log("upload protocol=%s file=%s" % (title, name or "-"))
    yield from run_transfer(line, build_up(name), cfg.upload_dir, "%s upload" % title)
