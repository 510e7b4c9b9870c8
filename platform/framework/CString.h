#pragma once

#include <cstddef>
#include <string>

// windows.h spells LoadString as a macro for LoadStringA, which would rename the member below.
#ifdef LoadString
#undef LoadString
#endif

// The framework's growable 8-bit text, as far as the launcher uses it. Text is handled byte by
// byte and always readable as NUL-terminated text; no encoding is ever converted.
class CString {
public:
    CString() = default;
    CString(const char* text) : m_text(text ? text : "") {}

    CString& operator=(const char* text);

    bool IsEmpty() const { return m_text.empty(); }
    int GetLength() const { return static_cast<int>(m_text.size()); }
    void Empty() { m_text.clear(); }
    operator const char*() const { return m_text.c_str(); }

#ifdef _WIN32
    // Loads a string resource of the running program; false (and empty) when there is none.
    bool LoadString(unsigned int id);
#endif

    friend bool operator==(const CString& a, const CString& b) {
        return a.m_text == b.m_text;
    }
    friend bool operator==(const CString& a, const char* b) {
        return a.m_text == b;
    }
    friend bool operator!=(const CString& a, const CString& b) {
        return !(a == b);
    }

private:
    std::string m_text;
};
