// Entry point of palvex32.exe. Kept apart from the shell library because a
// WinMain inside a static library is not reliably picked up by the linker.
#include <windows.h>

#include <memory>

#include "shell/win/app.h"
#include "shell/win/main_window.h"
#include "shell/win/splash.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showState) {
    // Later commands compare their arguments in upper case only.
    CharUpperA(commandLine);
    if (!previous && !palvex::RegisterMainWindowClass(instance)) return 0;
    palvex::ShowSplash(instance);
    auto app = std::make_unique<palvex::App>(instance);
    if (!palvex::CreateMainWindow(*app, showState)) return 0;
    return app->loop.Run();
}
