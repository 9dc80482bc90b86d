#!/usr/bin/env python3
"""Writes the installed keymap file "palvex.kbd".

The file holds, for each terminal type 1..9 in list order, two keymaps of 43
slots of 16 bytes: the one in use, then the shipped default. Both halves are
written the same, so "Default" in the keymap editor brings back what is
installed.

    make_keymap.py OUTPUT        write the file
    make_keymap.py --table       print the table of every type's keys (Markdown)
"""

import sys

SLOTS = 43
SLOT_BYTES = 16
DEFINITION_MAX = 15
TYPES = 9

ESC = "\x1b"
CR = "\r"

# Slot numbers by key; the order follows the virtual-key codes.
SLOT = {
    "PgUp": 0, "PgDn": 1, "End": 2, "Home": 3,
    "Left": 4, "Up": 5, "Right": 6, "Down": 7,
    "Enter": 8,
    "Insert": 12,
    **{f"KP{d}": 15 + d for d in range(10)},
    "KP*": 25, "KP+": 26, "KPSep": 27, "KP-": 28, "KP.": 29, "KP/": 30,
    **{f"F{n}": 30 + n for n in range(1, 13)},
}

KEY_ORDER = sorted(SLOT, key=SLOT.get)

TYPE_NAMES = [
    "TTY", "VT100(Ansi Color)", "VT52", "VT100", "VT102",
    "VT220", "VT320", "Wyse50", "SCO-ANSI",
]


def ansi_cursor_keys():
    return {"Up": ESC + "[A", "Down": ESC + "[B", "Right": ESC + "[C", "Left": ESC + "[D"}


def plain_keypad():
    """The keypad typing its own characters, and Enter as Return."""
    keys = {f"KP{d}": str(d) for d in range(10)}
    keys.update({"KP*": "*", "KP+": "+", "KPSep": ",", "KP-": "-", "KP.": ".", "KP/": "/",
                 "Enter": CR})
    return keys


def dec_keypad(prefix):
    """The DEC keypad in application mode; the PC keypad's top row carries PF2
    and PF3 on "/" and "*", its "+" stands where the DEC comma key is."""
    keys = {f"KP{d}": prefix + chr(ord("p") + d) for d in range(10)}
    keys.update({
        "KP-": prefix + "m", "KP+": prefix + "l", "KPSep": prefix + "l", "KP.": prefix + "n",
        "Enter": prefix + "M", "KP/": prefix + "Q", "KP*": prefix + "R",
    })
    return keys


def pf_keys(prefix):
    return {f"F{n}": prefix + "PQRS"[n - 1] for n in range(1, 5)}


def tty():
    return {**ansi_cursor_keys(), **plain_keypad()}


def vt100():
    return {**ansi_cursor_keys(), **dec_keypad(ESC + "O"), **pf_keys(ESC + "O")}


def vt220():
    keys = vt100()
    keys.update({
        "Home": ESC + "[1~",     # Find
        "Insert": ESC + "[2~",   # Insert Here
        "End": ESC + "[4~",      # Select
        "PgUp": ESC + "[5~",     # Prev Screen
        "PgDn": ESC + "[6~",     # Next Screen
    })
    for fkey, code in zip(range(6, 13), (17, 18, 19, 20, 21, 23, 24)):
        keys[f"F{fkey}"] = f"{ESC}[{code}~"
    return keys


def vt52():
    keys = {"Up": ESC + "A", "Down": ESC + "B", "Right": ESC + "C", "Left": ESC + "D"}
    keys.update(dec_keypad(ESC + "?"))
    keys.update({"KP/": ESC + "Q", "KP*": ESC + "R"})
    keys.update(pf_keys(ESC))
    return keys


def wyse50():
    keys = {"Up": "\x0b", "Down": "\x0a", "Left": "\x08", "Right": "\x0c", "Home": "\x1e",
            "PgUp": ESC + "J", "PgDn": ESC + "K", "Insert": ESC + "Q"}
    keys.update(plain_keypad())
    for n in range(1, 13):
        keys[f"F{n}"] = "\x01" + chr(ord("@") + n - 1) + CR
    return keys


def sco_ansi():
    keys = ansi_cursor_keys()
    keys.update({"Home": ESC + "[H", "End": ESC + "[F", "PgUp": ESC + "[I", "PgDn": ESC + "[G",
                 "Insert": ESC + "[L"})
    for n in range(1, 13):
        keys[f"F{n}"] = ESC + "[" + chr(ord("M") + n - 1)
    # The console's keypad with Num Lock off: the editing keys again, 5 as ESC [ E.
    keys.update({"KP7": keys["Home"], "KP8": keys["Up"], "KP9": keys["PgUp"],
                 "KP4": keys["Left"], "KP5": ESC + "[E", "KP6": keys["Right"],
                 "KP1": keys["End"], "KP2": keys["Down"], "KP3": keys["PgDn"],
                 "KP0": keys["Insert"], "KP.": "\x7f",
                 "KP*": "*", "KP+": "+", "KPSep": ",", "KP-": "-", "KP/": "/", "Enter": CR})
    return keys


# In list order: TTY, VT100 colour, VT52, VT100, VT102, VT220, VT320, Wyse50, SCO-ANSI.
KEYMAPS = [tty(), vt100(), vt52(), vt100(), vt100(), vt220(), vt220(), wyse50(), sco_ansi()]


def keymap_bytes(keys):
    out = bytearray(SLOTS * SLOT_BYTES)
    for name, text in keys.items():
        data = text.encode("latin-1")
        if not data or len(data) > DEFINITION_MAX:
            raise ValueError(f"{name}: {len(data)} bytes")
        at = SLOT[name] * SLOT_BYTES
        out[at:at + len(data)] = data
    return bytes(out)


def file_bytes():
    assert len(KEYMAPS) == TYPES
    out = bytearray()
    for keys in KEYMAPS:
        half = keymap_bytes(keys)
        out += half + half   # current, then default
    return bytes(out)


def shown(text):
    """The key-definition text form, as the editor shows it."""
    parts = []
    for ch in text.encode("latin-1"):
        if ch < 32:
            parts.append("^" + chr(ch + 0x40))
        elif ch > 126:
            parts.append(f"\\{ch:02x}")
        else:
            parts.append(chr(ch))
    return "".join(parts)


def markdown_table():
    columns = [(1, "TTY"), (2, "VT100, VT100(Ansi Color), VT102"), (3, "VT52"),
               (6, "VT220, VT320"), (8, "Wyse50"), (9, "SCO-ANSI")]
    cell = lambda s: "`" + s.replace("|", "\\|").replace("`", "\\`") + "`" if s else ""
    lines = ["| slot | key | " + " | ".join(name for _, name in columns) + " |",
             "|---|---|" + "---|" * len(columns)]
    for key in KEY_ORDER:
        row = [str(SLOT[key]), key] + [cell(shown(KEYMAPS[t - 1].get(key, ""))) for t, _ in columns]
        lines.append("| " + " | ".join(row) + " |")
    return "\n".join(lines) + "\n"


def main(argv):
    if len(argv) == 2 and argv[1] == "--table":
        sys.stdout.write(markdown_table())
        return 0
    if len(argv) != 2 or argv[1].startswith("-"):
        sys.stderr.write(__doc__)
        return 2
    data = file_bytes()
    with open(argv[1], "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
