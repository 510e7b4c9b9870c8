#include "platform/framework/CString.h"

CString& CString::operator=(const char* text) {
    m_text.assign(text ? text : "");
    return *this;
}
