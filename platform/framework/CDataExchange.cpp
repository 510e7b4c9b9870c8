#include "platform/framework/CDataExchange.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/IntegerText.h"

HWND CDataExchange::PrepareCtrl(int id) const {
    return m_failed ? nullptr : ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
}

void CDataExchange::Fail(HWND control, LPCSTR message) {
    m_failed = true;
    m_pDlgWnd->MessageBox(message, nullptr, MB_OK | MB_ICONEXCLAMATION);
    ::SetFocus(control);
    ::SendMessageA(control, EM_SETSEL, 0, -1);
}

namespace {

CString ControlText(HWND control) {
    const int size = ::GetWindowTextLengthA(control) + 1;
    char* text = static_cast<char*>(std::malloc(static_cast<std::size_t>(size)));
    if (!text) {
        return CString();
    }
    text[0] = '\0';
    ::GetWindowTextA(control, text, size);
    CString result(text);
    std::free(text);
    return result;
}

// Gives a control new text only when it differs from what it shows: an equal text would still be
// redrawn and announced to the dialog twice, and Play and the width rule rewrite every box. A box
// whose whole text was selected has the whole new text selected, so that typing still replaces it
// (Tab selects a box's text, then moves the focus, which may run a rule that rewrites the box).
void SetControlText(HWND control, const char* text) {
    const CString shown = ControlText(control);
    if (std::strcmp(shown, text) == 0) {
        return;
    }
    DWORD start = 0;
    DWORD end = 0;
    ::SendMessageA(control, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
    const bool wholeSelected = start == 0 && end == std::strlen(shown);
    ::SetWindowTextA(control, text);
    if (wholeSelected) {
        ::SendMessageA(control, EM_SETSEL, 0, -1);
    }
}

} // namespace

void DDX_Text(CDataExchange* exchange, int id, CString& value) {
    const HWND control = exchange->PrepareCtrl(id);
    if (!control) {
        return;
    }
    if (exchange->Saving()) {
        value = ControlText(control);
    } else {
        SetControlText(control, value);
    }
}

void DDX_Text(CDataExchange* exchange, int id, int& value) {
    const HWND control = exchange->PrepareCtrl(id);
    if (!control) {
        return;
    }
    if (exchange->Saving()) {
        if (!platform::ParseIntegerStrict(ControlText(control), value)) {
            exchange->Fail(control, "Please enter a whole number.");
        }
    } else {
        char text[16];
        std::snprintf(text, sizeof text, "%d", value);
        SetControlText(control, text);
    }
}

void DDX_Check(CDataExchange* exchange, int id, int& value) {
    const HWND control = exchange->PrepareCtrl(id);
    if (!control) {
        return;
    }
    if (exchange->Saving()) {
        value = static_cast<int>(::SendMessageA(control, BM_GETCHECK, 0, 0));
    } else {
        ::SendMessageA(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
    }
}
