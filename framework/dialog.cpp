#include "framework/dialog.h"

#include "framework/resource_handle.h"
#include "framework/win_app.h"

// clang-format off
BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()
// clang-format on

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

INT_PTR CDialog::DoModal() {
    HWND owner = m_pParentWnd != nullptr ? m_pParentWnd->GetSafeHwnd() : GetSafeOwner();
    LPCSTR name = MAKEINTRESOURCEA(m_nIDTemplate);
    return ::DialogBoxParamA(AfxFindResourceHandle(name, RT_DIALOG), name, owner, &DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(int nResult) {
    ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::OnInitDialog() {
    return TRUE;
}

BOOL CDialog::CheckAutoCenter() {
    return (GetStyle() & (DS_CENTER | DS_CENTERMOUSE | DS_ABSALIGN)) == 0 ? TRUE : FALSE;
}

void CDialog::OnOK() {
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

bool CDialog::OnCmdMsg(UINT nID, UINT nCode) {
    if (CWnd::OnCmdMsg(nID, nCode))
        return true;
    // Commands such as ID_HELP belong to the application when the dialog has no
    // handler; notifications and system command ids are not routed further.
    if (nCode != 0 || nID >= 0xF000)
        return false;
    CWinApp* app = AfxGetApp();
    return app != nullptr && app->OnCmdMsg(nID, nCode);
}

HWND CDialog::GetSafeOwner() {
    CWnd* main = AfxGetMainWnd();
    HWND owner = main != nullptr ? main->GetSafeHwnd() : nullptr;
    // A pop-up cannot be owned by a child window.
    while (owner != nullptr && (::GetWindowLongPtrA(owner, GWL_STYLE) & WS_CHILD) != 0)
        owner = ::GetParent(owner);
    return owner != nullptr ? ::GetLastActivePopup(owner) : nullptr;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam) {
    // WM_SETFONT comes before WM_INITDIALOG and is left to the dialog manager:
    // the object is only known from WM_INITDIALOG's parameter.
    if (message != WM_INITDIALOG)
        return FALSE;
    auto* dialog = reinterpret_cast<CDialog*>(lParam);
    dialog->SubclassDialog(hWnd);

    RECT before{};
    ::GetWindowRect(hWnd, &before);
    const BOOL focus = dialog->OnInitDialog();

    // Centre a dialog that initialisation neither showed nor moved, unless its
    // template asks the dialog manager to place it.
    RECT after{};
    ::GetWindowRect(hWnd, &after);
    const bool moved = before.left != after.left || before.top != after.top;
    if (!moved && (dialog->GetStyle() & (WS_VISIBLE | WS_CHILD)) == 0 && dialog->CheckAutoCenter()) {
        dialog->CenterWindow();
    }
    return focus;
}
