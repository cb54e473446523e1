// A menu handle with the operations the dialogs use.
#pragma once

#include <windows.h>

// A menu the CMenu does not own (menus such as the system menu belong to their window).
class CMenu {
public:
    explicit CMenu(HMENU hMenu) : m_hMenu(hMenu) {}
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    // The CMenu of hMenu, which lives until the process ends; null for a null handle.
    static CMenu* FromHandle(HMENU hMenu);

    // Appends an item: a separator (MF_SEPARATOR) or a text with a command id (MF_STRING).
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCSTR lpszNewItem = nullptr);

    HMENU m_hMenu;
};
