#ifdef _WIN32
#include <windows.h>
#endif

#include "platform/framework/CString.h"

#include <cstdlib>
#include <cstring>
#include <utility>

CString::CString(CString&& other) noexcept : m_text(std::exchange(other.m_text, nullptr)) {}

CString::~CString() {
    std::free(m_text);
}

CString& CString::operator=(const CString& other) {
    if (this != &other) {
        Assign(other);
    }
    return *this;
}

CString& CString::operator=(CString&& other) noexcept {
    if (this != &other) {
        std::free(m_text);
        m_text = std::exchange(other.m_text, nullptr);
    }
    return *this;
}

CString& CString::operator=(const char* text) {
    Assign(text);
    return *this;
}

void CString::Assign(const char* text) {
    Assign(text ? text : "", text ? std::strlen(text) : 0);
}

void CString::Assign(const char* text, std::size_t length) {
    // The text may lie inside the old storage, so it is copied before the old storage goes.
    char* copy = static_cast<char*>(std::malloc(length + 1));
    if (copy) {
        std::memcpy(copy, text, length);
        copy[length] = '\0';
    }
    std::free(m_text);
    m_text = copy;
}

bool operator==(const CString& a, const CString& b) {
    return std::strcmp(a, b) == 0;
}

bool operator==(const CString& a, const char* b) {
    return std::strcmp(a, b ? b : "") == 0;
}

#ifdef _WIN32
bool CString::LoadString(unsigned int id) {
    // A string resource holds at most 4097 characters, each at most two bytes in the ANSI page.
    char text[8200];
    const int length = ::LoadStringA(::GetModuleHandleA(nullptr), id, text, sizeof text);
    Assign(text, length > 0 ? static_cast<std::size_t>(length) : 0);
    return length > 0;
}
#endif
