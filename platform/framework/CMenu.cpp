#include "platform/framework/CMenu.h"

#include <deque>

CMenu* CMenu::FromHandle(HMENU menu) {
    if (!menu) {
        return nullptr;
    }
    static std::deque<CMenu> wrappers;
    for (CMenu& wrapper : wrappers) {
        if (wrapper.m_hMenu == menu) {
            return &wrapper;
        }
    }
    wrappers.push_back(CMenu{});
    wrappers.back().m_hMenu = menu;
    return &wrappers.back();
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, LPCSTR item) {
    return ::AppendMenuA(m_hMenu, flags, id, item);
}
