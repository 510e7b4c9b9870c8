#include "platform/framework/CWinApp.h"

#include <cstdio>
#include <cstring>

#include "platform/framework/CWnd.h"

namespace {
CWinApp* g_application = nullptr;
} // namespace

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp(LPCSTR appName) {
    g_application = this;
    if (appName) {
        std::snprintf(m_appName, sizeof m_appName, "%s", appName);
        m_pszAppName = m_appName;
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
    char text[MAX_PATH + 64];
    std::snprintf(text, sizeof text, "No help is available for %s.", AfxGetAppName());
    // Owned by the window the command came from, the About box included, so that it stays modal.
    HWND owner = ::GetActiveWindow();
    if (!owner && m_pMainWnd) {
        owner = m_pMainWnd->m_hWnd;
    }
    ::MessageBoxA(owner, text, AfxGetAppName(), MB_OK | MB_ICONINFORMATION);
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
        char path[MAX_PATH] = "";
        ::GetModuleFileNameA(nullptr, path, MAX_PATH);
        path[MAX_PATH - 1] = '\0';
        const char* name = path;
        for (const char* c = path; *c; ++c) {
            if (*c == '\\' || *c == '/') {
                name = c + 1;
            }
        }
        std::snprintf(app->m_appName, sizeof app->m_appName, "%s", name);
        if (char* extension = std::strrchr(app->m_appName, '.')) {
            *extension = '\0';
        }
        app->m_pszAppName = app->m_appName;
    }
    return app->InitInstance() ? app->Run() : 0;
}
