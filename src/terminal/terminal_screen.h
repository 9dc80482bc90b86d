// The screen buffer: a ring of fixed 132-cell lines that holds the screen and
// its scrollback, an attribute and a selection plane beside it, the cursor, the
// scrolling region, the current attribute, the history view, and the escape
// sequence collector that the receive pump fills for the emulators.
//
// Whole-screen scrolling moves no text, only ring indices; partial regions copy
// lines. The cursor is held in cells; its pixel position (the caret) is derived
// with the cell size, the 54-pixel text top and the horizontal offset.
#pragma once

#include <cstdint>

#include "platform/ui.h"
#include "terminal/display_sink.h"

namespace palvex {

inline constexpr int kTextTop = 54;          // pixel y of screen row 0
inline constexpr int kLineCells = 132;       // cells a line can hold (0..131)
inline constexpr int kLineStride = 135;      // bytes per line in the text and both planes
inline constexpr int kMaxScrollLines = 3000; // room in the ring table
inline constexpr int kEscapeCapacity = 255;  // sequences are abandoned at this length
inline constexpr int kScrollBarWidth = 16;

#pragma pack(push, 1)
struct ScreenLine {
    int16_t length;  // one past the highest column written
    int16_t spare;   // shortened with length by DEL; nothing reads it
    uint8_t text[kLineStride];
};
#pragma pack(pop)
static_assert(sizeof(ScreenLine) == 139);

struct TerminalScreen {
    // Geometry.
    int32_t columns = 80;
    int32_t rows = 24;
    int32_t scrollRange = 1000;   // N: lines in the ring, screen included
    int16_t cellWidth = 8;
    int16_t cellHeight = 16;
    int32_t hOffset = 0;          // columns scrolled off the left edge

    // Cursor, in cells (column may reach 132 before a wrap or clamp).
    int32_t cursorCol = 0;
    int32_t cursorRow = 0;
    int32_t savedCol = 0;         // ESC 7 / ESC 8
    int32_t savedRow = 0;

    int32_t marginTop = 1;        // scrolling region, 1-based rows
    int32_t marginBottom = 24;
    uint8_t attr = 0x70;
    int bold = 0;
    int autoWrap = 0;
    int insertMode = 0;
    int scrollLock = 0;
    int shift = 0;                // 0: G0 in use, 1: G1
    int graphics[2] = {0, 0};     // G0/G1 designated as line drawing
    int AfterCR = 0;

    // The ring.
    ScreenLine* lineBlock = nullptr;      // N line records
    ScreenLine* ring[kMaxScrollLines] = {};
    uint8_t* attrPlane = nullptr;         // N x 135
    uint8_t* selPlane = nullptr;          // N x 135
    int16_t oldest = 0;
    int16_t newest = 23;
    int16_t top = 0;
    int16_t bottom = 23;
    int16_t liveTop = 0;
    int16_t liveBottom = 23;
    int ringFull = 0;
    int32_t livePos = 0;
    int32_t viewPos = 0;

    // Escape-sequence collector.
    uint8_t EscapeBuffer[kEscapeCapacity + 1] = {};
    int EscapeLength = 0;
    int EscapeActive = 0;
    int StringMode = 0;

    // The window drawn into ("window" of the primitives). Never null once set up.
    DisplaySink* display = nullptr;

    TerminalScreen() = default;
    TerminalScreen(const TerminalScreen&) = delete;
    TerminalScreen& operator=(const TerminalScreen&) = delete;
    ~TerminalScreen();
};

// Pixel position of the cursor (the caret): x may be negative when the cursor
// lies in columns scrolled off to the left.
inline int CursorX(const TerminalScreen& s) { return (s.cursorCol - s.hOffset) * s.cellWidth; }
inline int CursorY(const TerminalScreen& s) { return kTextTop + s.cursorRow * s.cellHeight; }
// Sets the cursor from a pixel position (integer division, as the caret maps to cells).
void SetCursorPixels(TerminalScreen& s, int x, int y);

// Ring index of screen row `row` as shown now (top + row, modulo N).
int RingIndex(const TerminalScreen& s, int row);
ScreenLine& LineAt(TerminalScreen& s, int row);
uint8_t* AttrAt(TerminalScreen& s, int row);   // the row's 135 attribute cells
uint8_t* SelAt(TerminalScreen& s, int row);    // the row's 135 selection cells
// Blank a ring line: 132 spaces, 132 zero attributes, length 0.
void ClearRingLine(TerminalScreen& s, int ringIndex);

// Allocates the ring and both planes for n lines; 0, or -1 when memory is short
// (nothing is shown; see SetupScrollback for the messages).
int AllocateLines(TerminalScreen& s, int n);
void FreeLines(TerminalScreen& s);
// Start-up allocation with the design's fallbacks: on failure "Not enough memory
// for scrolling" and a retry with `rows` lines; -1 when that fails as well.
int SetupScrollback(TerminalScreen& s, int n, Ui& ui, WindowRef owner);

// Primitives; all act on the live screen.
void ShowLiveScreen(TerminalScreen& s);
void AdvanceRing(TerminalScreen& s);
void ScrollRegionUp(TerminalScreen& s);
void ScrollRegionDown(TerminalScreen& s);
void InsertLines(TerminalScreen& s, int row, int n);
void DeleteLines(TerminalScreen& s, int row, int n);
void EraseToLineEnd(TerminalScreen& s, int y, int x);    // pixels
void EraseToLineStart(TerminalScreen& s, int y, int x);  // pixels
void CarriageReturn(TerminalScreen& s);
// Clears AfterCR and puts the cursor back in column 0 when it was set.
void ResolveAfterCR(TerminalScreen& s);
void Tab(TerminalScreen& s);
void Backspace(TerminalScreen& s);
void DeleteLeft(TerminalScreen& s);
void LineFeed(TerminalScreen& s);
void PutChar(TerminalScreen& s, uint8_t ch);
// PutChar for each of `n` printable bytes (bit 7 cleared first when `strip7`),
// with the stretch that stays on one line stored in one go.
void PutText(TerminalScreen& s, const uint8_t* text, int n, bool strip7);
void ClearBuffer(TerminalScreen& s);
void SetScreenRows(TerminalScreen& s, int n);
// "&Reset Term": margins, character sets, bold, attribute, cursor inside the page.
void ResetTerminalState(TerminalScreen& s);

// History view: the vertical scroll bar's codes.
enum class ScrollCode { LineUp, LineDown, PageUp, PageDown, ThumbPosition };
void HistoryScroll(TerminalScreen& s, ScrollCode code, int thumb = 0);

}  // namespace palvex
