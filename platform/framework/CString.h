#pragma once

#include <cstddef>

// windows.h's LoadString macro would rename the member below (afxwin.h: the other order).
#ifdef LoadString
#undef LoadString
#endif

// The framework's growable 8-bit text, as far as the launcher uses it. Text is handled byte by
// byte and always readable as NUL-terminated text; no encoding is ever converted. The storage is
// plain C heap memory, so the program carries no C++ library containers. Should memory run out,
// the text becomes empty rather than half-assigned.
class CString {
public:
    CString() = default;
    CString(const char* text) { Assign(text); }
    CString(const CString& other) { Assign(other); }
    CString(CString&& other) noexcept;
    ~CString();
    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;
    CString& operator=(const char* text);

    bool IsEmpty() const { return !m_text || m_text[0] == '\0'; }
    operator const char*() const { return m_text ? m_text : ""; }

#ifdef _WIN32
    // Loads a string resource of the running program; false (and empty) when there is none.
    bool LoadString(unsigned int id);
#endif

    friend bool operator==(const CString& a, const CString& b);
    friend bool operator==(const CString& a, const char* b);

private:
    void Assign(const char* text);
    void Assign(const char* text, std::size_t length);

    char* m_text = nullptr; // null for the empty text
};
