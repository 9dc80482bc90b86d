#!/usr/bin/env python3
"""Writes the Hayes modem profile shipped beside palvex32.exe.

A profile is 28 fields of 80 bytes, each a NUL-terminated string of at most 78
characters; the last four are reserved and left zero. The strings use the
program's notation: ^M is a carriage return, and in the init and escape strings
every third tilde is a one-second pause taken before anything is sent.

Usage: make_hayes.py OUTPUT
"""

import sys

FIELD_SIZE = 80
TEXT_LIMIT = 78

# In file order.
FIELDS = [
    ("dial suffix", "^M"),
    ("dial prefix", "ATD"),
    # Factory settings, echo and verbose answers on, all result codes
    # (busy and no-dialtone detection), DCD following the carrier, DTR drop
    # hangs up. The pause lets a modem that was just reset settle.
    ("init string", "~~~AT&FE1V1Q0X4&C1&D2^M"),
    ("hang-up string", "ATH0^M"),
    ("reset string", "ATZ^M"),
    # Guard time of silence, the escape, guard time again: both pauses come
    # before the +++ is sent; the dialer waits afterwards on its own.
    ("escape string", "~~~+++~~~"),
    ("result Busy", "BUSY"),
    ("result Dialtone", "NO DIALTONE"),
    ("result Carrier", "NO CARRIER"),
    ("result Answer", "NO ANSWER"),
    # A Hayes modem has no time-out answer of its own; DELAYED is what it
    # sends when it refuses to redial a number too soon. Never left empty: an
    # empty field would match every line.
    ("result Timeout", "DELAYED"),
    ("result Error", "ERROR"),
    ("result OK", "OK"),
    ("result Connect", "CONNECT"),
    ("connect 1200", "CONNECT 1200"),
    ("connect 2400", "CONNECT 2400"),
    ("connect 4800", "CONNECT 4800"),
    ("connect 9600", "CONNECT 9600"),
    ("connect 600", "CONNECT 600"),
    ("connect 14400", "CONNECT 14400"),
    ("connect 19200", "CONNECT 19200"),
    ("connect 38400", "CONNECT 38400"),
    ("connect 56000", "CONNECT 56000"),
    ("valid dial characters", "0123456789*#,TPW!@ -()"),
    ("reserved", ""),
    ("reserved", ""),
    ("reserved", ""),
    ("reserved", ""),
]


def profile_bytes():
    out = bytearray()
    for name, text in FIELDS:
        raw = text.encode("ascii")
        if len(raw) > TEXT_LIMIT:
            raise ValueError(f"{name}: {len(raw)} characters, at most {TEXT_LIMIT}")
        out += raw.ljust(FIELD_SIZE, b"\0")
    assert len(out) == 28 * FIELD_SIZE
    return bytes(out)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    with open(argv[1], "wb") as f:
        f.write(profile_bytes())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
