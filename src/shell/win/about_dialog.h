// The About dialog ("ABOUT", command 3001).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace palvex {

// "%d bytes total memory" for a total of `bytes`.
std::string TotalMemoryText(uint64_t bytes);

// Modal over `owner`; returns when the user closes it.
void ShowAboutDialog(HWND owner);

INT_PTR CALLBACK AboutDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace palvex
