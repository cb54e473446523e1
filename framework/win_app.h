// The application object and the framework's start-up routine.
#pragma once

#include <windows.h>

#include <string>

#include "framework/app_services.h"
#include "framework/cmd_target.h"

class CWnd;

// The one application object of the process. The program derives from it,
// defines one global instance and overrides InitInstance; AfxWinMain runs it.
class CWinApp : public CCmdTarget {
public:
    // With no name, the application is named after its executable's base name.
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    ~CWinApp() override;

    HINSTANCE m_hInstance = nullptr;
    LPSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWDEFAULT;
    // The application's main window, while it exists.
    CWnd* m_pMainWnd = nullptr;

    // The application's name: the one given at construction, else the executable's base name.
    LPCSTR GetAppName() const { return m_appName.c_str(); }

    // Starts the application; FALSE ends it without a message loop.
    virtual BOOL InitInstance() { return TRUE; }
    // Called when the application ends; returns the process's exit code.
    virtual int ExitInstance() { return m_exitCode; }
    // The message loop, until WM_QUIT; returns the exit code it carries.
    virtual int Run();

    // Opens the application's help (ID_HELP): the contents of its help file.
    void OnHelp();
    // Opens the help file at nCmd/dwData, owned by the main window.
    virtual void WinHelp(DWORD_PTR dwData, UINT nCmd = HELP_CONTEXT);

    // Records the module, command line and show command, and names the
    // application after its executable unless it was given a name.
    void InitModule(HINSTANCE hInstance, LPSTR lpCmdLine, int nCmdShow);

protected:
    // Gives dialogs and controls the platform's current (three-dimensional,
    // themed) look by registering the common control classes; TRUE on success.
    BOOL Enable3dControls();

    DECLARE_MESSAGE_MAP()

private:
    std::string m_appName;
    // The help file: the executable's path with the extension ".HLP".
    std::string m_helpFilePath;
    int m_exitCode = 0;
};

// The application object, or null before it is constructed.
CWinApp* AfxGetApp();
// The application's main window, or null.
CWnd* AfxGetMainWnd();
// Prepares the application object for the module hInstance; FALSE when there is none.
BOOL AfxWinInit(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
// The framework's main routine: initialises the application, calls InitInstance,
// and runs the message loop when InitInstance asks for one. Returns the exit code.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
// Lets dialogs host ActiveX controls. This layer hosts none (no form of the
// program has one), so there is nothing to enable.
void AfxEnableControlContainer();
