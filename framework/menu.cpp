#include "framework/menu.h"

#include <map>
#include <memory>

CMenu* CMenu::FromHandle(HMENU hMenu) {
    if (hMenu == nullptr)
        return nullptr;
    // One wrapper per handle; a program has only a few menus.
    static std::map<HMENU, std::unique_ptr<CMenu>> menus;
    auto& menu = menus[hMenu];
    if (!menu)
        menu = std::make_unique<CMenu>(hMenu);
    return menu.get();
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, LPCSTR lpszNewItem) {
    return ::AppendMenuA(m_hMenu, nFlags, nIDNewItem, lpszNewItem);
}
