#include "platform/framework/CDialog.h"

#include "platform/framework/CWinApp.h"
#include "platform/framework/StartupClock.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, &CDialog::OnOKCommand)
ON_COMMAND(IDCANCEL, &CDialog::OnCancelCommand)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_parent(parent) {}

HWND CDialog::OwnerWindow() const {
    if (m_parent) {
        return m_parent->m_hWnd;
    }
    // Without a parent, a dialog belongs to the main window, unless it is the main window.
    const CWinApp* app = AfxGetApp();
    const CWnd* main = app ? app->m_pMainWnd : nullptr;
    return main && main != this ? main->m_hWnd : nullptr;
}

INT_PTR CDialog::DoModal() {
    const LPCSTR name = MAKEINTRESOURCEA(m_templateId);
    return ::DialogBoxParamA(AfxFindResourceHandle(name, RT_DIALOG), name, OwnerWindow(),
                             &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::OnInitDialog() {
    UpdateData(ExchangeDirection::ToControls);
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData(ExchangeDirection::FromControls)) {
        EndDialog(IDOK);
    }
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

namespace {

// Centres the dialog over its owner, or on the work area when it has none. Wine's work area here
// is the whole screen, so no test tells the two apart.
void CentreWindow(HWND window) {
    RECT area;
    const HWND owner = ::GetWindow(window, GW_OWNER);
    if (!owner || !::GetWindowRect(owner, &area) || ::IsIconic(owner)) {
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    }
    RECT own;
    ::GetWindowRect(window, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    ::SetWindowPos(window, nullptr, area.left + (area.right - area.left - width) / 2,
                   area.top + (area.bottom - area.top - height) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

// Only WM_INITDIALOG is handled here: it ties the window to its object and routes every later
// message through the object's message map, which falls back on the dialog manager's processing.
// The program is built without exceptions, so none can ever unwind through the window system.
INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG) {
        return FALSE;
    }
    CDialog* dialog = reinterpret_cast<CDialog*>(lParam);
    ::SetWindowLongPtrA(window, DWLP_USER, lParam);
    dialog->m_hWnd = window;
    dialog->m_superWindowProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
        window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CDialog::SubclassProc)));
    CentreWindow(window);
    return dialog->OnInitDialog();
}

LRESULT CALLBACK CDialog::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(window, DWLP_USER));
    const LRESULT result = dialog->WindowProc(message, wParam, lParam);
    if (message == WM_PAINT) {
        StartupClock::MarkPainted(window);
    }
    if (message == WM_NCDESTROY) {
        dialog->m_hWnd = nullptr;
    }
    return result;
}
