// The entry point of a program built on the framework: hands the process to AfxWinMain.
#include <windows.h>

#include <float.h>

#include "framework/win_app.h"

extern "C" int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nShowCmd) {
#if defined(__i386__)
    // Arithmetic left on the x87 unit works in double precision, not extended.
    _controlfp(_PC_53, _MCW_PC);
#endif
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nShowCmd);
}
