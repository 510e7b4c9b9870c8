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
    for (const char* line = text; m_complete && *line;) {
        const char* end = std::strchr(line, '\n');
        const std::size_t length = end ? static_cast<std::size_t>(end - line) : std::strlen(line);
        const std::size_t lineEnd = end ? sizeof kLineEnd - 1 : 0;
        if (!Reserve(length + lineEnd)) {
            return;
        }
        std::memcpy(m_bytes + m_size, line, length);
        std::memcpy(m_bytes + m_size + length, kLineEnd, lineEnd);
        m_size += length + lineEnd;
        line += length + (end ? 1 : 0);
    }
}

bool TextBuffer::Reserve(std::size_t more) {
    if (m_capacity - m_size >= more) {
        return true;
    }
    const std::size_t wanted = m_size + more;
    std::size_t capacity = m_capacity < 1024 ? 1024 : m_capacity;
    while (capacity < wanted && capacity <= static_cast<std::size_t>(-1) / 2) {
        capacity *= 2;
    }
    char* grown = capacity >= wanted && wanted >= m_size
                      ? static_cast<char*>(std::realloc(m_bytes, capacity))
                      : nullptr;
    if (!grown) {
        m_complete = false;
        return false;
    }
    m_bytes = grown;
    m_capacity = capacity;
    return true;
}

} // namespace platform
