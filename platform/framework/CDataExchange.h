#pragma once

#include <windows.h>

#include "platform/framework/CString.h"
#include "platform/framework/CWnd.h"

// One exchange of values between a dialog's members and its controls. The first value that cannot
// be taken stops it: the player is told, the control gets the focus, and later exchanges are
// skipped.
class CDataExchange {
public:
    CDataExchange(CWnd* dialog, ExchangeDirection direction)
        : m_pDlgWnd(dialog), m_direction(direction) {}

    bool Saving() const { return m_direction == ExchangeDirection::FromControls; }
    bool Failed() const { return m_failed; }

    // The control to exchange with; null once the exchange has stopped or when there is none.
    HWND PrepareCtrl(int id) const;

    // Stops the exchange at control: shows message, then focuses the control with its text
    // selected.
    void Fail(HWND control, LPCSTR message);

    CWnd* const m_pDlgWnd;

private:
    const ExchangeDirection m_direction;
    bool m_failed = false;
};

void DDX_Text(CDataExchange* exchange, int id, CString& value);
void DDX_Text(CDataExchange* exchange, int id, int& value);
void DDX_Check(CDataExchange* exchange, int id, int& value);
