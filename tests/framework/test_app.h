// The test programs' application object: records what the framework asks of it.
#pragma once

#include <functional>
#include <vector>

#include "framework/afxwin.h"

// One call of WinHelp.
struct HelpCall {
    DWORD_PTR data;
    UINT command;
};

// An application whose InitInstance the test decides, and whose help calls are recorded instead of opening help.
class CTestApp : public CWinApp {
public:
    CTestApp() = default;

    BOOL InitInstance() override { return initInstance ? initInstance(*this) : FALSE; }
    void WinHelp(DWORD_PTR dwData, UINT nCmd) override { helpCalls.push_back({dwData, nCmd}); }

    std::function<BOOL(CTestApp&)> initInstance;
    std::vector<HelpCall> helpCalls;

protected:
    DECLARE_MESSAGE_MAP()
};

// The one application object of the test program.
CTestApp& TestApp();
