// The GDI terminal view under Wine: text written through the screen
// primitives into a window with its own device context, painted, and read back.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "terminal/display_layout.h"
#include "terminal/win/terminal_view.h"

namespace palvex {
namespace {

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* view = reinterpret_cast<TerminalView*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (view && message == WM_PAINT) {
        OnTerminalPaint(*view);
        return 0;
    }
    if (message == WM_ERASEBKGND) {
        RECT r;
        GetClientRect(window, &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// One window for every test: Wine waits two seconds for a window manager
// that is not there whenever a window is destroyed.
HWND SharedWindow(HWND& vbar, HWND& hbar) {
    static HWND window = nullptr, v = nullptr, h = nullptr;
    if (!window) {
        WNDCLASSA wc{};
        wc.style = CS_OWNDC;
        wc.lpfnWndProc = TestWindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "PalvexDisplayTest";
        RegisterClassA(&wc);
        window = CreateWindowA(wc.lpszClassName, "Palvex32-Dialup display", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                               0, 0, 400, 300, nullptr, nullptr, wc.hInstance, nullptr);
        v = CreateWindowA("SCROLLBAR", "", WS_CHILD | WS_VISIBLE | SBS_VERT, 0, 0, 1, 1, window, nullptr, nullptr, nullptr);
        h = CreateWindowA("SCROLLBAR", "", WS_CHILD | WS_VISIBLE | SBS_HORZ, 0, 0, 1, 1, window, nullptr, nullptr, nullptr);
    }
    vbar = v;
    hbar = h;
    return window;
}

// The main window in miniature: a page of 24 rows `cellsWide` cells wide.
struct DisplayWindow {
    TerminalScreen screen;
    ServiceEntry service = DefaultServiceEntry();
    int chat = 0;
    TerminalView view;
    HWND window, vbar, hbar;
    int width = 0, height = 0;

    DisplayWindow(int type, int columns, int cellsWide) {
        window = SharedWindow(vbar, hbar);
        service.TerminalType = static_cast<int16_t>(type);
        StoreColours(service, ColourRuleOf(type) == ColourRule::Table ? ColourTypeColours()
                                                                       : DisplayColours{1, 0, 0});
        // Plain pixels: every pixel of a glyph is exactly the text colour.
        service.TerminalFont = DefaultTerminalFont(96);
        service.TerminalFont.lfQuality = NONANTIALIASED_QUALITY;
        screen.columns = columns;
        OpenTerminalView(view, window, vbar, hbar, screen, service, &chat);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&view));
        SetupFont(view);
        ApplyColours(view);
        SilentUi ui;
        SetupScrollback(screen, 100, ui, nullptr);
        Resize(cellsWide * screen.cellWidth + 16, ClientHeightForRows(24, screen.cellHeight));
        ShowWindow(window, SW_SHOWNORMAL);
        Pump();
    }
    ~DisplayWindow() {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        CloseTerminalView(view);
    }

    void Resize(int w, int h) {
        RECT r{0, 0, w, h};
        AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
        SetWindowPos(window, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
        RECT c;
        GetClientRect(window, &c);
        width = c.right;
        height = c.bottom;
        MoveWindow(vbar, width - 16, kTextTop, 16, height - 86, TRUE);
        MoveWindow(hbar, 0, height - 32, width - 16, 16, TRUE);
        OnTerminalSize(view, width);
    }

    static void Pump() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }

    // Through PutChar, as the receive pump writes.
    void Put(int row, int col, const std::string& text, uint8_t attr) {
        screen.cursorRow = row;
        screen.cursorCol = col;
        screen.attr = attr;
        for (char c : text) PutChar(screen, static_cast<uint8_t>(c));
    }

    void PaintAll() {
        InvalidateRect(window, nullptr, FALSE);
        UpdateWindow(window);
    }

    int CellX(int col) const { return (col - screen.hOffset) * screen.cellWidth; }
    int CellY(int row) const { return kTextTop + row * screen.cellHeight; }

    // The client area copied once: a pixel at a time is slow under Wine.
    std::vector<uint32_t> Take() {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof bi.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HBITMAP dib = CreateDIBSection(view.dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        HDC mem = CreateCompatibleDC(view.dc);
        HGDIOBJ old = SelectObject(mem, dib);
        BitBlt(mem, 0, 0, width, height, view.dc, 0, 0, SRCCOPY);
        GdiFlush();
        const auto* p = static_cast<const uint32_t*>(bits);
        std::vector<uint32_t> out(p, p + static_cast<size_t>(width) * height);
        SelectObject(mem, old);
        DeleteDC(mem);
        DeleteObject(dib);
        return out;
    }
    Colour At(const std::vector<uint32_t>& pic, int x, int y) const {
        const uint32_t p = pic[static_cast<size_t>(y) * width + x];
        return MakeColour((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    Colour Pixel(int x, int y) { return At(Take(), x, y); }
    std::set<Colour> CellColours(int col, int row) {
        const auto pic = Take();
        std::set<Colour> seen;
        for (int y = CellY(row); y < CellY(row + 1); ++y)
            for (int x = CellX(col); x < CellX(col + 1); ++x) seen.insert(At(pic, x, y));
        return seen;
    }
};

TEST(DisplayCells, TheCellRuleReachesThePixelsAsDrawnAndAsRepainted) {
    const Colour white = MakeColour(255, 255, 255);
    struct Case {
        const char* what;
        int type;
        uint8_t attr;
        Colour text, background;
    };
    const Case cases[] = {
        {"ESC [ 31 ; 44 m", kTypeVt100Color, 0x14, kColourTable[1], kColourTable[4]},
        {"mono ESC [ 1 ; 7 m", kTypeVt220, 0x0F, 0, white},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DisplayWindow w(c.type, 80, 80);
        w.Put(2, 3, "M ", c.attr);
        for (int pass = 0; pass < 2; ++pass) {
            EXPECT_EQ(w.CellColours(3, 2), (std::set<Colour>{c.text, c.background})) << "pass " << pass;
            EXPECT_EQ(w.CellColours(4, 2), std::set<Colour>{c.background}) << "pass " << pass;
            w.PaintAll();
        }
    }
}

TEST(DisplayHorizontalScroll, AWideScreenShowsTheOffsetColumnAtTheLeftEdge) {
    DisplayWindow w(kTypeVt100Color, 132, 80);
    const int cw = w.screen.cellWidth;
    // Column c has background c % 16, so a pixel tells which column it is.
    for (int c = 0; c < 132; ++c) w.Put(0, c, " ", static_cast<uint8_t>(0x70 | (c % 16)));
    auto columnAt = [&](const std::vector<uint32_t>& pic, int x) {
        for (int i = 0; i < 16; ++i)
            if (kColourTable[i] == w.At(pic, x, kTextTop + 1)) return i;
        return -1;
    };
    int lo = -1, hi = -1;
    GetScrollRange(w.hbar, SB_CTL, &lo, &hi);
    EXPECT_EQ(hi, 52);
    struct Step {
        int code, thumb, hOffset;
    };
    for (const Step& s : {Step{SB_THUMBPOSITION, 10, 10}, Step{SB_LINELEFT, 0, 9}, Step{SB_LINERIGHT, 0, 10}}) {
        SCOPED_TRACE(::testing::Message() << "code " << s.code << " to " << s.hOffset);
        OnTerminalHScroll(w.view, s.code, s.thumb);
        DisplayWindow::Pump();
        EXPECT_EQ(w.screen.hOffset, s.hOffset);
        EXPECT_EQ(GetScrollPos(w.hbar, SB_CTL), s.hOffset);
        const auto pic = w.Take();
        EXPECT_EQ(columnAt(pic, 1), s.hOffset % 16);
        EXPECT_EQ(columnAt(pic, cw + 1), (s.hOffset + 1) % 16);
        EXPECT_EQ(columnAt(pic, 79 * cw + 1), (s.hOffset + 79) % 16);
    }
}

TEST(DisplaySelection, MarkedSpanIsInvertedAndModeThreeTogglesIt) {
    DisplayWindow w(kTypeVt100Color, 80, 80);
    w.Put(3, 0, "          ", 0x70);
    uint8_t* marks = SelAt(w.screen, 3);
    marks[2] = marks[3] = marks[5] = 1;
    w.PaintAll();
    const std::set<Colour> white{MakeColour(255, 255, 255)}, black{0};
    for (int col = 1; col <= 6; ++col) EXPECT_EQ(w.CellColours(col, 3), col == 1 || col == 6 ? black : white) << col;
    PaintNow(w.view, 3);
    EXPECT_EQ(w.CellColours(3, 3), black);
}

TEST(DisplayScrolling, RowsMoveAndNothingAroundThemIsLeftWrong) {
    DisplayWindow w(kTypeVt100Color, 80, 80);
    // Marks in the toolbar band and in the spare row below the page.
    const RECT marked[] = {{0, 0, w.width, kTextTop}, {0, w.CellY(24), w.width - 16, w.height - 32}};
    HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
    for (const RECT& r : marked) FillRect(w.view.dc, &r, green);
    DeleteObject(green);
    w.Put(1, 0, " ", 0x71);
    w.screen.cursorRow = 23;
    LineFeed(w.screen);
    DisplayWindow::Pump();
    EXPECT_EQ(w.CellColours(0, 0), std::set<Colour>{kColourTable[1]});
    EXPECT_EQ(w.CellColours(0, 1), std::set<Colour>{0});
    EXPECT_EQ(w.Pixel(5, kTextTop - 1), MakeColour(0, 255, 0));
    EXPECT_EQ(w.Pixel(5, w.height - 33), MakeColour(0, 255, 0));
    // A line deletion at row 5 passes the rows from the cursor down: what
    // lands on row 4 is put right from the buffer by the next paint.
    for (int r = 3; r <= 6; ++r) w.Put(r, 0, " ", static_cast<uint8_t>(0x70 | r));
    w.view.display.ScrollPixels({0, w.CellY(5), w.width - 16, w.CellY(24)}, 0, -w.screen.cellHeight);
    DeleteLines(w.screen, 5, 1);
    w.view.display.RepaintRow(23);
    DisplayWindow::Pump();
    EXPECT_EQ(w.CellColours(0, 4), std::set<Colour>{kColourTable[4]});
    EXPECT_EQ(w.CellColours(0, 5), std::set<Colour>{kColourTable[6]});
    // Chat mode repaints nothing but the divider along the top of row 12.
    w.chat = 1;
    w.PaintAll();
    EXPECT_EQ(w.Pixel(100, w.CellY(12)), MakeColour(255, 0, 0));
    EXPECT_EQ(w.CellColours(0, 0), std::set<Colour>{kColourTable[1]});
}

}  // namespace
}  // namespace palvex
