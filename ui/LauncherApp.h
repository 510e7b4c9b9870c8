#pragma once

#include "platform/framework/afxwin.h"

// The application: runs the launcher dialog once, modally, then lets the program end.
class CLauncherApp : public CWinApp {
public:
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};
