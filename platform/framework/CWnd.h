#pragma once

#include <windows.h>

#include "platform/framework/CCmdTarget.h"

class CDataExchange;
class CMenu;

// Which way a data exchange copies values.
enum class ExchangeDirection {
    ToControls,   // members into the controls
    FromControls, // controls into the members, validating them
};

// A window whose messages go through its class's message map before default processing.
class CWnd : public CCmdTarget {
public:
    HWND m_hWnd = nullptr;

    // Exchanges every bound value; FALSE when the exchange stopped at a value it could not take.
    BOOL UpdateData(ExchangeDirection direction = ExchangeDirection::FromControls);

    int MessageBox(LPCSTR text, LPCSTR caption = nullptr, UINT type = MB_OK);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    void GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }
    HICON SetIcon(HICON icon, BOOL bigIcon);
    CMenu* GetSystemMenu(BOOL revert) const;

    // Default processing of the message being handled.
    LRESULT Default();

protected:
    virtual void DoDataExchange(CDataExchange*) {}

    // Routes one message: the message map first, then default processing.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // The window procedure that default processing calls.
    WNDPROC m_superWindowProc = nullptr;

private:
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    struct Message {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    Message m_currentMessage = {};
};
