#include "framework/wnd.h"

#include "framework/afx_string.h"
#include "framework/app_services.h"
#include "framework/menu.h"

CWnd::~CWnd() {
    Release();
}

HWND CWnd::Detach() {
    HWND hWnd = m_hWnd;
    m_hWnd = nullptr;
    m_pfnSuper = nullptr;
    m_items.clear();
    return hWnd;
}

CWnd* CWnd::GetDlgItem(int nID) const {
    HWND item = ::GetDlgItem(m_hWnd, nID);
    if (item == nullptr)
        return nullptr;
    for (const auto& wnd : m_items) {
        if (wnd->m_hWnd == item)
            return wnd.get();
    }
    m_items.push_back(std::make_unique<CWnd>());
    m_items.back()->Attach(item);
    return m_items.back().get();
}

void CWnd::GetWindowText(CString& rString) const {
    // The length is asked first so that a text of any length is read whole.
    const int length = ::GetWindowTextLengthA(m_hWnd);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(m_hWnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    rString = CString(text);
}

void CWnd::SetWindowText(LPCSTR lpszString) {
    ::SetWindowTextA(m_hWnd, lpszString);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

int CWnd::MessageBox(LPCSTR lpszText, LPCSTR lpszCaption, UINT nType) {
    if (lpszCaption == nullptr)
        lpszCaption = AfxGetAppName();
    return ::MessageBoxA(m_hWnd, lpszText, lpszCaption, nType);
}

CMenu* CWnd::GetSystemMenu(BOOL bRevert) const {
    return CMenu::FromHandle(::GetSystemMenu(m_hWnd, bRevert));
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

void CWnd::CenterWindow() {
    HWND center = ::GetWindow(m_hWnd, GW_OWNER);
    // A pop-up is centred over the top-level window that owns it, and only when
    // that can be seen; otherwise over the screen.
    while (center != nullptr && (::GetWindowLongPtrA(center, GWL_STYLE) & WS_CHILD) != 0)
        center = ::GetParent(center);
    if (center != nullptr && (!::IsWindowVisible(center) || ::IsIconic(center)))
        center = nullptr;

    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoA(::MonitorFromWindow(center != nullptr ? center : m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT area = monitor.rcWork;
    RECT target = area;
    if (center != nullptr)
        ::GetWindowRect(center, &target);

    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    int left = (target.left + target.right) / 2 - width / 2;
    int top = (target.top + target.bottom) / 2 - height / 2;
    if (left + width > area.right)
        left = area.right - width;
    if (left < area.left)
        left = area.left;
    if (top + height > area.bottom)
        top = area.bottom - height;
    if (top < area.top)
        top = area.top;
    ::SetWindowPos(m_hWnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper != nullptr)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    // Menus and accelerators (no control window) count as plain commands.
    const UINT code = lParam == 0 ? 0 : HIWORD(wParam);
    return OnCmdMsg(LOWORD(wParam), code) ? TRUE : FALSE;
}

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam))
            return false;
        *pResult = 0;
        return true;
    }
    const afx::MessageMapEntry* entry = FindEntry(message, 0, 0);
    if (entry == nullptr)
        return false;
    *pResult = entry->adapter(*this, wParam, lParam);
    return true;
}

LRESULT CWnd::Default() {
    return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam);
}

void CWnd::SubclassDialog(HWND hWnd) {
    // Subclassed rather than handled in the dialog procedure alone: that procedure can
    // only say whether it handled a message, so a handler could neither call the dialog
    // manager's own processing and use its result (Default) nor return a value of its own.
    m_hWnd = hWnd;
    ::SetWindowLongPtrA(hWnd, DWLP_USER, reinterpret_cast<LONG_PTR>(this));
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::SubclassProc)));
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* wnd = reinterpret_cast<CWnd*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
    if (wnd == nullptr)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    const CurrentMessage saved = wnd->m_current;
    wnd->m_current = {message, wParam, lParam};
    const LRESULT result = wnd->WindowProc(message, wParam, lParam);
    wnd->m_current = saved;
    // The last message of the window: the object lets it go.
    if (message == WM_NCDESTROY)
        wnd->Release();
    return result;
}

void CWnd::Release() {
    // A window that outlives its object must not keep calling into it.
    if (m_pfnSuper != nullptr && ::IsWindow(m_hWnd)) {
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        ::SetWindowLongPtrA(m_hWnd, DWLP_USER, 0);
    }
    Detach();
    AfxForgetMainWnd(this);
}
