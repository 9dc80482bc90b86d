// The terminal as the main window shows it: the GDI display sink that the
// screen buffer, the emulators and the receive pump draw through, the paint
// handler, fonts and colours, the caret, both scroll bars, window fitting, and
// the colour and font dialogs.
//
// All state lives in one TerminalView that the shell owns. It draws into the
// main window's own device context (the window class has CS_OWNDC), which keeps
// the terminal font, an opaque background, the background brush and the red
// pen of the chat divider between calls.
//
// The main window calls, in its window procedure:
//   WM_CREATE         OpenTerminalView (before the scrollback is allocated)
//   WM_DESTROY        CloseTerminalView (before the device context goes)
//   WM_PAINT          OnTerminalPaint (BeginPaint, caret, EndPaint included)
//   WM_SIZE           OnTerminalSize unless minimised; then lay the children
//                     out and post 0x40E, or in chat mode DrawChatDivider
//   0x40E             OnTerminalRefit
//   WM_GETMINMAXINFO  OnTerminalMinMaxInfo
//   WM_HSCROLL        OnTerminalHScroll
//   WM_VSCROLL        OnTerminalVScroll
//   WM_SETFOCUS       OnTerminalSetFocus
//   WM_KILLFOCUS      OnTerminalKillFocus
//   "&Fonts" (303)    OnFontsCommand
//   "&Color" (1002)   OnColorCommand
// and at a connection: SetupFont, ApplyColours, RecreateCaret, and, when the
// rows or the font changed while connected, FitWindowToPage.
#pragma once

#include <windows.h>

#include <string>

#include "phonebook/service_entry.h"
#include "terminal/display_colours.h"
#include "terminal/display_sink.h"
#include "terminal/terminal_screen.h"

namespace palvex {

struct TerminalView;

// Draws into the view's device context. Drawing calls go straight to the
// window; whole rows are repainted from the buffer at once rather than left for
// WM_PAINT, so what arrives is seen while the receive pump still runs.
class GdiDisplay : public DisplaySink {
public:
    explicit GdiDisplay(TerminalView& view) : view_(view) {}
    int ClientWidth() const override;
    int ClientHeight() const override;
    void DrawCell(int x, int y, uint8_t ch, uint8_t attr) override;
    void FillBackground(const PixelRect& rect) override;
    // The pixels of `rect` move by (dx, dy) as with ScrollWindow: they may
    // land outside `rect`, but only within the text rows, so the toolbar, the
    // bands below the page and the vertical scroll bar stay. What the move
    // uncovers, and where it landed outside `rect`, is painted again from the
    // buffer by the next WM_PAINT unless a row repaint covers it first.
    void ScrollPixels(const PixelRect& rect, int dx, int dy) override;
    void RepaintRow(int row) override;
    void RepaintAll() override;
    void SetVerticalRange(int max) override;
    void SetVerticalPos(int pos) override;
    void SetHorizontalRange(int max) override;
    void SetHorizontalPos(int pos) override;
    // The receive path hides the caret around a burst of output. Hiding twice
    // needs one show only (Windows would count them), so a nested burst cannot
    // leave the caret hidden; both do nothing while the window has no focus
    // (and so no caret).
    void HideCaret() override;
    void ShowCaretAt(int x, int y) override;

private:
    TerminalView& view_;
};

struct TerminalView {
    TerminalView() = default;
    TerminalView(const TerminalView&) = delete;
    TerminalView& operator=(const TerminalView&) = delete;

    // Given by the shell at OpenTerminalView.
    HWND window = nullptr;
    HWND vScroll = nullptr;   // scroll-bar controls (SB_CTL); null: none
    HWND hScroll = nullptr;
    TerminalScreen* screen = nullptr;
    ServiceEntry* service = nullptr;   // terminal type, font record, colours, resize mode
    const int* chatMode = nullptr;     // PumpState::ChatMode; null: never in chat
    std::string helpFile = "PALVEX.HLP";

    // What the next WM_PAINT redraws (0..6, see PlanPaint); back to 0 after it.
    int paintMode = 0;

