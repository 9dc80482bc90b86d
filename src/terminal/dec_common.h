// Actions the DEC-style executors share (VT102/VT220/VT320, SCO-ANSI, VT100,
// VT52, Wyse 50): reading parameters out of the collected sequence, cursor
// motion with its limits, scrolling, erasing, inserting and deleting, the
// graphic renditions and the answers to the host.
//
// Everything works on cells (TerminalScreen's cursorCol/cursorRow) and keeps
// every index inside the 132 cells of a line and the rows of the screen, so a
// hostile parameter can move the cursor to an edge but never out of the buffer.
// Nothing here allocates.
#pragma once

#include <cstdint>

#include "terminal/terminal_modes.h"
#include "terminal/terminal_screen.h"

namespace palvex {

struct Session;

namespace dec {

// Parameters are saturated here: far beyond any screen, far below overflow in
// the cursor arithmetic that follows.
inline constexpr int kParamCeiling = 99'999'999;

// The collected bytes after ESC with the final cut off, which is how the
// executors see a sequence: bytes[0] is the byte after ESC, and reading at or
// past `length` gives 0, as the terminating NUL that replaces the final would.
struct EscText {
    const uint8_t* bytes;
    int length;
    uint8_t operator[](int i) const { return i >= 0 && i < length ? bytes[i] : 0; }
};

// `count` bytes after ESC, the last being the final.
inline EscText TextOf(const uint8_t* afterEsc, int count) { return {afterEsc, count > 0 ? count - 1 : 0}; }

// The runtime's decimal conversion from `pos`: leading white space and one sign
// are accepted, it stops at the first non-digit, and text without digits reads
// 0. The magnitude saturates at kParamCeiling.
int NumberAt(const EscText& t, int pos);
// Index of the first `sep` at or after `from`, or -1.
int Find(const EscText& t, int from, uint8_t sep);
// The number after the first `sep` at or after `from`; 0 when there is none.
inline int NumberAfter(const EscText& t, int from, uint8_t sep) {
    const int at = Find(t, from, sep);
    return at < 0 ? 0 : NumberAt(t, at + 1);
}
// A count parameter at position 1 (after "[" or "O"): 1 when the final follows
// the first byte directly, else the number as written (0 and negatives kept,
// so the caller decides what they mean).
inline int CountParam(const EscText& t) { return t.length <= 1 ? 1 : NumberAt(t, 1); }

// --- Cursor ---------------------------------------------------------------

// Up/down/left by n (n < 1: no move), stopping at row 0 / `lastRow` / column 0.
void CursorUp(TerminalScreen& s, int n);
void CursorDown(TerminalScreen& s, int n, int lastRow);
void CursorLeft(TerminalScreen& s, int n);
// Right by n (n < 1: no move). With autoWrap a move past the last column goes
// on over the next rows (one row per `columns`, never below `lastRow`); then the
// column is limited to `lastCol`.
void CursorRight(TerminalScreen& s, int n, int lastRow, int lastCol);
// The screen's own limits: the last row and the last column of the width.
inline int LastRow(const TerminalScreen& s) { return s.rows > 0 ? s.rows - 1 : 0; }
inline int LastColumn(const TerminalScreen& s) { return s.columns > 0 ? (s.columns < kLineCells ? s.columns : kLineCells) - 1 : 0; }
// 1-based row and column from the screen top; values below 1 become 1, the row
// is limited to `rows` and the column to `columns`.
void CursorTo(TerminalScreen& s, int row, int col);
inline void CursorHome(TerminalScreen& s) {
    s.cursorCol = 0;
    s.cursorRow = 0;
}
// Back to the tab stop at or before the cursor (0, 8, 16, ...; a cursor on a
// stop stays), kept on the screen's width.
void BackTab(TerminalScreen& s);

// Cursor save/restore into the given cells (ESC 7/8 use the screen's savedCol/
// savedRow, ESC [ s/u an emulator's second pair). A restored position is
// brought back onto the screen should the screen have shrunk since.
void SaveCursor(const TerminalScreen& s, int& col, int& row);
void RestoreCursor(TerminalScreen& s, int col, int row);
// Moves the caret to the cursor when the cursor column is not scrolled off,
// leaving it hidden as the pump keeps it during a burst.
void MoveCaret(TerminalScreen& s);

// --- Scrolling ------------------------------------------------------------

// Index: on the bottom margin row the region scrolls up (scroll lock does not
// apply); elsewhere down one row, not below the last row.
void Index(TerminalScreen& s);
// Reverse index: on the top margin row the region scrolls down; elsewhere up
// one row, not above row 0.
void ReverseIndex(TerminalScreen& s);
// Column 0, then Index.
void NextLine(TerminalScreen& s);
// The region scrolls by one line whatever the cursor row, the window's pixels
// moved to match. The cursor stays.
void ScrollRegionUpShown(TerminalScreen& s);
void ScrollRegionDownShown(TerminalScreen& s);
// Scrolling region from 1-based top and bottom: a bottom <= 0 or past `rows`
// becomes `rows`, a top <= 0 or past `rows` becomes 1; top < bottom is not
// enforced. The cursor goes home.
void SetScrollRegion(TerminalScreen& s, int top, int bottom);

// --- Erasing --------------------------------------------------------------

// The whole screen into the history: the text area erased, the ring advanced
// `rows` times and every screen row cleared. The cursor is not moved.
void PushScreenToHistory(TerminalScreen& s);
// Cursor home, then PushScreenToHistory (ESC [ 2 J, Wyse ESC *).
void ClearScreenToHistory(TerminalScreen& s);
// One whole screen row blank, its pixels included.
void EraseRow(TerminalScreen& s, int row);
// ESC [ Ps J: 0 from the cursor to the end of the screen (pushing the screen
// into the history first when the cursor is home), 1 from the start of the
// screen up to the cursor, 2 the whole screen into the history. Other Ps:
// nothing.
void EraseInDisplay(TerminalScreen& s, int ps);
// ESC [ Ps K: 0 to the end of the line, 1 from its start up to the cursor,
// 2 the whole line. Other Ps: nothing.
void EraseInLine(TerminalScreen& s, int ps);

// --- Inserting and deleting -------------------------------------------------

// n blank cells at the cursor (n < 1: nothing); the cells after it move right
// with their attributes, dropping what passes `columns`.
void InsertBlanks(TerminalScreen& s, int n);
// n cells at the cursor deleted (n < 1: nothing); the rest of the line moves
// left with its attributes. Nothing changes when no cell follows the cursor.
void DeleteChars(TerminalScreen& s, int n);
// n cells from the cursor blank with attribute 0 (n < 1: nothing); the line's
// length is kept.
void EraseChars(TerminalScreen& s, int n);
// n lines at the cursor row, limited to the rows from it to the bottom margin
// (nothing when the cursor is below that margin, or n < 1).
void InsertLinesAtCursor(TerminalScreen& s, int n);
void DeleteLinesAtCursor(TerminalScreen& s, int n);

// --- Attributes -----------------------------------------------------------

// The current attribute, also written into the cell under the cursor.
void SetAttr(TerminalScreen& s, uint8_t attr);

// Which renditions an emulator honours.
enum class Renditions {
    Vt220,       // 0..27 monochrome, with the reverse flag (VT102/VT220/VT320)
    Sco,         // 0..47: Vt220's plus colours 30-37 / 40-47 (SCO-ANSI)
    Vt100,       // 0..8 monochrome, 7 only exchanges the nibbles (VT100)
    Vt100Color,  // 0..47: Vt100's plus colours (VT100(Ansi Color))
};
// ESC [ Ps;... m: the text from `pos` split at ';' and each field applied in
// turn. An empty text (the final right after the first byte) resets the
// attribute to 0x70 and clears `bold`.
void SelectGraphicRendition(TerminalScreen& s, TerminalModes& m, const EscText& t, int pos, Renditions set);

// --- Keypad ---------------------------------------------------------------

// ESC =: application keypad, and the keyboard's Num Lock turned on.
void KeypadApplication(Session& s);
// ESC >: numeric keypad; Num Lock is left as it is.
void KeypadNumeric(Session& s);

// --- Answers --------------------------------------------------------------

// Writes an answer that begins with ESC [ to the port; with `eightBit` the ESC [
// goes out as the single byte 0x9B.
void SendAnswer(Session& s, const char* sevenBit, bool eightBit);
// ESC [ row ; col R, 1-based, the column counted with the horizontal offset.
void SendCursorPosition(Session& s, bool eightBit);

}  // namespace dec
}  // namespace palvex
