// bwcc32.dll: the dialog classes the dialog templates name. BWCCRegister
// registers them as global classes, so that any module's dialogs find them;
// "bordlg_gray" and the two buttons are superclasses of the system classes,
// BorShade is a frame-drawing static of its own.
#include <windows.h>

#include "bwcc_styles.h"

namespace {

constexpr COLORREF kGray = RGB(192, 192, 192);

HINSTANCE g_module = nullptr;
HBRUSH g_grayBrush = nullptr;
WNDPROC g_dialogProc = nullptr;
WNDPROC g_buttonProc = nullptr;

constexpr const char* kDialogClass = "bordlg_gray";
constexpr const char* kShadeClass = "BorShade";
constexpr const char* kCheckClass = "BorCheck";
constexpr const char* kRadioClass = "BorRadio";

LRESULT CALLBACK GrayDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        // A dialog procedure that picks its own colours wins; asking it here
        // rather than through the system dialog procedure keeps the system's
        // white default from coming back when it declines.
        if (auto user = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, DWLP_DLGPROC))) {
            if (LRESULT brush = CallWindowProcA(user, window, message, wParam, lParam)) return brush;
        }
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkColor(dc, kGray);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(g_grayBrush);
    }
    default:
        return CallWindowProcA(g_dialogProc, window, message, wParam, lParam);
    }
}

LRESULT CALLBACK BorButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcA(g_buttonProc, window, message, wParam, lParam);
}

// The lines of a shade: recessed shapes are sunken edges, bumps raised ones.
void DrawShape(HDC dc, RECT box, LONG style) {
    const UINT sunken = BDR_SUNKENOUTER | BDR_RAISEDINNER;
    const UINT raised = BDR_RAISEDOUTER | BDR_SUNKENINNER;
    switch (style & 0xFF) {
    case BSS_GROUP:
        DrawEdge(dc, &box, sunken, BF_RECT);
        break;
    case BSS_RGROUP:
        DrawEdge(dc, &box, raised, BF_RECT);
        break;
    case BSS_HDIP:
    case BSS_HBUMP: {
        RECT line = box;
        line.top = (box.top + box.bottom) / 2 - 1;
        line.bottom = line.top + 2;
        DrawEdge(dc, &line, (style & 0xFF) == BSS_HDIP ? BDR_SUNKENOUTER : BDR_RAISEDINNER,
                 BF_TOP | BF_BOTTOM);
        break;
    }
    case BSS_VDIP:
    case BSS_VBUMP: {
        RECT line = box;
        line.left = (box.left + box.right) / 2 - 1;
        line.right = line.left + 2;
        DrawEdge(dc, &line, (style & 0xFF) == BSS_VDIP ? BDR_SUNKENOUTER : BDR_RAISEDINNER,
                 BF_LEFT | BF_RIGHT);
        break;
    }
    default:
        break;
    }
}

void PaintShade(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT box;
    GetClientRect(window, &box);
    const LONG style = GetWindowLongA(window, GWL_STYLE);

    char text[256] = {};
    const int length = (style & BSS_CAPTION) ? GetWindowTextA(window, text, sizeof text) : 0;
    HFONT font = reinterpret_cast<HFONT>(GetWindowLongPtrA(window, 0));
    HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
    SIZE extent{};
    if (length > 0) {
        GetTextExtentPoint32A(dc, text, length, &extent);
        // The frame runs through the middle of the caption.
        box.top += extent.cy / 2;
    }
    DrawShape(dc, box, style);

    if (length > 0) {
        HWND parent = GetParent(window);
        auto brush = reinterpret_cast<HBRUSH>(SendMessageA(parent, WM_CTLCOLORSTATIC,
                                                           reinterpret_cast<WPARAM>(dc),
                                                           reinterpret_cast<LPARAM>(window)));
        const int indent = extent.cy / 2 + 2;
        RECT client;
        GetClientRect(window, &client);
        int x = client.left + indent;
        if (style & BSS_CENTER)
            x = (client.left + client.right - extent.cx) / 2;
        else if (style & BSS_RIGHT)
            x = client.right - indent - extent.cx;
        RECT label{x - 2, client.top, x + extent.cx + 2, client.top + extent.cy};
        FillRect(dc, &label, brush ? brush : g_grayBrush);
        SetBkMode(dc, TRANSPARENT);
        if (!IsWindowEnabled(window)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        TextOutA(dc, x, client.top, text, length);
    }
    if (oldFont) SelectObject(dc, oldFont);
    EndPaint(window, &ps);
}

LRESULT CALLBACK BorShadeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCHITTEST:
        // Group frames lie over the controls they surround and must not
        // take their clicks.
        return HTTRANSPARENT;
    case WM_ERASEBKGND:
        // Only the lines are drawn; whatever lies inside stays visible.
        return 1;
    case WM_PAINT:
        PaintShade(window);
        return 0;
    case WM_SETFONT:
        SetWindowLongPtrA(window, 0, static_cast<LONG_PTR>(wParam));
        if (LOWORD(lParam)) InvalidateRect(window, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return GetWindowLongPtrA(window, 0);
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case WM_SETTEXT:
    case WM_ENABLE: {
        LRESULT result = DefWindowProcA(window, message, wParam, lParam);
        InvalidateRect(window, nullptr, TRUE);
        return result;
    }
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool Register(WNDCLASSA wc, const char* name, WNDPROC proc) {
    wc.lpszClassName = name;
    wc.lpfnWndProc = proc;
    wc.hInstance = g_module;
    wc.style |= CS_GLOBALCLASS;
    return RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool Superclass(const char* base, const char* name, WNDPROC proc, WNDPROC& original) {
    WNDCLASSA wc{};
    if (!GetClassInfoA(nullptr, base, &wc)) return false;
    original = wc.lpfnWndProc;
    wc.lpszMenuName = nullptr;
    return Register(wc, name, proc);
}

void UnregisterAll() {
    const char* const names[] = {kDialogClass, kShadeClass, kCheckClass, kRadioClass};
    for (const char* name : names) UnregisterClassA(name, g_module);
}

}  // namespace

extern "C" __declspec(dllexport) BOOL WINAPI BWCCRegister(HINSTANCE) {
    if (!g_grayBrush) g_grayBrush = CreateSolidBrush(kGray);
    bool ok = Superclass(MAKEINTRESOURCEA(32770), kDialogClass, GrayDialogProc, g_dialogProc);
    WNDPROC buttonProc = nullptr;
    ok = Superclass("Button", kCheckClass, BorButtonProc, buttonProc) && ok;
    ok = Superclass("Button", kRadioClass, BorButtonProc, buttonProc) && ok;
    g_buttonProc = buttonProc;

    WNDCLASSA shade{};
    shade.style = CS_HREDRAW | CS_VREDRAW;
    shade.cbWndExtra = sizeof(LONG_PTR);  // the font
    shade.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    ok = Register(shade, kShadeClass, BorShadeProc) && ok;
    return ok ? TRUE : FALSE;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = module;
        DisableThreadLibraryCalls(module);
    } else if (reason == DLL_PROCESS_DETACH && !reserved) {
        // Unloaded by FreeLibrary: classes left behind would point into
        // unmapped code. At process exit there is nothing left to protect.
        UnregisterAll();
        if (g_grayBrush) DeleteObject(g_grayBrush);
        g_grayBrush = nullptr;
    }
    return TRUE;
}