    // Kept for the window's lifetime.
    HDC dc = nullptr;
    HFONT font = nullptr;
    HBRUSH backgroundBrush = nullptr;
    HPEN dividerPen = nullptr;
    HGDIOBJ savedFont = nullptr, savedBrush = nullptr, savedPen = nullptr;
    LogFont fontRecord{};          // what `font` was made from
    CellColours dcColours{};       // text and background the context holds now
    int frameHeight = 0;           // window height beyond the client area, for tracking
    bool hasFocus = false;         // the caret exists only then
    bool caretHiddenForOutput = false;
    int visibleColumns = 0;        // whole cells shown, at most columns - hOffset

    GdiDisplay display{*this};
};

// Prepares the device context (opaque background, black brush and background,
// light grey text, the red divider pen), creates the default "Terminal" 9 pt
// font, takes the cell size into `screen` and attaches the view's display to
// it. False when the window has no device context.
bool OpenTerminalView(TerminalView& view, HWND window, HWND vScroll, HWND hScroll,
                      TerminalScreen& screen, ServiceEntry& service, const int* chatMode);
// Puts back what the context held, deletes the font, brush and pen, destroys
// the caret and detaches the display from the screen.
void CloseTerminalView(TerminalView& view);

// WM_PAINT: hides the caret, paints by `paintMode` (which then falls back to
// 0), shows the caret at the cursor.
void OnTerminalPaint(TerminalView& view);
// For a caller with its own BeginPaint (and caret handling): paints by the
// pending `paintMode` into `dc`, which then falls back to 0; `update` is the
// paint rectangle (rows outside it are skipped), null for everything.
void PaintPending(TerminalView& view, HDC dc, const RECT* update);
// The paint body: draws by `mode` into `dc` (0..6; see PlanPaint in
// terminal/display_layout.h), within the rows of `update` when given.
void PaintScreen(TerminalView& view, HDC dc, int mode, const RECT* update = nullptr);
// Draws by `mode` into the window at once (e.g. mode 3 to toggle the
// selection overlay before the marks change and again after).
void PaintNow(TerminalView& view, int mode);

// The background brush and the context's colours from the service's pair;
// unless the default pair is in use the current attribute goes back to 0x70.
void ApplyColours(TerminalView& view);
// Creates the font from the service's font record (the default font when the
// record names none; refitted to the window first under resize mode "Font"),
// selects it, takes the cell size, recomputes the visible width and the
// horizontal range, and recreates the caret when the window has the focus. A
// font that cannot be made leaves everything as it was.
void SetupFont(TerminalView& view);
// Resizes the window, width unchanged, so that the client area holds the page
// rows plus one cell and the bands (for a change of rows or font while
// connected).
void FitWindowToPage(TerminalView& view);
// Destroys and recreates the caret at the cell size (after a connection).
void RecreateCaret(TerminalView& view);

// WM_SIZE (not minimised): back to column 0, visible width, horizontal range.
void OnTerminalSize(TerminalView& view, int clientWidth);
// 0x40E: resize mode "Term" changes the page rows to fit, "Font" the font.
void OnTerminalRefit(TerminalView& view);
void OnTerminalMinMaxInfo(TerminalView& view, MINMAXINFO& info);
// WM_HSCROLL / WM_VSCROLL: `code` is LOWORD(wParam), `thumb` HIWORD(wParam).
void OnTerminalHScroll(TerminalView& view, int code, int thumb);
void OnTerminalVScroll(TerminalView& view, int code, int thumb);
void OnTerminalSetFocus(TerminalView& view);
void OnTerminalKillFocus(TerminalView& view);
// The line along the top of row 12 that splits the window in chat mode.
void DrawChatDivider(TerminalView& view);

// "&Color": the colour dialog on the service's pair; OK applies and repaints.
// Returns IDOK or IDCANCEL.
int OnColorCommand(TerminalView& view, HWND owner);
// "&Fonts": the font dialog on the service's font record; OK stores the choice
// in the record, sets the font up and repaints. Returns IDOK or IDCANCEL.
int OnFontsCommand(TerminalView& view, HWND owner);
// The font dialog on any record (Terminal Preferences works on a copy): fills
// `font` on OK and returns true; the terminal itself is not touched.
bool ChooseTerminalFont(TerminalView& view, HWND owner, LogFont& font);

// The dialog procedures, for DialogBoxParam with templates "COLOR" and
// "FONTDLG" (control ids in shell/dialog_ids.h); lParam points at the
// TerminalView (colour) or at a FontChoice.
struct FontChoice {
    TerminalView* view;
    LogFont font;
};
INT_PTR CALLBACK ColorDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FontDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace palvex
