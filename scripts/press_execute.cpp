// Presses "Execute Calculation" on a Kestrane dialog already showing on the Wine
// desktop named on the command line (or on this one), for scripts/screenshot.sh:
// the window is shown with its results filled in.
//   press_execute [DESKTOP]
#include <windows.h>

#include <cstdio>

namespace {

BOOL CALLBACK press_if_kestrane(HWND hwnd, LPARAM pressed) {
    wchar_t name[16] = {};
    GetClassNameW(hwnd, name, 16);
    if (lstrcmpW(name, L"#32770") != 0 || !IsWindowVisible(hwnd) || !GetDlgItem(hwnd, 1005))
        return TRUE;
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(GetDlgItem(hwnd, 3), BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &ignored);
    *reinterpret_cast<bool*>(pressed) = true;
    return FALSE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    HDESK desktop = argc > 1 ? OpenDesktopW(argv[1], 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE) : nullptr;
    bool pressed = false;
    for (int attempt = 0; attempt < 100 && !pressed; ++attempt) {
        if (desktop) {
            EnumDesktopWindows(desktop, press_if_kestrane, reinterpret_cast<LPARAM>(&pressed));
        } else {
            EnumWindows(press_if_kestrane, reinterpret_cast<LPARAM>(&pressed));
        }
        if (!pressed)
            Sleep(100);
    }
    if (desktop)
        CloseDesktop(desktop);
    if (!pressed)
        std::fprintf(stderr, "no Kestrane dialog found\n");
    return pressed ? 0 : 1;
}
