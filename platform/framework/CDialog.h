#pragma once

#include <windows.h>

#include "platform/framework/CWnd.h"

// A modal dialog built from a dialog template in the program's resources.
class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);

    // Runs the dialog until it ends; its result, or -1 when it could not be created.
    virtual INT_PTR DoModal();

    void EndDialog(int result) { ::EndDialog(m_hWnd, result); }

protected:
    // Puts the members into the controls. TRUE lets the dialog manager focus the first control.
    virtual BOOL OnInitDialog();
    // Takes the controls into the members and, when that succeeds, ends the dialog with IDOK.
    virtual void OnOK();
    // Ends the dialog with IDCANCEL.
    virtual void OnCancel();

    DECLARE_MESSAGE_MAP()

private:
    void OnOKCommand() { OnOK(); }
    void OnCancelCommand() { OnCancel(); }
    HWND OwnerWindow() const;

    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    const UINT m_templateId;
    CWnd* const m_parent;
};
