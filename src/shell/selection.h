// The selection on the screen buffer: one mark per cell in the buffer's
// selection plane, and whether any selection is shown; the text a copy takes
// from it, and the sending of text as if it were typed.
//
// Marks belong to ring lines, not to screen rows, so a selection stays on its
// text while the view scrolls through the history.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "comm/session.h"
#include "terminal/terminal_screen.h"

namespace palvex {

// A cell of a ring line.
struct LineCell {
    int line = 0;  // ring index
    int col = 0;
};

struct SelectionState {
    bool SelectionExists = false;
    bool dragging = false;  // the left button holds a selection open
    LineCell anchor;        // where the marked range began
    LineCell end;           // where it reaches now
};

// Screen rows as shown now, first..last; empty when last < first.
struct RowSpan {
    int first = 0, last = -1;
    bool Empty() const { return last < first; }
};

// The ring line shown at screen row `row`, and the shown row of a ring line
// (-1 when it is not on the screen).
LineCell CellAt(const TerminalScreen& s, int row, int col);
int ShownRow(const TerminalScreen& s, int ringIndex);

// Zeroes every mark. Returns the shown rows that held marks (to be redrawn).
RowSpan ClearSelection(TerminalScreen& s, SelectionState& sel);
// Clears any selection and marks the one cell at (row, col) as the start of a
// new one. Returns the shown rows to redraw.
RowSpan StartSelection(TerminalScreen& s, SelectionState& sel, int row, int col);
// Marks the cells from the start to (row, col) in reading order, whichever
// comes first, and unmarks what the last extension marked beyond them. Rows
// between the two ends are marked across the terminal's width. Returns the
// shown rows whose marks changed.
RowSpan ExtendSelection(TerminalScreen& s, SelectionState& sel, int row, int col);
// Marks every cell of the screen as shown (the terminal's width on each row).
RowSpan SelectScreen(TerminalScreen& s, SelectionState& sel);
// Whether any cell of the ring is marked (a scan of the whole plane).
bool AnyMarked(const TerminalScreen& s);

// The clipboard text of the marks: the lines from the oldest to the newest,
// each line's marked characters, CR LF after a line that gave a character and
// after an empty line with a mark, the last CR LF dropped; a text of one
// character or less is empty. Empty when no selection exists.
std::string SelectedText(const TerminalScreen& s, const SelectionState& sel);

// Sends `text` (up to a NUL) as if typed, one character at a time through
// `sendTyped`, with the service's ASCII character and line delays and its
// line-feed stripping. XON/XOFF is switched on in both directions for the
// duration unless the service's flow control already includes it.
using TypedSender = std::function<void(std::string_view)>;
void TransmitText(Session& s, std::string_view text, const TypedSender& sendTyped);

}  // namespace palvex
