#include "shell/win/dialog_libraries.h"

namespace palvex {

namespace {

using RegisterProc = BOOL(WINAPI*)(HINSTANCE);
using ColorChangeProc = BOOL(WINAPI*)();

constexpr UINT kNoBwccStyle = MB_TASKMODAL | MB_ICONHAND;  // 0x2010

struct Libraries {
    HMODULE bwcc = nullptr;
    HMODULE ctl3d = nullptr;
    HINSTANCE instance = nullptr;
    RegisterProc ctl3dUnregister = nullptr;
    ColorChangeProc ctl3dColorChange = nullptr;
};

Libraries g_libraries;

template <typename Proc>
Proc Find(HMODULE module, const char* name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

bool LoadDialogLibraries(HWND mainWindow) {
    Libraries& lib = g_libraries;
    lib.bwcc = LoadLibraryA(kBwccLibrary);
    if (!lib.bwcc) {
        MessageBoxA(mainWindow, kNoBwccText, nullptr, kNoBwccStyle);
        return false;
    }
    lib.instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(mainWindow, GWLP_HINSTANCE));
    if (auto bwccRegister = Find<RegisterProc>(lib.bwcc, "BWCCRegister")) bwccRegister(lib.instance);

    lib.ctl3d = LoadLibraryA(kCtl3dLibrary);
    if (lib.ctl3d) {
        auto ctl3dRegister = Find<RegisterProc>(lib.ctl3d, "Ctl3dRegister");
        lib.ctl3dUnregister = Find<RegisterProc>(lib.ctl3d, "Ctl3dUnregister");
        lib.ctl3dColorChange = Find<ColorChangeProc>(lib.ctl3d, "Ctl3dColorChange");
        auto ctl3dAutoSubclass = Find<RegisterProc>(lib.ctl3d, "Ctl3dAutoSubclass");
        if (ctl3dRegister) ctl3dRegister(lib.instance);
        if (ctl3dAutoSubclass) ctl3dAutoSubclass(lib.instance);
    }
    return true;
}

void UnloadDialogLibraries() {
    Libraries& lib = g_libraries;
    if (lib.bwcc) FreeLibrary(lib.bwcc);
    if (lib.ctl3d) {
        if (lib.ctl3dUnregister) lib.ctl3dUnregister(lib.instance);
        FreeLibrary(lib.ctl3d);
    }
    lib = Libraries{};
}

void DialogLibrariesColorChange() {
    if (g_libraries.ctl3dColorChange) g_libraries.ctl3dColorChange();
}

}  // namespace palvex
