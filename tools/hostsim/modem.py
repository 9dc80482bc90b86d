"""The Hayes side: modem settings, result codes and the AT command parser.

Nothing here does I/O; the simulator feeds command lines in and acts on the
parsed commands.
"""

RESULTS = {
    "OK": 0,
    "CONNECT": 1,
    "RING": 2,
    "NO CARRIER": 3,
    "ERROR": 4,
    "NO DIALTONE": 6,
    "BUSY": 7,
    "NO ANSWER": 8,
}

# Letters a Hayes modem of the period takes, with the values each accepts
# (None: any number).  Commands that only select features we do not simulate
# (speaker, result sets, line-quality options) are accepted and ignored.
LETTERS = {
    "A": (), "B": None, "C": None, "D": (), "E": (0, 1), "F": None,
    "H": (0, 1), "I": None, "L": (0, 1, 2, 3), "M": (0, 1, 2, 3), "N": None,
    "O": (0, 1), "P": (), "Q": (0, 1), "T": (), "V": (0, 1), "W": None,
    "X": (0, 1, 2, 3, 4), "Y": (0, 1), "Z": (0, 1),
}
AMPERSAND = set("ABCDFGJKLMNPQRSTVWXYZ")
S_REGISTER_COUNT = 100


class CommandError(Exception):
    pass


class ModemSettings:
    """What ATZ / AT&F put back: echo, verbose results, results on, S registers."""

    def __init__(self, guard_seconds=1.0):
        self.default_guard = guard_seconds
        self.reset()

    def reset(self):
        self.echo = True
        self.verbose = True
        self.quiet = False
        self.s = [0] * S_REGISTER_COUNT
        self.s[2] = ord("+")
        self.s[3] = 13
        self.s[4] = 10
        self.s[5] = 8
        self.s[7] = 50
        # S12 counts fiftieths of a second; a guard longer than 255/50 s only
        # comes from the config, so keep that in seconds next to it.
        self.guard = self.default_guard
        self.s[12] = min(255, int(round(self.default_guard * 50)))

    @property
    def escape_char(self):
        return self.s[2]

    def set_register(self, reg, value):
        if not 0 <= reg < S_REGISTER_COUNT or not 0 <= value <= 255:
            raise CommandError("register out of range")
        self.s[reg] = value
        if reg == 12:
            self.guard = value / 50.0

    def result(self, text):
        """The bytes a result is sent as, or b"" when results are off."""
        if self.quiet:
            return b""
        if self.verbose:
            return b"\r\n" + text.encode("latin-1") + b"\r\n"
        word = "CONNECT" if text.startswith("CONNECT") else text
        return b"%d\r" % RESULTS[word]

    def information(self, text):
        """Text an information command (ATI, ATSn?) shows before its OK."""
        if self.quiet:
            return b""
        if self.verbose:
            return b"\r\n" + text.encode("latin-1") + b"\r\n"
        return text.encode("latin-1") + b"\r\n"


def _number(body, i):
    start = i
    while i < len(body) and body[i].isdigit():
        i += 1
    return (int(body[start:i]) if i > start else None), i


def parse(body):
    """Split what follows "AT" into commands, in order.

    Returns a list of tuples: (letter, value) for single-letter commands,
    ("&X", value), ("S=", reg, value), ("S?", reg), ("D", dial string) - the dial
    takes the rest of the line - and ("+", text) for extended commands, which
    are accepted and ignored.  Raises CommandError for anything unknown.
    """
    out = []
    i = 0
    n = len(body)
    while i < n:
        c = body[i].upper()
        if c == " ":
            i += 1
            continue
        i += 1
        if c == "D":
            out.append(("D", body[i:]))
            break
        if c == "S":
            reg, i = _number(body, i)
            if reg is None:
                raise CommandError("S without a register number")
            if i < n and body[i] == "=":
                value, i = _number(body, i + 1)
                out.append(("S=", reg, value or 0))
            elif i < n and body[i] == "?":
                out.append(("S?", reg))
                i += 1
            else:
                out.append(("S", reg))
            if not 0 <= reg < S_REGISTER_COUNT:
                raise CommandError("no such register")
            continue
        if c in "&\\%":
            if i >= n or not body[i].isalpha():
                raise CommandError("%s without a letter" % c)
            letter = body[i].upper()
            i += 1
            if c == "&" and letter not in AMPERSAND:
                raise CommandError("unknown &%s" % letter)
            value, i = _number(body, i)
            out.append((c + letter, value or 0))
            continue
        if c == "+":
            end = body.find(";", i)
            end = n if end < 0 else end
            out.append(("+", body[i:end]))
            i = end + 1
            continue
        if c not in LETTERS:
            raise CommandError("unknown command %r" % c)
        allowed = LETTERS[c]
        if allowed == ():
            out.append((c, 0))
            if c == "A":
                break  # answering takes the modem off the command line
            continue
        value, i = _number(body, i)
        value = value or 0
        if allowed is not None and value not in allowed:
            raise CommandError("%s%d is out of range" % (c, value))
        out.append((c, value))
    return out
