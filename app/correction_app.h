// The application: runs the main dialog as the program's only window.
#pragma once

#include "framework/afxwin.h"

// Kestrane's application object; the framework starts it and the process ends
// when its main dialog closes.
class CCorrectionApp : public CWinApp {
public:
    CCorrectionApp() = default;

    // Runs the main dialog modally and returns FALSE, so no message loop follows.
    BOOL InitInstance() override;

protected:
    DECLARE_MESSAGE_MAP()
};
