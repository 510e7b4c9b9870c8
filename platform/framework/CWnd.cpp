#include "platform/framework/CWnd.h"

#include "platform/framework/CDataExchange.h"
#include "platform/framework/CMenu.h"
#include "platform/framework/CWinApp.h"

namespace {
// The window whose exchange is running, on the program's one user-interface thread.
HWND g_exchangingWindow = nullptr;
} // namespace

// While the exchange runs, its own text changes and focus moves (its message box, the bad box
// taking the focus) make the controls notify the window: those notifications are ignored, so no
// handler runs inside an exchange.
BOOL CWnd::UpdateData(ExchangeDirection direction) {
    const HWND outer = g_exchangingWindow;
    g_exchangingWindow = m_hWnd;
    CDataExchange exchange(this, direction);
    DoDataExchange(&exchange);
    g_exchangingWindow = outer;
    return !exchange.Failed();
}

int CWnd::MessageBox(LPCSTR text, LPCSTR caption, UINT type) {
    return ::MessageBoxA(m_hWnd, text, caption ? caption : AfxGetAppName(), type);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

HICON CWnd::SetIcon(HICON icon, BOOL bigIcon) {
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}

CMenu* CWnd::GetSystemMenu(BOOL revert) const {
    return CMenu::FromHandle(::GetSystemMenu(m_hWnd, revert));
}

LRESULT CWnd::Default() {
    return ::CallWindowProcA(m_superWindowProc, m_hWnd, m_currentMessage.message,
                             m_currentMessage.wParam, m_currentMessage.lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // Handlers may send messages to this window again: keep the outer message for Default.
    const Message outer = m_currentMessage;
    m_currentMessage = {message, wParam, lParam};
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, result)) {
        result = Default();
    }
    m_currentMessage = outer;
    return result;
}

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_COMMAND && lParam != 0 && m_hWnd == g_exchangingWindow) {
        result = 0;
        return true;
    }
    if (OnCmdMsg(message, wParam, lParam, result)) {
        return true;
    }
    // Commands that come from no control and that no window handles go to the application.
    CWinApp* app = AfxGetApp();
    if (message == WM_COMMAND && lParam == 0 && app) {
        return app->OnCmdMsg(message, wParam, lParam, result);
    }
    // F1 asks for the application's help.
    if (message == WM_HELP) {
        SendMessage(WM_COMMAND, ID_HELP);
        result = TRUE;
        return true;
    }
    return false;
}
