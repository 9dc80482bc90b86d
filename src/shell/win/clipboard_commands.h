// The selection and the clipboard: Copy, Transmit, Select All and the mouse.
#pragma once

#include <windows.h>

namespace palvex {

struct App;

void CopySelection(App& app);         // 141
void TransmitClipboard(App& app);     // 142
void SelectAll(App& app);             // 112
// WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN.
void MouseSelection(App& app, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace palvex
