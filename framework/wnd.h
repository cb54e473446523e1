// A window: its handle, the common operations on it, and the dispatch of its
// messages through the message map, with the platform's default processing for
// anything the map does not handle.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "framework/cmd_target.h"

class CMenu;
class CString;

// A window handle with the operations the dialogs use. A CWnd does not own the
// window it is attached to: the dialog manager creates and destroys windows.
class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    ~CWnd() override;

    HWND m_hWnd = nullptr;

    // The handle, or null while the CWnd is attached to no window.
    HWND GetSafeHwnd() const { return m_hWnd; }
    // Attaches the CWnd to an existing window, without taking it over.
    void Attach(HWND hWnd) { m_hWnd = hWnd; }
    // Detaches the CWnd from its window and returns the handle.
    HWND Detach();

    // The child control nID, as a CWnd that lives as long as this window; null when there is none.
    CWnd* GetDlgItem(int nID) const;
    // The whole text of the window, however long.
    void GetWindowText(CString& rString) const;
    // Replaces the window's text.
    void SetWindowText(LPCSTR lpszString);
    // Sends a message to the window and returns its result.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    // A message box owned by this window; with no caption, the application's name is the caption.
    int MessageBox(LPCSTR lpszText, LPCSTR lpszCaption = nullptr, UINT nType = MB_OK);
    // The window's system menu (bRevert TRUE resets it to the default copy); null when it has none.
    CMenu* GetSystemMenu(BOOL bRevert) const;
    // Sets the big (TRUE) or small (FALSE) icon and returns the previous one.
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    // Whether the window is minimised.
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    // The client area, in client coordinates.
    void GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
    // The window's style bits.
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_STYLE)); }

    // Centres the window over its owner when that is visible, else on the work
    // area of its monitor, keeping it inside the work area.
    void CenterWindow();
    // Whether the framework may centre the window when it is first shown.
    virtual BOOL CheckAutoCenter() { return TRUE; }

protected:
    // Handles one message: the message map first, then the default processing.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The platform's default processing of a message: the window's own procedure
    // from before it was subclassed, or DefWindowProc.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Routes WM_COMMAND to the command handlers; TRUE when one took it.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // Looks message up in the map; true (and *pResult) when a handler took it.
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // The default processing of the message being handled, for a handler that wants it.
    LRESULT Default();

    // Handlers that only ask for the default processing, for derived classes to hide and call.
    void OnPaint() { Default(); }
    void OnSysCommand(UINT, LPARAM) { Default(); }
    HCURSOR OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }

    // Makes this object the handler of hWnd's messages from now on; hWnd must be a
    // dialog, whose DWLP_USER slot holds the object.
    void SubclassDialog(HWND hWnd);

private:
    // The window procedure of a subclassed window: finds the object and lets it handle the message.
    static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Lets go of the window, when it is destroyed or the object goes first: hands it back
    // its own procedure and no longer counts it as the application's main window.
    void Release();

    // The message being handled, for Default(); saved and restored around nested messages.
    struct CurrentMessage {
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    };
    CurrentMessage m_current;
    WNDPROC m_pfnSuper = nullptr;
    // The child wrappers handed out by GetDlgItem, kept until the window goes.
    mutable std::vector<std::unique_ptr<CWnd>> m_items;
};
