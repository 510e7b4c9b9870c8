#include "platform/framework/CWinApp.h"

#include <string>

#include "platform/framework/CWnd.h"

namespace {
CWinApp* g_application = nullptr;
} // namespace

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp(LPCSTR appName) : m_appName(appName ? appName : "") {
    g_application = this;
    if (appName) {
        m_pszAppName = m_appName.c_str();
    }
}

CWinApp::~CWinApp() {
    g_application = nullptr;
}

int CWinApp::Run() {
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

void CWinApp::OnHelp() {
    const std::string text = std::string("No help is available for ") + AfxGetAppName() + ".";
    const HWND owner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
    ::MessageBoxA(owner, text.c_str(), AfxGetAppName(), MB_OK | MB_ICONINFORMATION);
}

CWinApp* AfxGetApp() {
    return g_application;
}

LPCSTR AfxGetAppName() {
    return g_application && g_application->m_pszAppName ? g_application->m_pszAppName : "";
}

HINSTANCE AfxFindResourceHandle(LPCSTR, LPCSTR) {
    return ::GetModuleHandleA(nullptr);
}

int AfxWinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    CWinApp* app = AfxGetApp();
    if (!app) {
        return -1;
    }
    if (!app->m_pszAppName) {
        // "C:\Games\ZTLV LAUNCHER.EXE" gives "ZTLV LAUNCHER".
        char path[MAX_PATH];
        const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string name(path, length < MAX_PATH ? length : 0);
        name.erase(0, name.find_last_of("\\/") + 1);
        name.erase(name.find_last_of('.') == std::string::npos ? name.size()
                                                               : name.find_last_of('.'));
        app->m_appName = name;
        app->m_pszAppName = app->m_appName.c_str();
    }
    return app->InitInstance() ? app->Run() : 0;
}
