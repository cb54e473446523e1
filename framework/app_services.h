// What a window needs of the application, declared without the application
// class: windows sit below the application, which holds its main window as a CWnd.
#pragma once

#include <windows.h>

class CWnd;

// The application's name, the default caption of message boxes ("" with no application).
LPCSTR AfxGetAppName();
// Called when pWnd lets go of its window: if it was the application's main
// window, the application no longer has one.
void AfxForgetMainWnd(const CWnd* pWnd);
