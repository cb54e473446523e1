// A modal dialog box run from a dialog template.
#pragma once

#include <windows.h>

#include "framework/wnd.h"

// A dialog that runs modally from a template resource and returns the code it
// was ended with. IDOK and IDCANCEL end it.
class CDialog : public CWnd {
public:
    // A dialog on template nIDTemplate, owned by pParentWnd; with no parent, the
    // application's running main window owns it.
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    // Runs the dialog modally; returns the code given to EndDialog, or -1 when the
    // dialog could not be created.
    virtual INT_PTR DoModal();
    // Ends the modal run with nResult.
    void EndDialog(int nResult);

    // Called once the controls exist, before the dialog is shown; TRUE puts the
    // focus on the first tab stop.
    virtual BOOL OnInitDialog();
    // A dialog whose template places it itself (DS_CENTER, DS_CENTERMOUSE,
    // DS_ABSALIGN) is not centred by the framework.
    BOOL CheckAutoCenter() override;

protected:
    // Called on IDOK ("OK", Enter on the default button): ends the run with IDOK.
    virtual void OnOK();
    // Called on IDCANCEL (Esc, close box, system menu Close): ends the run with IDCANCEL.
    virtual void OnCancel();
    // The dialog's own map first; then application-wide commands go to the application.
    bool OnCmdMsg(UINT nID, UINT nCode) override;

    DECLARE_MESSAGE_MAP()

private:
    // The owner a dialog with no parent gets: the application's main window, as
    // its last active pop-up, or null when there is none.
    static HWND GetSafeOwner();
    // The dialog procedure: hands the window to the object at WM_INITDIALOG; every
    // later message reaches the object through the subclassed window procedure.
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
};
