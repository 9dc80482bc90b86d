// The arithmetic of the terminal window, kept apart from GDI so that it is the
// same on every platform: which cells fit and are drawn where, what a paint
// mode redraws, how the horizontal scroll bar moves the view, how the window
// and the font are fitted to each other, and the font dialog's lists.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "phonebook/service_entry.h"
#include "terminal/terminal_screen.h"

namespace palvex {

// The toolbar band above the text (54) and the horizontal scroll bar and
// status line below it (16 + 16).
inline constexpr int kBandsAboveAndBelow = 86;
inline constexpr int kBandsBelow = 32;

// Pixel x of the text area's right edge: the vertical scroll bar takes the rest.
constexpr int TextAreaRight(int clientWidth) { return clientWidth - kScrollBarWidth; }

// Whole cells that fit in the text area.
int FittingColumns(int clientWidth, int cellWidth);
// The visible text width in cells: what fits, but not more than the terminal
// has to the right of the horizontal offset.
int VisibleTextColumns(int clientWidth, int cellWidth, int columns, int hOffset);
// The horizontal scroll bar runs 0..this.
int HScrollRange(int clientWidth, int cellWidth, int columns);

// Resize mode "Font": the font that makes `rows` rows and 80 columns fill the
// window (a 132-column terminal then needs the horizontal scroll bar).
struct FontFit {
    int height;
    int width;
};
FontFit FontForWindow(int clientWidth, int clientHeight, int rows);

// Resize mode "Term": the page rows that fit the window, one cell of slack
// kept below them; held to the heights a service may have (24..99).
int RowsForWindow(int clientHeight, int cellHeight);

// The client height that shows `rows` rows plus one cell of slack.
int ClientHeightForRows(int rows, int cellHeight);

// WM_GETMINMAXINFO: `frame` is the height the window adds to its client area
// (minimum tracking height, menu and border), taken once at creation.
struct TrackingHeights {
    bool setMin = false, setMax = false;
    int minHeight = 0, maxHeight = 0;
};
TrackingHeights TrackingHeightsFor(int resizeMode, int frame, int cellHeight, int pageRows);

// "Terminal" at 9 points, normal weight, fixed pitch, default character set.
LogFont DefaultTerminalFont(int pixelsPerInchY);
// A record that names no face (a fresh or zeroed service) means the default.
bool NamesAFont(const LogFont& font);

// What a paint mode redraws.
//   0 every row and the selection overlay (in chat mode only the divider)
//   1 the top row, 2 the bottom row (each with its neighbour and their overlay)
//   3 the overlay alone, 4 the first visible column, 5 every row without the
//   overlay, 6 nothing.
struct PaintPlan {
    int firstRow = 0, lastRow = -1;          // rows whose cells are drawn
    bool firstColumnOnly = false;
    int overlayFirst = 0, overlayLast = -1;  // rows whose selection is inverted
    bool dividerOnly = false;
};
PaintPlan PlanPaint(int paintMode, int rows, bool chatMode);

// Receives what one row paints. Cell: one cell in the colours of `attr`.
// Run: the types without attributes draw the row as one string in the
// context's colours. Blank: the rest of the row up to `right` in the
// background.
class RowPainter {
public:
    virtual ~RowPainter() = default;
    virtual void Cell(int x, int y, uint8_t ch, uint8_t attr) = 0;
    virtual void Run(int x, int y, const uint8_t* text, int count) = 0;
    virtual void Blank(int x, int y, int right) = 0;
};

// Paints screen row `row` as shown now (history included): the cells from the
// horizontal offset to the line's length that start left of `textRight`. All
// types but TTY and VT52 stop at the first control character.
void PaintRow(TerminalScreen& s, int row, int terminalType, int textRight, bool firstColumnOnly,
              RowPainter& out);

// The selection overlay of one row: the pixels from the first to the last
// selected visible cell. False when no visible cell of the row is selected.
struct PixelSpan {
    int left, right;
};
bool SelectionSpan(const uint8_t* selection, int hOffset, int cellWidth, int textRight,
                   PixelSpan& span);

// The horizontal scroll bar's codes and what each does to the view.
enum class HScrollCode { LineLeft, LineRight, PageLeft, PageRight, ThumbPosition, Other };
struct HScrollStep {
    enum Repaint { None, FirstColumn, RightEdge, All };
    int hOffset;       // the new offset
    int shiftCells;    // pixels move right by this many cells (left when negative)
    Repaint repaint;
};
// `range` is the scroll bar's maximum, `visible` the cells that fit.
HScrollStep HorizontalStep(HScrollCode code, int thumb, int hOffset, int range, int visible,
                           int columns);

// The font dialog's lists.
struct CharsetName {
    const char* name;
    int value;
};
inline constexpr CharsetName kCharsets[] = {
    {"Ansi", 0}, {"Default", 1}, {"Symbol", 2}, {"ShiftJIS", 128}, {"OEM/DOS", 255},
};
// A name not in the list means "Default" (1); a value not in it shows "Unknown".
int CharsetValue(const std::string& name);
const char* CharsetLabel(int value);
// Scalable fonts offer fixed sizes; a raster font offers the sizes it has.
inline constexpr int kScalableSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26};
// A raster size in points: cell height less internal leading, at the screen's
// vertical resolution (rounded as MulDiv does).
int RasterPointSize(int cellHeight, int internalLeading, int pixelsPerInchY);
// Adds a raster size keeping the list sorted and free of repeats.
void AddSize(std::vector<int>& sizes, int points);
std::string SizeLabel(int points);  // "%2d"
// The logical height of a size in points (negative: a character height).
int HeightForPoints(int points, int pixelsPerInchY);
// The size in points a logical height stands for (what the dialog preselects).
int PointsForHeight(int height, int pixelsPerInchY);

}  // namespace palvex
