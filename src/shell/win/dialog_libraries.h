// The dialog-control libraries: "bwcc32.dll" provides the classes the dialog
// templates name and is required; "CTL3D32.DLL" is used when present.
#pragma once

#include <windows.h>

namespace palvex {

inline constexpr const char* kBwccLibrary = "bwcc32.dll";
inline constexpr const char* kCtl3dLibrary = "CTL3D32.DLL";
inline constexpr const char* kNoBwccText = "NO BWCC32.DLL found";

// At main window creation, before any dialog opens. Registers the dialog
// classes with the instance of `mainWindow`. Without "bwcc32.dll" it tells the
// user and returns false; the window is then to destroy itself.
bool LoadDialogLibraries(HWND mainWindow);

// At main window destruction: frees both libraries, unregistering from
// CTL3D32 first when it was found. Safe to call when nothing was loaded.
void UnloadDialogLibraries();

// WM_SYSCOLORCHANGE: passed on to "Ctl3dColorChange" when available.
void DialogLibrariesColorChange();

}  // namespace palvex
