// The smallest dialog program worth comparing Kestrane.exe's start against: one
// modal dialog from a template, one field that initialisation fills, built with
// the same toolchain and flags. The startup benchmark waits for the same text.
#include <windows.h>

namespace {

INT_PTR CALLBACK dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: SetDlgItemTextW(dialog, 1005, L"20.95"); return TRUE;
        case WM_COMMAND:
            if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
                EndDialog(dialog, LOWORD(wparam));
                return TRUE;
            }
            break;
        default: break;
    }
    return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return static_cast<int>(DialogBoxParamW(instance, MAKEINTRESOURCEW(102), nullptr, dialog_proc, 0));
}
