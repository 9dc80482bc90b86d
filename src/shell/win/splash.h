// The start-up picture.
#pragma once

#include <windows.h>

namespace palvex {

// Shows bitmap resource "Test" centred on the screen for `ms` milliseconds and
// puts back what was under it. Nothing happens when the bitmap is missing.
void ShowSplash(HINSTANCE instance, DWORD ms = 1000);

}  // namespace palvex
