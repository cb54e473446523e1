// Where the framework finds resources: the module the program was started from,
// which holds all of the application's resources.
#pragma once

#include <windows.h>

// The module the program was started from (the executable by default).
HINSTANCE AfxGetInstanceHandle();
// Records the module the program was started from.
void AfxSetInstanceHandle(HINSTANCE hInstance);
// The module that holds resource lpszName of type lpszType. The program keeps
// every resource in its own module, so that is the instance module.
HINSTANCE AfxFindResourceHandle(LPCSTR lpszName, LPCSTR lpszType);
