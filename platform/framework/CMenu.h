#pragma once

#include <windows.h>

// A menu owned by the window system, wrapped for the framework.
class CMenu {
public:
    HMENU m_hMenu = nullptr;

    // A wrapper for a menu handle, valid until eight other menus have been wrapped.
    static CMenu* FromHandle(HMENU menu);

    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, LPCSTR item = nullptr);
};
