"""Configuration of the simulated modem and its host.

The file is INI text read with configparser; every section and key is optional
and README.md lists them.  Paths are taken relative to the file's directory.
"""

import configparser
import os

OUTCOMES = ("connect", "busy", "no-carrier", "no-dialtone", "no-answer", "silence")


class ConfigError(Exception):
    pass


def normalise_number(text):
    """The part of a dial string that selects an outcome: its digits, * and #.

    Tone/pulse letters, blanks, commas (pauses), dashes, brackets and the other
    dial modifiers are dropped, so "T 9,123", "9-123" and "9123" are one number.
    """
    return "".join(c for c in text if c.isdigit() or c in "*#")


class Outcome:
    def __init__(self, kind, rate=0, after=0.0):
        self.kind = kind
        self.rate = rate
        self.after = after

    def __repr__(self):
        return "Outcome(%s, rate=%d, after=%g)" % (self.kind, self.rate, self.after)


def parse_outcome(text):
    """`connect RATE [after SECONDS]`, `busy`, `no-carrier`, `no-dialtone`,
    `no-answer` or `silence`, each but silence optionally with `after SECONDS`."""
    words = text.lower().split()
    if not words or words[0] not in OUTCOMES:
        raise ConfigError("unknown outcome %r (want one of %s)" % (text, ", ".join(OUTCOMES)))
    kind = words.pop(0)
    rate = 0
    if kind == "connect":
        if not words:
            raise ConfigError("connect needs a rate (0 for a plain CONNECT): %r" % text)
        try:
            rate = int(words.pop(0))
        except ValueError:
            raise ConfigError("bad connect rate in %r" % text) from None
        if rate < 0:
            raise ConfigError("bad connect rate in %r" % text)
    after = 0.0
    if words:
        if len(words) != 2 or words[0] != "after" or kind == "silence":
            raise ConfigError("unexpected %r in outcome %r" % (" ".join(words), text))
        try:
            after = float(words[1])
        except ValueError:
            raise ConfigError("bad delay in %r" % text) from None
        if after < 0:
            raise ConfigError("bad delay in %r" % text)
    return Outcome(kind, rate, after)


class Config:
    def __init__(self):
        self.base_dir = os.getcwd()
        # modem
        self.guard = 1.0
        self.default_outcome = Outcome("no-carrier")
        self.numbers = {}
        # incoming calls
        self.answer_enabled = False
        self.call_after = 2.0
        self.ring_interval = 3.0
        self.max_rings = 8
        self.answer_rate = 2400
        self.repeat_calls = True
        # host
        self.name = "DEMO BBS"
        self.banner = None
        self.login_prompt = "login: "
        self.password_prompt = "password: "
        self.max_login_failures = 3
        self.users = {"guest": "guest"}
        self.text_file = None
        self.page_lines = 20
        self.files_dir = None
        self.upload_dir = None
        self.banner_delay = 0.3
        self.after_transfer_quiet = 1.0

    def outcome_for(self, dial_string):
        number = normalise_number(dial_string)
        return number, self.numbers.get(number, self.default_outcome)

    def path(self, value):
        if value is None or value == "":
            return None
        value = os.path.expanduser(value)
        if not os.path.isabs(value):
            value = os.path.join(self.base_dir, value)
        return value


def _float(section, key, fallback):
    try:
        value = section.getfloat(key, fallback=fallback)
    except ValueError:
        raise ConfigError("[%s] %s is not a number" % (section.name, key)) from None
    if value < 0:
        raise ConfigError("[%s] %s must not be negative" % (section.name, key))
    return value


def _int(section, key, fallback):
    try:
        value = section.getint(key, fallback=fallback)
    except ValueError:
        raise ConfigError("[%s] %s is not a whole number" % (section.name, key)) from None
    if value < 0:
        raise ConfigError("[%s] %s must not be negative" % (section.name, key))
    return value


def _text(value):
    """Config texts may use \\r, \\n, \\e (ESC) and \\\\; a line break in a
    continued value becomes CR LF."""
    out = []
    i = 0
    while i < len(value):
        c = value[i]
        if c == "\\" and i + 1 < len(value):
            n = value[i + 1]
            out.append({"r": "\r", "n": "\n", "e": "\x1b", "t": "\t", "\\": "\\"}.get(n, "\\" + n))
            i += 2
            continue
        out.append("\r\n" if c == "\n" else c)
        i += 1
    return "".join(out)


def load(path=None):
    cfg = Config()
    if path is None:
        return cfg
    parser = configparser.ConfigParser(interpolation=None, inline_comment_prefixes=(";",))
    parser.optionxform = str
    try:
        with open(path, encoding="utf-8") as f:
            parser.read_file(f)
    except OSError as e:
        raise ConfigError("cannot read %s: %s" % (path, e.strerror)) from None
    except UnicodeDecodeError:
        raise ConfigError("%s is not UTF-8 text" % path) from None
    except configparser.Error as e:
        raise ConfigError("%s: %s" % (path, e)) from None
    cfg.base_dir = os.path.dirname(os.path.abspath(path))

    if parser.has_section("modem"):
        m = parser["modem"]
        cfg.guard = _float(m, "guard", cfg.guard)
    if parser.has_section("numbers"):
        for key, value in parser["numbers"].items():
            outcome = parse_outcome(value)
            if key.lower() == "default":
                cfg.default_outcome = outcome
                continue
            number = normalise_number(key)
            if not number:
                raise ConfigError("[numbers] %r holds no digits" % key)
            cfg.numbers[number] = outcome
    if parser.has_section("answer"):
        a = parser["answer"]
        cfg.answer_enabled = a.getboolean("enabled", fallback=True)
        cfg.call_after = _float(a, "call_after", cfg.call_after)
        cfg.ring_interval = max(0.05, _float(a, "ring_interval", cfg.ring_interval))
        cfg.max_rings = max(1, _int(a, "max_rings", cfg.max_rings))
        cfg.answer_rate = _int(a, "rate", cfg.answer_rate)
        cfg.repeat_calls = a.getboolean("repeat", fallback=cfg.repeat_calls)
    if parser.has_section("host"):
        h = parser["host"]
        cfg.name = h.get("name", cfg.name)
        if "banner" in h:
            cfg.banner = _text(h["banner"])
        cfg.login_prompt = _text(h.get("login_prompt", cfg.login_prompt).strip('"'))
        cfg.password_prompt = _text(h.get("password_prompt", cfg.password_prompt).strip('"'))
        cfg.max_login_failures = max(1, _int(h, "max_login_failures", cfg.max_login_failures))
        cfg.text_file = cfg.path(h.get("text_file"))
        cfg.page_lines = max(1, _int(h, "page_lines", cfg.page_lines))
        cfg.files_dir = cfg.path(h.get("files"))
        cfg.upload_dir = cfg.path(h.get("uploads"))
        cfg.banner_delay = _float(h, "banner_delay", cfg.banner_delay)
        cfg.after_transfer_quiet = _float(h, "after_transfer_quiet", cfg.after_transfer_quiet)
    if parser.has_section("users"):
        users = dict(parser["users"].items())
        if users:
            cfg.users = users
    return cfg
