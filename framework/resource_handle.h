// Where the framework finds resources: the module that holds the application's
// resources (the executable unless set otherwise).
#pragma once

#include <windows.h>

// The module the program was started from (the executable by default).
HINSTANCE AfxGetInstanceHandle();
// Records the module the program was started from.
void AfxSetInstanceHandle(HINSTANCE hInstance);
// The module searched first for resources (the instance module unless set).
HINSTANCE AfxGetResourceHandle();
// Makes hResource the module searched first for resources; null goes back to the instance module.
void AfxSetResourceHandle(HINSTANCE hResource);
// The module that holds resource lpszName of type lpszType: the resource module
// if it has it, else the instance module if it has it, else the resource module.
HINSTANCE AfxFindResourceHandle(LPCSTR lpszName, LPCSTR lpszType);
