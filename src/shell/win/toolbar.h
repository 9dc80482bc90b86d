// The toolbar strip with its picture buttons and indicators, the status line
// with the hints and the connection text, and the online/offline change that
// greys the menu and swaps the buttons.
#pragma once

#include <windows.h>

namespace palvex {

struct App;

// Creates the strip and the status line (subclassed later, once the bitmaps and
// the brush exist) and the offline button set.
void CreateToolbarWindows(App& app);
// Loads the button bitmaps and the grey brush, and subclasses both windows.
void PrepareToolbarPainting(App& app);
// Gives both windows their procedures back and frees buttons, bitmaps, brush.
void DestroyToolbar(App& app);
// Replaces the button set by the online or the offline one.
void ShowButtonSet(App& app, bool online);

// WM_DRAWITEM of a toolbar button.
void DrawToolbarButton(App& app, const DRAWITEMSTRUCT& item);
// The hint of a command in the status line (empty for an unknown id).
void ShowHint(App& app, unsigned command);
void ClearHint(App& app);

// The online clock at (528, 24) of the strip; `text` is "hh:mm:ss".
void DrawClock(App& app, const char* text);
// Timer 5: the time since ConnectStart, nothing while it is below a second.
void TickOnlineClock(App& app);
// StatusWord at (528, 8), after clearing the indicator area.
void RedrawIndicators(App& app);
// The connection text changed: repaint the status line.
void RedrawStatusLine(App& app);

// The online/offline change of the menu, the buttons and the indicators.
void SetOnlineState(App& app, bool online);

}  // namespace palvex
