// What the screen buffer asks of the window it draws into. The GDI painter is
// one implementation; the null and recording sinks serve the tools and tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace palvex {

struct PixelRect {
    int left, top, right, bottom;
};

class DisplaySink {
public:
    virtual ~DisplaySink() = default;
    virtual int ClientWidth() const = 0;
    virtual int ClientHeight() const = 0;
    // One character cell at pixel (x, y) in the colours for `attr`.
    virtual void DrawCell(int x, int y, uint8_t ch, uint8_t attr) = 0;
    // Fill with the background brush.
    virtual void FillBackground(const PixelRect& rect) = 0;
    // Move the pixels of `area` by (dx, dy) (ScrollWindow); the uncovered band is
    // left for a repaint.
    virtual void ScrollPixels(const PixelRect& area, int dx, int dy) = 0;
    // Redraw one screen row from the buffer (paint mode 1 or 2), or all rows.
    virtual void RepaintRow(int row) = 0;
    virtual void RepaintAll() = 0;
    // Vertical scroll bar: range 0..max and position.
    virtual void SetVerticalRange(int max) = 0;
    virtual void SetVerticalPos(int pos) = 0;
    virtual void SetHorizontalRange(int max) = 0;
    virtual void SetHorizontalPos(int pos) = 0;
    virtual void HideCaret() = 0;
    virtual void ShowCaretAt(int x, int y) = 0;
};

// Draws nothing; reports a client area that holds the whole terminal.
class NullDisplay : public DisplaySink {
public:
    explicit NullDisplay(int width = 132 * 8 + 16, int height = 54 + 100 * 16 + 32)
        : width_(width), height_(height) {}
    int ClientWidth() const override { return width_; }
    int ClientHeight() const override { return height_; }
    void DrawCell(int, int, uint8_t, uint8_t) override {}
    void FillBackground(const PixelRect&) override {}
    void ScrollPixels(const PixelRect&, int, int) override {}
    void RepaintRow(int) override {}
    void RepaintAll() override {}
    void SetVerticalRange(int) override {}
    void SetVerticalPos(int) override {}
    void SetHorizontalRange(int) override {}
    void SetHorizontalPos(int) override {}
    void HideCaret() override {}
    void ShowCaretAt(int, int) override {}

private:
    int width_, height_;
};

// Keeps every call as a line of text ("cell 8 54 41 70", "scroll ...") and the
// last scroll-bar and caret state, for tests.
class RecordingDisplay : public DisplaySink {
public:
    explicit RecordingDisplay(int width = 132 * 8 + 16, int height = 54 + 100 * 16 + 32)
        : width_(width), height_(height) {}
    int ClientWidth() const override { return width_; }
    int ClientHeight() const override { return height_; }
    void DrawCell(int x, int y, uint8_t ch, uint8_t attr) override;
    void FillBackground(const PixelRect& r) override;
    void ScrollPixels(const PixelRect& r, int dx, int dy) override;
    void RepaintRow(int row) override;
    void RepaintAll() override;
    void SetVerticalRange(int max) override { vMax = max; }
    void SetVerticalPos(int pos) override { vPos = pos; }
    void SetHorizontalRange(int max) override { hMax = max; }
    void SetHorizontalPos(int pos) override { hPos = pos; }
    void HideCaret() override { caretShown = false; }
    void ShowCaretAt(int x, int y) override {
        caretShown = true;
        caretX = x;
        caretY = y;
    }

    std::vector<std::string> calls;
    int vMax = 0, vPos = 0, hMax = 0, hPos = 0;
    bool caretShown = false;
    int caretX = 0, caretY = 0;

private:
    int width_, height_;
};

}  // namespace palvex
