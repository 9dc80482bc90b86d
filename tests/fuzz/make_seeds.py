#!/usr/bin/env python3
"""Writes the fuzzers' seed corpus: the byte streams the tests use, each behind
the fuzzer's four set-up bytes (flags, rows, scroll range low and high)."""
import pathlib
import sys

ESC = b"\x1b"
CSI = ESC + b"["

STREAMS = [
    b"Hello\r\nworld\r\n",
    b"ABC\r\rX\x7f\x08\x08\tTAB\x07\x0e\x0f",
    b"**\x18B0100000023be50\r\n",
    b"rz\r**\x18B00000000000000\r\n\x11",
    CSI + b"2J" + CSI + b"H" + CSI + b"1;31mred" + CSI + b"0m",
    CSI + b"10;200H" + CSI + b"20;10r" + CSI + b"6n" + CSI + b"5n" + CSI + b"c",
    CSI + b"?7l" + CSI + b"7l" + CSI + b"?1h" + CSI + b"4h" + CSI + b"3h" + CSI + b"?25n",
    CSI + b"0A" + CSI + b"B" + CSI + b"5C" + CSI + b"D" + ESC + b"D" + ESC + b"E" + ESC + b"M",
    CSI + b"7m" + CSI + b"7m" + CSI + b"1;4;5;7;8;22;24;25;27m" + CSI + b"30;41;37;40;47m",
    b"line" + CSI + b"5P" + CSI + b"3@" + CSI + b"2X" + CSI + b"2L" + CSI + b"2M" + CSI + b"K" + CSI + b"1K" + CSI + b"2K",
    CSI + b"J" + CSI + b"1J" + CSI + b"?J" + CSI + b"0\"q" + CSI + b"?2K" + CSI + b"s" + CSI + b"u",
    ESC + b"7" + ESC + b"8" + ESC + b"(0qqq" + ESC + b"(B" + ESC + b")0\x0eqx\x0f" + ESC + b"=" + ESC + b">",
    ESC + b" G" + CSI + b"6n" + ESC + b" F" + b"\x9b2J\x84\x85\x8d\x8fA\x90data\x9c",
    ESC + b"Pq#0;2;0;0;0#1!7~" + ESC + b"\\" + CSI + b"5i" + b"printed" + CSI + b"4i",
    CSI + b"Z" + CSI + b"2S" + CSI + b"T" + b"\t\tx" + CSI + b"Z",
    ESC + b"Y%*" + ESC + b"A" + ESC + b"C" + ESC + b"I" + ESC + b"J" + ESC + b"K" + ESC + b"Z" + ESC + b"bswallowed" + ESC + b"H",
    ESC + b"=!(" + ESC + b"*" + ESC + b"+" + ESC + b"G4bright" + ESC + b"G0" + ESC + b"G2x" + ESC + b"W" + ESC + b"Q",
    ESC + b"E" + ESC + b"R" + ESC + b"T" + ESC + b"Y" + ESC + b"j" + ESC + b"q" + ESC + b"r" + b"\x0b\x0c\x1e\x1a",
    ESC + b"[" + b"1" * 298,
    bytes(range(256)),
]

HEADERS = [bytes([0, 0, 10, 0]), bytes([0x03, 75, 200, 0x85]), bytes([0x44, 5, 0, 0]), bytes([0x3A, 0, 3, 0])]


def main():
    out = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent / "corpus")
    out.mkdir(parents=True, exist_ok=True)
    for i, stream in enumerate(STREAMS):
        for j, header in enumerate(HEADERS):
            (out / f"seed-{i:02d}-{j}").write_bytes(header + stream)


if __name__ == "__main__":
    main()
