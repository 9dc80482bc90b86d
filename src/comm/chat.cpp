// Chat mode: the window is split at row 12; what the remote types appears in
// the lower half, drawn directly and never stored in the screen buffer.
#include "comm/pump.h"

namespace palvex {

namespace {

constexpr int kRemoteFirstRow = 14;
constexpr int kRemoteLastRow = 23;
constexpr int kScrollFromRow = 13;
constexpr uint8_t kChatAttr = 0x70;

void DrawAt(TerminalScreen& sc, int row, int col, uint8_t ch) {
    sc.display->DrawCell((col - sc.hOffset) * sc.cellWidth, kTextTop + row * sc.cellHeight, ch, kChatAttr);
}

void NextRemoteLine(TerminalScreen& sc, ChatState& chat) {
    chat.remoteCol = 0;
    if (chat.remoteRow < kRemoteLastRow) {
        ++chat.remoteRow;
        return;
    }
    const int right = sc.display->ClientWidth() - kScrollBarWidth;
    const int top = kTextTop + kScrollFromRow * sc.cellHeight;
    const int bottom = kTextTop + (kRemoteLastRow + 1) * sc.cellHeight;
    sc.display->ScrollPixels({0, top, right, bottom}, 0, -sc.cellHeight);
    sc.display->FillBackground({0, bottom - sc.cellHeight, right, bottom});
}

// The local half: the first nine rows, scrolled as one block.
constexpr int kLocalLines = 9;

int ChatRight(const TerminalScreen& sc) { return sc.display->ClientWidth() - kScrollBarWidth; }

// Whole cells across the window, never fewer than one or more than a line holds.
int ChatColumns(const TerminalScreen& sc) {
    const int cells = sc.cellWidth > 0 ? ChatRight(sc) / sc.cellWidth : 1;
    return cells < 1 ? 1 : (cells > kLineCells ? kLineCells : cells);
}

void NextLocalLine(TerminalScreen& sc, ChatState& chat) {
    chat.localCol = 0;
    if (chat.localRow < kLocalLines - 1) {
        ++chat.localRow;
        return;
    }
    const int right = ChatRight(sc);
    const int bottom = kTextTop + kLocalLines * sc.cellHeight;
    sc.display->ScrollPixels({0, kTextTop, right, bottom}, 0, -sc.cellHeight);
    sc.display->FillBackground({0, bottom - sc.cellHeight, right, bottom});
}

}  // namespace

void ChatEcho(Session& s, const uint8_t* bytes, int count) {
    TerminalScreen& sc = s.screen;
    ChatState& chat = s.pump.chat;
    if (chat.localRow < 0 || chat.localRow >= kLocalLines) chat.localRow = 0;
    const int columns = ChatColumns(sc);
    if (chat.localCol < 0 || chat.localCol > columns) chat.localCol = 0;
    for (int i = 0; i < count; ++i) {
        const uint8_t b = bytes[i];
        if (b == 0x0D) {
            NextLocalLine(sc, chat);
        } else if (b == 0x08 || b == 0x7F) {
            // Rubbing out stays on the line, as it does on the remote side.
            if (chat.localCol > 0) {
                --chat.localCol;
                DrawAt(sc, chat.localRow, chat.localCol, ' ');
            }
        } else if (b >= 0x20) {
            if (chat.localCol >= columns) NextLocalLine(sc, chat);
            DrawAt(sc, chat.localRow, chat.localCol, b);
            ++chat.localCol;
        }
    }
}

void ChatReceive(Session& s, const uint8_t* bytes, int count) {
    TerminalScreen& sc = s.screen;
    ChatState& chat = s.pump.chat;
    if (chat.remoteRow < kRemoteFirstRow - 1 || chat.remoteRow > kRemoteLastRow) chat.remoteRow = kRemoteFirstRow;
    const bool capture = s.CaptureOn();
    for (int i = 0; i < count; ++i) {
        uint8_t b = bytes[i];
        if (!s.port.EightBitData) b &= 0x7F;
        if (capture) s.capture->Byte(b);
        if (b == 0x0A || b == 0x0D) {
            NextRemoteLine(sc, chat);
        } else if (b == 0x08 || b == 0x7F) {
            if (chat.remoteCol > 0) {
                --chat.remoteCol;
                DrawAt(sc, chat.remoteRow, chat.remoteCol, ' ');
            }
        } else if (b == 0x07) {
            s.ui.MessageBeep(0);
        } else if (b >= 0x20) {
            // No wrap at the right edge: text past it is simply not seen.
            if (chat.remoteCol < kLineCells) DrawAt(sc, chat.remoteRow, chat.remoteCol, b);
            if (chat.remoteCol < 0x7FFF) ++chat.remoteCol;
        }
    }
}

}  // namespace palvex
