#pragma once

#include <windows.h>

class CWnd;

// A device context for painting a window, open from construction to destruction.
class CPaintDC {
public:
    explicit CPaintDC(CWnd* window);
    ~CPaintDC();
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HDC GetSafeHdc() const { return m_hDC; }

    PAINTSTRUCT m_ps;
    HDC m_hDC;

private:
    HWND m_hWnd;
};
