#include "platform/framework/CMenu.h"

#include <cstddef>

// Wrappers are kept in a small ring, as the framework keeps temporary objects: one stays valid
// until eight other menus have been wrapped after it.
CMenu* CMenu::FromHandle(HMENU menu) {
    if (!menu) {
        return nullptr;
    }
    static CMenu wrappers[8];
    static std::size_t next = 0;
    for (CMenu& wrapper : wrappers) {
        if (wrapper.m_hMenu == menu) {
            return &wrapper;
        }
    }
    CMenu& wrapper = wrappers[next];
    next = (next + 1) % (sizeof wrappers / sizeof wrappers[0]);
    wrapper.m_hMenu = menu;
    return &wrapper;
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, LPCSTR item) {
    return ::AppendMenuA(m_hMenu, flags, id, item);
}
