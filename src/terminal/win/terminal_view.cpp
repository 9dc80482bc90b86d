#include "terminal/win/terminal_view.h"

#include <algorithm>
#include <cstring>

#include "terminal/display_layout.h"

namespace palvex {
namespace {

constexpr COLORREF kDividerRed = RGB(255, 0, 0);
constexpr int kChatDividerRow = 12;

TerminalScreen& Screen(TerminalView& v) { return *v.screen; }
int TerminalTypeOf(const TerminalView& v) {
    return v.service ? static_cast<int>(v.service->TerminalType) : static_cast<int>(kTypeTty);
}
bool InChat(const TerminalView& v) { return v.chatMode && *v.chatMode; }
int CellW(const TerminalView& v) { return std::max<int>(v.screen->cellWidth, 1); }
int CellH(const TerminalView& v) { return std::max<int>(v.screen->cellHeight, 1); }

SIZE ClientSize(const TerminalView& v) {
    RECT r{};
    if (v.window) GetClientRect(v.window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

int TextRightOf(const TerminalView& v) { return TextAreaRight(ClientSize(v).cx); }

// The context's colours change only when a cell needs others: most runs of
// text share one pair, and the calls are not free.
void UseColours(TerminalView& v, HDC dc, const CellColours& c) {
    if (dc != v.dc) {
        SetTextColor(dc, c.text);
        SetBkColor(dc, c.background);
        return;
    }
    if (c.text != v.dcColours.text) SetTextColor(dc, c.text);
    if (c.background != v.dcColours.background) SetBkColor(dc, c.background);
    v.dcColours = c;
}

void DrawOneCell(TerminalView& v, HDC dc, int x, int y, uint8_t ch, uint8_t attr) {
    const CellColours c = SetCellColours(attr, TerminalTypeOf(v), ColoursOf(*v.service), v.dcColours);
    UseColours(v, dc, c);
    // The whole cell, external leading included, takes the background.
    const RECT cell{x, y, x + CellW(v), y + CellH(v)};
    const char text = static_cast<char>(ch);
    ExtTextOutA(dc, x, y, ETO_OPAQUE, &cell, &text, 1, nullptr);
}

class GdiRowPainter : public RowPainter {
public:
    GdiRowPainter(TerminalView& v, HDC dc) : v_(v), dc_(dc) {}
    void Cell(int x, int y, uint8_t ch, uint8_t attr) override { DrawOneCell(v_, dc_, x, y, ch, attr); }
    void Run(int x, int y, const uint8_t* text, int count) override {
        const int cw = CellW(v_);
        const RECT band{x, y, x + count * cw, y + CellH(v_)};
        // Spacing per cell keeps the run on the cell grid even when a font's
        // advance differs from its average width.
        INT dx[kLineCells];
        std::fill(dx, dx + count, cw);
        ExtTextOutA(dc_, x, y, ETO_OPAQUE, &band, reinterpret_cast<const char*>(text),
                    static_cast<UINT>(count), dx);
    }
    void Blank(int x, int y, int right) override {
        const RECT r{x, y, right, y + CellH(v_)};
        FillRect(dc_, &r, v_.backgroundBrush);
    }

private:
    TerminalView& v_;
    HDC dc_;
};

void InvertSelection(TerminalView& v, HDC dc, int first, int last, bool firstColumnOnly) {
    TerminalScreen& s = Screen(v);
    const int right = firstColumnOnly ? std::min(CellW(v), TextRightOf(v)) : TextRightOf(v);
    for (int row = std::max(first, 0); row <= last && row < s.rows; ++row) {
        PixelSpan span;
        if (!SelectionSpan(SelAt(s, row), s.hOffset, CellW(v), right, span)) continue;
        const int y = kTextTop + row * CellH(v);
        const RECT r{span.left, y, span.right, y + CellH(v)};
        InvertRect(dc, &r);
    }
}

void DrawDivider(TerminalView& v, HDC dc) {
    const int y = kTextTop + kChatDividerRow * CellH(v);
    HGDIOBJ old = SelectObject(dc, v.dividerPen);
    MoveToEx(dc, 0, y, nullptr);
    LineTo(dc, TextRightOf(v), y);
    SelectObject(dc, old);
}

// Rows first..last from the buffer, then their selection overlay.
void PaintRows(TerminalView& v, HDC dc, int first, int last, bool overlay) {
    TerminalScreen& s = Screen(v);
    GdiRowPainter painter(v, dc);
    const int right = TextRightOf(v);
    const int type = TerminalTypeOf(v);
    for (int row = std::max(first, 0); row <= last && row < s.rows; ++row)
        PaintRow(s, row, type, right, false, painter);
    if (overlay) InvertSelection(v, dc, first, last, false);
}

RECT RowsRect(TerminalView& v, int first, int last) {
    return {0, kTextTop + first * CellH(v), TextRightOf(v), kTextTop + (last + 1) * CellH(v)};
}

RECT TextAreaRect(TerminalView& v) {
    const SIZE c = ClientSize(v);
    return {0, kTextTop, TextAreaRight(c.cx), std::max<LONG>(c.cy - kBandsBelow, kTextTop)};
}

// Drawing straight into the window, outside WM_PAINT: the caret must not be
// drawn over, and what was painted need not be painted again.
class DirectPaint {
public:
    explicit DirectPaint(TerminalView& v, const RECT* clip = nullptr) : v_(v), clip_(clip) {
        if (v_.hasFocus) ::HideCaret(v_.window);
        if (clip_) IntersectClipRect(v_.dc, clip_->left, clip_->top, clip_->right, clip_->bottom);
    }
    ~DirectPaint() {
        if (clip_) SelectClipRgn(v_.dc, nullptr);
        if (v_.hasFocus) ::ShowCaret(v_.window);
    }
    void Done(const RECT& painted) { ValidateRect(v_.window, &painted); }

private:
    TerminalView& v_;
    const RECT* clip_;
};

void MoveCaretToCursor(TerminalView& v) {
    if (!v.hasFocus) return;
    const int x = CursorX(Screen(v));
    // A cursor in columns scrolled off to the left keeps the caret where it is.
    if (x >= 0) SetCaretPos(x, CursorY(Screen(v)));
}

void CreateCaretAtCursor(TerminalView& v) {
    CreateCaret(v.window, nullptr, CellW(v), CellH(v));
    v.caretHiddenForOutput = false;
    SetCaretPos(std::max(CursorX(Screen(v)), 0), CursorY(Screen(v)));
    ShowCaret(v.window);
}

void UpdateHorizontalBar(TerminalView& v) {
    TerminalScreen& s = Screen(v);
    const SIZE c = ClientSize(v);
    const int range = HScrollRange(c.cx, CellW(v), s.columns);
    if (s.hOffset > range) {
        s.hOffset = range;
    }
    v.visibleColumns = VisibleTextColumns(c.cx, CellW(v), s.columns, s.hOffset);
    v.display.SetHorizontalRange(range);
    v.display.SetHorizontalPos(s.hOffset);
}

int Dpi(const TerminalView& v) {
    const int dpi = v.dc ? GetDeviceCaps(v.dc, LOGPIXELSY) : 96;
    return dpi > 0 ? dpi : 96;
}

bool MakeFont(TerminalView& v, const LogFont& record) {
    LOGFONTA lf;
    static_assert(sizeof lf == sizeof record);
    std::memcpy(&lf, &record, sizeof lf);
    HFONT font = CreateFontIndirectA(&lf);
    if (!font) return false;
    HGDIOBJ previous = SelectObject(v.dc, font);
    if (!v.savedFont) v.savedFont = previous;
    if (v.font) DeleteObject(v.font);
    v.font = font;
    v.fontRecord = record;

    TEXTMETRICA tm{};
    GetTextMetricsA(v.dc, &tm);
    // The cursor is held in cells, so it keeps its cell under the new size.
    TerminalScreen& s = Screen(v);
    s.cellWidth = static_cast<int16_t>(std::max<LONG>(tm.tmAveCharWidth, 1));
    s.cellHeight = static_cast<int16_t>(std::max<LONG>(tm.tmHeight + tm.tmExternalLeading, 1));
    return true;
}

}  // namespace

// --- GdiDisplay -------------------------------------------------------------

int GdiDisplay::ClientWidth() const { return ClientSize(view_).cx; }
int GdiDisplay::ClientHeight() const { return ClientSize(view_).cy; }

void GdiDisplay::DrawCell(int x, int y, uint8_t ch, uint8_t attr) {
    if (view_.dc) DrawOneCell(view_, view_.dc, x, y, ch, attr);
}

void GdiDisplay::FillBackground(const PixelRect& rect) {
    if (!view_.dc) return;
    const RECT r{rect.left, rect.top, rect.right, rect.bottom};
    FillRect(view_.dc, &r, view_.backgroundBrush);
}

void GdiDisplay::ScrollPixels(const PixelRect& rect, int dx, int dy) {
    if (!view_.window || !view_.screen) return;
    const RECT r{rect.left, rect.top, rect.right, rect.bottom};
    // Never onto the toolbar, below the last row or under the scroll bar.
    const RECT rows = RowsRect(view_, 0, Screen(view_).rows - 1);
    ScrollWindowEx(view_.window, dx, dy, &r, &rows, nullptr, nullptr, SW_INVALIDATE);
    // Callers differ on whether pixels may leave `rect`: a line feed moves the
    // region's second row onto its first, a line deletion must not touch the
    // rows above the cursor. The band they land on outside `rect` is painted
    // again from the buffer, which is right for both.
    RECT landed = r;
    if (dy < 0) landed = {r.left, r.top + dy, r.right, r.top};
    if (dy > 0) landed = {r.left, r.bottom, r.right, r.bottom + dy};
    if (dx < 0) landed = {r.left + dx, r.top, r.left, r.bottom};
    if (dx > 0) landed = {r.right, r.top, r.right + dx, r.bottom};
    RECT outside;
    if ((dx || dy) && IntersectRect(&outside, &landed, &rows)) InvalidateRect(view_.window, &outside, FALSE);
}

void GdiDisplay::RepaintRow(int row) {
    if (!view_.dc || InChat(view_)) return;
    const int last = Screen(view_).rows - 1;
    if (row < 0 || row > last) return;
    DirectPaint paint(view_);
    if (row == 0) {
        PaintScreen(view_, view_.dc, 1);
        paint.Done(RowsRect(view_, 0, std::min(1, last)));
    } else if (row == last) {
        PaintScreen(view_, view_.dc, 2);
        paint.Done(RowsRect(view_, std::max(last - 1, 0), last));
    } else {
        PaintRows(view_, view_.dc, row, row, true);
        paint.Done(RowsRect(view_, row, row));
    }
}

void GdiDisplay::RepaintAll() {
    if (view_.dc) PaintNow(view_, 0);
}

void GdiDisplay::SetVerticalRange(int max) {
    if (view_.vScroll) SetScrollRange(view_.vScroll, SB_CTL, 0, std::max(max, 0), TRUE);
}

void GdiDisplay::SetVerticalPos(int pos) {
    if (view_.vScroll) SetScrollPos(view_.vScroll, SB_CTL, pos, TRUE);
}

void GdiDisplay::SetHorizontalRange(int max) {
    if (view_.hScroll) SetScrollRange(view_.hScroll, SB_CTL, 0, std::max(max, 0), TRUE);
}

void GdiDisplay::SetHorizontalPos(int pos) {
    if (view_.hScroll) SetScrollPos(view_.hScroll, SB_CTL, pos, TRUE);
}

void GdiDisplay::HideCaret() {
    if (!view_.hasFocus || view_.caretHiddenForOutput) return;
    ::HideCaret(view_.window);
    view_.caretHiddenForOutput = true;
}

void GdiDisplay::ShowCaretAt(int x, int y) {
    if (!view_.hasFocus) return;
    if (x >= 0) SetCaretPos(x, y);
    if (!view_.caretHiddenForOutput) return;
    ::ShowCaret(view_.window);
    view_.caretHiddenForOutput = false;
}

// --- Life cycle ---------------------------------------------------------------

bool OpenTerminalView(TerminalView& view, HWND window, HWND vScroll, HWND hScroll,
                      TerminalScreen& screen, ServiceEntry& service, const int* chatMode) {
    view.window = window;
    view.vScroll = vScroll;
    view.hScroll = hScroll;
    view.screen = &screen;
    view.service = &service;
    view.chatMode = chatMode;
    view.dc = GetDC(window);
    if (!view.dc) return false;

    SetBkMode(view.dc, OPAQUE);
    view.backgroundBrush = CreateSolidBrush(kDefaultBackground);
    view.savedBrush = SelectObject(view.dc, view.backgroundBrush);
    view.dcColours = {kDefaultText, kDefaultBackground};
    SetBkColor(view.dc, kDefaultBackground);
    SetTextColor(view.dc, kDefaultText);
    view.dividerPen = CreatePen(PS_SOLID, 2, kDividerRed);
    view.savedPen = SelectObject(view.dc, view.dividerPen);

    view.savedFont = nullptr;
    MakeFont(view, DefaultTerminalFont(Dpi(view)));
    view.frameHeight = GetSystemMetrics(SM_CYMINTRACK) + GetSystemMetrics(SM_CYMENU) +
                       GetSystemMetrics(SM_CYBORDER);
    screen.display = &view.display;
    UpdateHorizontalBar(view);
    return true;
}

void CloseTerminalView(TerminalView& view) {
    if (view.hasFocus) {
        DestroyCaret();
        view.hasFocus = false;
    }
    if (view.screen && view.screen->display == &view.display) view.screen->display = nullptr;
    if (view.dc) {
        if (view.savedFont) SelectObject(view.dc, view.savedFont);
        if (view.savedBrush) SelectObject(view.dc, view.savedBrush);
        if (view.savedPen) SelectObject(view.dc, view.savedPen);
        ReleaseDC(view.window, view.dc);
    }
    if (view.font) DeleteObject(view.font);
    if (view.backgroundBrush) DeleteObject(view.backgroundBrush);
    if (view.dividerPen) DeleteObject(view.dividerPen);
    view.dc = nullptr;
    view.font = nullptr;
    view.backgroundBrush = nullptr;
    view.dividerPen = nullptr;
    view.savedFont = view.savedBrush = view.savedPen = nullptr;
}

// --- Painting ---------------------------------------------------------------

void PaintScreen(TerminalView& view, HDC dc, int mode, const RECT* update) {
    TerminalScreen& s = Screen(view);
    PaintPlan plan = PlanPaint(mode, s.rows, InChat(view));
    if (plan.dividerOnly) {
        DrawDivider(view, dc);
        return;
    }
    if (update) {
        // Rows outside the update region would be clipped away anyway; the
        // overlay keeps to the same rows so that nothing is inverted twice.
        const int first = std::max((static_cast<int>(update->top) - kTextTop) / CellH(view), 0);
        const int last = (static_cast<int>(update->bottom) - 1 - kTextTop) / CellH(view);
        plan.firstRow = std::max(plan.firstRow, first);
        plan.lastRow = std::min(plan.lastRow, last);
        plan.overlayFirst = std::max(plan.overlayFirst, first);
        plan.overlayLast = std::min(plan.overlayLast, last);
    }
    GdiRowPainter painter(view, dc);
    const int right = TextRightOf(view);
    const int type = TerminalTypeOf(view);
    for (int row = plan.firstRow; row <= plan.lastRow; ++row)
        PaintRow(s, row, type, right, plan.firstColumnOnly, painter);
    if (mode == 0 || mode == 5) {
        // Rows a smaller page or font no longer covers must not keep old text.
        const SIZE c = ClientSize(view);
        const RECT below{0, kTextTop + s.rows * CellH(view), right, c.cy - kBandsBelow};
        if (below.bottom > below.top) FillRect(dc, &below, view.backgroundBrush);
    }
    if (plan.overlayLast >= plan.overlayFirst)
        InvertSelection(view, dc, plan.overlayFirst, plan.overlayLast, plan.firstColumnOnly);
}

void PaintNow(TerminalView& view, int mode) {
    if (!view.dc) return;
    DirectPaint paint(view);
    PaintScreen(view, view.dc, mode);
    if (mode == 0 || mode == 5) paint.Done(TextAreaRect(view));
}

void PaintPending(TerminalView& view, HDC dc, const RECT* update) {
    const int mode = view.paintMode;
    view.paintMode = 0;
    if (dc && view.screen) PaintScreen(view, dc, mode, update);
}

void OnTerminalPaint(TerminalView& view) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(view.window, &ps);
    if (view.hasFocus) ::HideCaret(view.window);
    PaintPending(view, dc, &ps.rcPaint);
    EndPaint(view.window, &ps);
    if (view.hasFocus) {
        MoveCaretToCursor(view);
        ::ShowCaret(view.window);
    }
}

void DrawChatDivider(TerminalView& view) {
    if (view.dc) DrawDivider(view, view.dc);
}

// --- Colours and font ---------------------------------------------------------

void ApplyColours(TerminalView& view) {
    if (!view.dc || !view.service) return;
    const DisplayColours colours = ColoursOf(*view.service);
    const CellColours base = BaseColours(colours);
    HBRUSH brush = CreateSolidBrush(base.background);
    if (brush) {
        SelectObject(view.dc, brush);
        if (view.backgroundBrush) DeleteObject(view.backgroundBrush);
        view.backgroundBrush = brush;
    }
    SetBkColor(view.dc, base.background);
    SetTextColor(view.dc, base.text);
    view.dcColours = base;
    if (!colours.useDefaultColours) Screen(view).attr = 0x70;
}

void SetupFont(TerminalView& view) {
    if (!view.dc || !view.service) return;
    LogFont& record = view.service->TerminalFont;
    // A record that names no face (a zeroed service) takes the font in use.
    if (!NamesAFont(record)) record = view.fontRecord;
    const FontFit fit = FontForWindow(ClientSize(view).cx, ClientSize(view).cy, Screen(view).rows);
    // A window with no room for text yet (minimised, not laid out) keeps the font.
    if (view.service->ResizeMode == 2 && fit.height > 0 && fit.width > 0) {
        record.lfHeight = fit.height;
        record.lfWidth = fit.width;
    }
    if (!MakeFont(view, record)) return;
    UpdateHorizontalBar(view);
    if (view.hasFocus) {
        DestroyCaret();
        CreateCaretAtCursor(view);
    }
}

void FitWindowToPage(TerminalView& view) {
    if (!view.window) return;
    RECT outer{}, client{};
    GetWindowRect(view.window, &outer);
    GetClientRect(view.window, &client);
    const int wanted = ClientHeightForRows(Screen(view).rows, CellH(view));
    const int height = (outer.bottom - outer.top) + wanted - (client.bottom - client.top);
    SetWindowPos(view.window, nullptr, 0, 0, outer.right - outer.left, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void RecreateCaret(TerminalView& view) {
    if (!view.hasFocus) return;
    DestroyCaret();
    CreateCaretAtCursor(view);
}

// --- Window messages ----------------------------------------------------------

void OnTerminalSize(TerminalView& view, int clientWidth) {
    TerminalScreen& s = Screen(view);
    s.hOffset = 0;
    const int range = HScrollRange(clientWidth, CellW(view), s.columns);
    view.visibleColumns = VisibleTextColumns(clientWidth, CellW(view), s.columns, 0);
    view.display.SetHorizontalRange(range);
    view.display.SetHorizontalPos(0);
}

void OnTerminalRefit(TerminalView& view) {
    if (!view.service) return;
    switch (view.service->ResizeMode) {
    case 1: {
        const int rows = RowsForWindow(ClientSize(view).cy, CellH(view));
        if (rows != Screen(view).rows) SetScreenRows(Screen(view), rows);
        break;
    }
    case 2:
        SetupFont(view);
        PaintNow(view, 0);
        break;
    default:
        break;
    }
}

void OnTerminalMinMaxInfo(TerminalView& view, MINMAXINFO& info) {
    if (!view.service || !view.screen) return;
    const TrackingHeights t =
        TrackingHeightsFor(view.service->ResizeMode, view.frameHeight, CellH(view), Screen(view).rows);
    if (t.setMin) info.ptMinTrackSize.y = t.minHeight;
    if (t.setMax) info.ptMaxTrackSize.y = t.maxHeight;
}

void OnTerminalHScroll(TerminalView& view, int code, int thumb) {
    TerminalScreen& s = Screen(view);
    HScrollCode c = HScrollCode::Other;
    switch (code) {
    case SB_LINELEFT: c = HScrollCode::LineLeft; break;
    case SB_LINERIGHT: c = HScrollCode::LineRight; break;
    case SB_PAGELEFT: c = HScrollCode::PageLeft; break;
    case SB_PAGERIGHT: c = HScrollCode::PageRight; break;
    case SB_THUMBPOSITION: c = HScrollCode::ThumbPosition; break;
    default: return;
    }
    const SIZE client = ClientSize(view);
    const int cw = CellW(view);
    const HScrollStep step = HorizontalStep(c, thumb, s.hOffset, HScrollRange(client.cx, cw, s.columns),
                                            FittingColumns(client.cx, cw), s.columns);
    if (step.repaint == HScrollStep::None) return;
    s.hOffset = step.hOffset;
    view.visibleColumns = VisibleTextColumns(client.cx, cw, s.columns, s.hOffset);
    view.display.SetHorizontalPos(s.hOffset);

    const int right = TextAreaRight(client.cx);
    const RECT rows = RowsRect(view, 0, s.rows - 1);
    switch (step.repaint) {
    case HScrollStep::FirstColumn: {
        ScrollWindowEx(view.window, step.shiftCells * cw, 0, &rows, &rows, nullptr, nullptr, SW_INVALIDATE);
        DirectPaint paint(view);
        PaintScreen(view, view.dc, 4);
        paint.Done({0, rows.top, std::min(cw, right), rows.bottom});
        break;
    }
    case HScrollStep::RightEdge: {
        ScrollWindowEx(view.window, step.shiftCells * cw, 0, &rows, &rows, nullptr, nullptr, SW_INVALIDATE);
        // The strip the pixels left behind, overlay included: the column that
        // scrolls in may hold selected cells.
        const RECT strip{std::max(right + step.shiftCells * cw, 0), rows.top, right, rows.bottom};
        DirectPaint paint(view, &strip);
        PaintScreen(view, view.dc, 0);
        paint.Done(strip);
        break;
    }
    default:
        PaintNow(view, 0);
        break;
    }
    MoveCaretToCursor(view);
}

void OnTerminalVScroll(TerminalView& view, int code, int thumb) {
    ScrollCode c;
    switch (code) {
    case SB_LINEUP: c = ScrollCode::LineUp; break;
    case SB_LINEDOWN: c = ScrollCode::LineDown; break;
    case SB_PAGEUP: c = ScrollCode::PageUp; break;
    case SB_PAGEDOWN: c = ScrollCode::PageDown; break;
    case SB_THUMBPOSITION: c = ScrollCode::ThumbPosition; break;
    default: return;  // thumb tracking and the rest do nothing
    }
    HistoryScroll(Screen(view), c, thumb);
}

void OnTerminalSetFocus(TerminalView& view) {
    view.hasFocus = true;
    CreateCaretAtCursor(view);
}

void OnTerminalKillFocus(TerminalView& view) {
    if (!view.hasFocus) return;
    view.hasFocus = false;
    DestroyCaret();
}

}  // namespace palvex
