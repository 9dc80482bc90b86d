#include "shell/win/splash.h"

namespace palvex {

namespace {

constexpr const char* kSplashClass = "PALVEX32SPLASH";

void Blit(HDC target, HBITMAP picture, int width, int height) {
    HDC source = CreateCompatibleDC(target);
    HGDIOBJ old = SelectObject(source, picture);
    BitBlt(target, 0, 0, width, height, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

}  // namespace

void ShowSplash(HINSTANCE instance, DWORD ms) {
    HBITMAP picture = LoadBitmapA(instance, "Test");
    if (!picture) return;
    BITMAP bm{};
    GetObjectA(picture, sizeof bm, &bm);
    const int x = (GetSystemMetrics(SM_CXSCREEN) - bm.bmWidth) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - bm.bmHeight) / 2;

    // What lies under the picture, to be put back afterwards.
    HDC screen = GetDC(nullptr);
    HDC saved = CreateCompatibleDC(screen);
    HBITMAP under = CreateCompatibleBitmap(screen, bm.bmWidth, bm.bmHeight);
    HGDIOBJ oldSaved = SelectObject(saved, under);
    BitBlt(saved, 0, 0, bm.bmWidth, bm.bmHeight, screen, x, y, SRCCOPY);

    // The picture goes into a borderless topmost window of its size: drawing
    // on the screen itself is not shown by every window system (Wine's X11
    // driver keeps the desktop's pixels to itself).
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.lpszClassName = kSplashClass;
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kSplashClass, "", WS_POPUP, x, y, bm.bmWidth,
                                  bm.bmHeight, nullptr, nullptr, instance, nullptr);
    if (window) {
        ShowWindow(window, SW_SHOWNOACTIVATE);
        HDC dc = GetDC(window);
        Blit(dc, picture, bm.bmWidth, bm.bmHeight);
        ReleaseDC(window, dc);
    } else {
        Blit(screen, picture, bm.bmWidth, bm.bmHeight);
    }
    GdiFlush();

    // A busy wait: there is no window yet whose messages could be served.
    // Peeking without removing lets the window system put the picture out.
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < ms) PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);

    if (window) DestroyWindow(window);
    UnregisterClassA(kSplashClass, instance);
    BitBlt(screen, x, y, bm.bmWidth, bm.bmHeight, saved, 0, 0, SRCCOPY);
    SelectObject(saved, oldSaved);
    DeleteObject(under);
    DeleteDC(saved);
    ReleaseDC(nullptr, screen);
    DeleteObject(picture);
}

}  // namespace palvex
