// Entry point of palvex32.exe. Kept apart from the shell library because a
// WinMain inside a static library is not reliably picked up by the linker.
#include <windows.h>

#include "shell/win/main_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showState) {
    // Later commands compare their arguments in upper case only.
    CharUpperA(commandLine);
    if (!previous && !palvex::RegisterMainWindowClass(instance)) return 0;
    if (!palvex::CreateMainWindow(instance, showState)) return 0;
    return palvex::RunMessageLoop();
}
