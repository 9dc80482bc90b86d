// The shell's fixed tables and geometry, kept free of Windows so that the
// window procedure only looks things up: the toolbar button sets, the menu items
// that exist only while connected, the status-line hints, the child-window
// layout, the tracking limits and the online clock.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "phonebook/service_entry.h"
#include "terminal/display_sink.h"

namespace palvex {

// Bands around the terminal text: toolbar strip above; horizontal scroll bar and
// status line below; vertical scroll bar at the right.
inline constexpr int kToolbarHeight = 54;
inline constexpr int kStatusHeight = 16;
inline constexpr int kBarThickness = 16;
inline constexpr int kBandsAroundText = 86;  // 54 above, 16 + 16 below

inline constexpr int kButtonWidth = 64;
inline constexpr int kButtonHeight = 50;

// Indicator texts in the toolbar strip and the status line.
inline constexpr int kStatusWordX = 528, kStatusWordY = 8;
inline constexpr int kClockX = 528, kClockY = 24;
inline constexpr int kIndicatorClearX = 512, kIndicatorClearY = 8;
inline constexpr int kHintX = 8, kHintWidth = 319;
inline constexpr int kSeparatorX = 320;
inline constexpr int kConnectionTextX = 330;

inline constexpr const char* kWordConnected = "Connected";
inline constexpr const char* kWordOffline = "Offline";
inline constexpr const char* kClockZero = "00:00:00";

struct ToolbarButton {
    int id;
    const char* bitmap;  // resource name
};

std::span<const ToolbarButton> OfflineButtons();
std::span<const ToolbarButton> OnlineButtons();
// The bitmap resources the toolbar loads once at creation, in load order.
std::span<const char* const> ToolbarBitmapNames();

// Items greyed while offline and enabled while online.
std::span<const int> OnlineOnlyCommands();
// Items greyed while online and enabled while offline (Execute, Modem Port,
// Phonebook).
std::span<const int> OfflineOnlyCommands();

// The system-menu commands the hints know (the SC_ values of Windows).
inline constexpr unsigned kScSize = 0xF000;
inline constexpr unsigned kScMove = 0xF010;
inline constexpr unsigned kScMinimize = 0xF020;
inline constexpr unsigned kScMaximize = 0xF030;
inline constexpr unsigned kScClose = 0xF060;
inline constexpr unsigned kScRestore = 0xF120;
inline constexpr unsigned kScTaskList = 0xF130;

// String id of the status-line hint for a menu, toolbar or system-menu command;
// 0 when there is none (the hint is then empty).
int HintStringId(unsigned command);

// Client-area rectangles of the children for a client area of w x h.
struct ShellLayout {
    PixelRect toolbar, vscroll, hscroll, sizeBox, status;
};
ShellLayout LayoutChildren(int w, int h);

// "hh:mm:ss" of the time since the connection; hours are not wrapped.
std::string FormatOnlineClock(uint32_t elapsedMs);

// "%s is connected to %s": short name and port summary.
std::string FormatConnectionText(const ServiceEntry& service);

}  // namespace palvex
