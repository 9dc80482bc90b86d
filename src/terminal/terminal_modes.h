// Emulator modes shared by the emulators and keyboard translation.
#pragma once

namespace palvex {

struct TerminalModes {
    int cursorKeysApp = 0;   // cursor keys send ESC O instead of ESC [
    int keypadApp = 0;       // keypad sends application strings
    int newLineMode = 0;     // Return sends CR LF
    int autoRepeat = 1;      // translate on key-down (set) or key-up (clear)
    int c1Answers = 0;       // answers and typed CSI/SS3 use 8-bit C1 forms
    int selectiveErase = 0;  // ESC [ ? J / ESC [ ? K act only while set
    int reverse = 0;         // reverse video re-applied by renditions 22/24/25
    int transparentPrint = 0;  // "Print &Transparent" is checked
    int savedX2 = 0;         // second saved cursor (ESC [ s / ESC [ u), in cells
    int savedY2 = 0;
    // SCO-ANSI's own ESC [ s / ESC [ u cursor, in cells, apart from the one above.
    int scoSavedCol = 0;
    int scoSavedRow = 0;
    // Wyse 50 cursor address: ESC = seen, and how many of its two bytes have
    // arrived. Kept apart from the collector so the address bytes may be any
    // value, even ones the byte table would act on.
    int wyseAddressPending = 0;
    int wyseAddressCount = 0;
    // The VT100's own ESC [ s / ESC [ u cursor, in cells, apart from the one above.
    int vt100SavedCol = 0;
    int vt100SavedRow = 0;
    // VT52 ESC Y: set while the two address bytes are awaited, with how many came.
    int vt52AddressPending = 0;
    int vt52AddressCount = 0;
};

}  // namespace palvex
