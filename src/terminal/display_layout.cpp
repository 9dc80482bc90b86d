#include "terminal/display_layout.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "terminal/display_colours.h"

namespace palvex {
namespace {

constexpr int kMinPageRows = 24;
constexpr int kMaxPageRows = 99;

// MulDiv's rounding (half away from zero), which the Windows side uses for the
// same conversions.
int MulDivRound(int a, int b, int c) {
    if (c == 0) return -1;
    const long long p = static_cast<long long>(a) * b;
    const long long half = (c > 0 ? c : -c) / 2;
    const bool negative = (p < 0) != (c < 0);
    const long long q = ((p < 0 ? -p : p) + half) / (c > 0 ? c : -c);
    return static_cast<int>(negative ? -q : q);
}

}  // namespace

int FittingColumns(int clientWidth, int cellWidth) {
    if (cellWidth <= 0) return 0;
    return std::max(TextAreaRight(clientWidth), 0) / cellWidth;
}

int VisibleTextColumns(int clientWidth, int cellWidth, int columns, int hOffset) {
    return std::max(std::min(FittingColumns(clientWidth, cellWidth), columns - hOffset), 0);
}

int HScrollRange(int clientWidth, int cellWidth, int columns) {
    return std::max(columns - FittingColumns(clientWidth, cellWidth), 0);
}

FontFit FontForWindow(int clientWidth, int clientHeight, int rows) {
    return {(clientHeight - kBandsAboveAndBelow) / std::max(rows, 1), TextAreaRight(clientWidth) / 80};
}

int RowsForWindow(int clientHeight, int cellHeight) {
    const int rows = (clientHeight - kBandsAboveAndBelow) / std::max(cellHeight, 1) - 1;
    return std::clamp(rows, kMinPageRows, kMaxPageRows);
}

int ClientHeightForRows(int rows, int cellHeight) {
    return (rows + 1) * cellHeight + kBandsAboveAndBelow;
}

TrackingHeights TrackingHeightsFor(int resizeMode, int frame, int cellHeight, int pageRows) {
    TrackingHeights t;
    switch (resizeMode) {
    case 0: {  // "None": the height is the page's
        const int h = frame + (pageRows + 1) * cellHeight + kBandsAboveAndBelow;
        t.setMin = t.setMax = true;
        t.minHeight = t.maxHeight = h;
        break;
    }
    case 1:  // "Term": never fewer than 24 rows
        t.setMin = true;
        t.minHeight = frame + 25 * cellHeight + kBandsAboveAndBelow;
        break;
    default:
        break;
    }
    return t;
}

LogFont DefaultTerminalFont(int pixelsPerInchY) {
    LogFont f;
    std::memset(&f, 0, sizeof f);
    f.lfHeight = -(9 * pixelsPerInchY) / 72;
    f.lfWeight = 400;
    f.lfCharSet = 1;         // DEFAULT_CHARSET
    f.lfPitchAndFamily = 1;  // FIXED_PITCH
    std::strcpy(f.lfFaceName, "Terminal");
    return f;
}

bool NamesAFont(const LogFont& font) { return font.lfFaceName[0] != '\0'; }

PaintPlan PlanPaint(int paintMode, int rows, bool chatMode) {
    PaintPlan p;
    const int last = rows - 1;
    switch (paintMode) {
    case 0:
        if (chatMode) {
            p.dividerOnly = true;
            break;
        }
        p.lastRow = last;
        p.overlayLast = last;
        break;
    case 1:
        p.lastRow = std::min(1, last);
        p.overlayLast = p.lastRow;
        break;
    case 2:
        p.firstRow = p.overlayFirst = std::max(last - 1, 0);
        p.lastRow = p.overlayLast = last;
        break;
    case 3:
        p.overlayLast = last;
        break;
    case 4:
        // The column comes back from off screen; its selected cells must be
        // inverted like the ones that moved with the pixels.
        p.lastRow = p.overlayLast = last;
        p.firstColumnOnly = true;
        break;
    case 5:
        p.lastRow = last;
        break;
    default:
        break;
    }
    return p;
}

void PaintRow(TerminalScreen& s, int row, int terminalType, int textRight, bool firstColumnOnly,
              RowPainter& out) {
    const ScreenLine& line = LineAt(s, row);
    const uint8_t* attrs = AttrAt(s, row);
    const int y = kTextTop + row * s.cellHeight;
    const int cw = std::max<int>(s.cellWidth, 1);
    const int length = std::clamp<int>(line.length, 0, kLineCells);
    int end = length;
    if (firstColumnOnly) end = std::min<int>(end, s.hOffset + 1);
    // Cells that would start right of the text area are never seen.
    end = std::min(end, s.hOffset + std::max((textRight + cw - 1) / cw, 0));
    const int right = firstColumnOnly ? std::min(cw, textRight) : textRight;

    int col = std::max<int>(s.hOffset, 0);
    const ColourRule rule = ColourRuleOf(terminalType);
    if (rule == ColourRule::Context) {
        if (end > col) out.Run(0, y, line.text + col, end - col);
        col = std::max(col, end);
    } else {
        for (; col < end; ++col) {
            const uint8_t ch = line.text[col];
            if (ch < 0x20) break;
            out.Cell((col - s.hOffset) * cw, y, ch, attrs[col]);
        }
    }
    const int x = (col - s.hOffset) * cw;
    if (x < right) out.Blank(x, y, right);
}

bool SelectionSpan(const uint8_t* selection, int hOffset, int cellWidth, int textRight,
                   PixelSpan& span) {
    const int cw = std::max(cellWidth, 1);
    int first = -1, last = -1;
    for (int col = std::max(hOffset, 0); col < kLineCells; ++col) {
        if ((col - hOffset) * cw >= textRight) break;
        if (!selection[col]) continue;
        if (first < 0) first = col;
        last = col;
    }
    if (first < 0) return false;
    span.left = (first - hOffset) * cw;
    span.right = std::min((last + 1 - hOffset) * cw, textRight);
    return true;
}

HScrollStep HorizontalStep(HScrollCode code, int thumb, int hOffset, int range, int visible,
                           int columns) {
    HScrollStep step{hOffset, 0, HScrollStep::None};
    switch (code) {
    case HScrollCode::LineLeft:
        if (hOffset > 0) step = {hOffset - 1, 1, HScrollStep::FirstColumn};
        break;
    case HScrollCode::LineRight:
        if (hOffset < range) step = {hOffset + 1, -1, HScrollStep::RightEdge};
        break;
    case HScrollCode::PageLeft:
        step.hOffset = std::max(hOffset - visible, 0);
        break;
    case HScrollCode::PageRight:
        step.hOffset = std::max(std::min(hOffset + visible, range), hOffset);
        break;
    case HScrollCode::ThumbPosition:
        step.hOffset = std::clamp(thumb, 0, std::max(columns - 1, 0));
        step.shiftCells = hOffset - step.hOffset;
        break;
    case HScrollCode::Other:
        break;
    }
    if (code == HScrollCode::PageLeft || code == HScrollCode::PageRight ||
        code == HScrollCode::ThumbPosition) {
        if (step.hOffset != hOffset) step.repaint = HScrollStep::All;
    }
    return step;
}

int CharsetValue(const std::string& name) {
    for (const CharsetName& c : kCharsets)
        if (name == c.name) return c.value;
    return 1;
}

const char* CharsetLabel(int value) {
    for (const CharsetName& c : kCharsets)
        if (value == c.value) return c.name;
    return "Unknown";
}

int RasterPointSize(int cellHeight, int internalLeading, int pixelsPerInchY) {
    return MulDivRound(cellHeight - internalLeading, 72, pixelsPerInchY);
}

void AddSize(std::vector<int>& sizes, int points) {
    const auto at = std::lower_bound(sizes.begin(), sizes.end(), points);
    if (at == sizes.end() || *at != points) sizes.insert(at, points);
}

std::string SizeLabel(int points) {
    char text[16];
    std::snprintf(text, sizeof text, "%2d", points);
    return text;
}

int HeightForPoints(int points, int pixelsPerInchY) {
    return -MulDivRound(points, pixelsPerInchY, 72);
}

int PointsForHeight(int height, int pixelsPerInchY) {
    return MulDivRound(height < 0 ? -height : height, 72, pixelsPerInchY);
}

}  // namespace palvex
