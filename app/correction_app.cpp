#include "app/correction_app.h"

#include "ui/correction_dlg.h"

// clang-format off
BEGIN_MESSAGE_MAP(CCorrectionApp, CWinApp)
    ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()
// clang-format on

// The one application object of the process.
CCorrectionApp theApp;

BOOL CCorrectionApp::InitInstance() {
    AfxEnableControlContainer();
    Enable3dControls();

    CCorrectionDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    // The dialog has closed: end the application rather than start a message loop.
    return FALSE;
}
