#pragma once

#include "platform/framework/afxwin.h"

// The About box: a picture, the credits and an OK button. The framework does all the work.
class CAboutDialog : public CDialog {
public:
    CAboutDialog();

protected:
    void DoDataExchange(CDataExchange* exchange) override;

    DECLARE_MESSAGE_MAP()
};
