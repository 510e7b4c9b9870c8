#ifdef _WIN32
#include <windows.h>
#endif

#include "platform/framework/CString.h"

CString& CString::operator=(const char* text) {
    m_text.assign(text ? text : "");
    return *this;
}

#ifdef _WIN32
bool CString::LoadString(unsigned int id) {
    // A string resource holds at most 4097 characters, each at most two bytes in the ANSI page.
    char text[8200];
    const int length = ::LoadStringA(::GetModuleHandleA(nullptr), id, text, sizeof text);
    m_text.assign(text, length > 0 ? static_cast<std::size_t>(length) : 0);
    return length > 0;
}
#endif
