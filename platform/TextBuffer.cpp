#include "platform/TextBuffer.h"

#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

#ifdef _WIN32
constexpr char kLineEnd[] = "\r\n";
#else
constexpr char kLineEnd[] = "\n";
#endif

} // namespace

TextBuffer::~TextBuffer() {
    std::free(m_bytes);
}

void TextBuffer::Write(const char* text) {
    while (*text) {
        const char* end = std::strchr(text, '\n');
        const std::size_t length = end ? static_cast<std::size_t>(end - text) : std::strlen(text);
        Append(text, length);
        if (end) {
            Append(kLineEnd, sizeof kLineEnd - 1);
        }
        text += end ? length + 1 : length;
    }
}

// The storage at least doubles as it grows, so text appended a character at a time costs no more
// than text appended whole.
void TextBuffer::Append(const char* bytes, std::size_t size) {
    if (size == 0 || !m_complete) {
        return;
    }
    if (size > m_capacity - m_size) {
        const std::size_t capacity = m_size + (size > m_capacity ? size : m_capacity);
        char* const grown = static_cast<char*>(std::realloc(m_bytes, capacity));
        if (!grown) {
            m_complete = false;
            return;
        }
        m_bytes = grown;
        m_capacity = capacity;
    }
    std::memcpy(m_bytes + m_size, bytes, size);
    m_size += size;
}

} // namespace platform
