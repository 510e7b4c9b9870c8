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

// A file's text is written in a few dozen pieces, so each one simply grows the storage.
void TextBuffer::Append(const char* bytes, std::size_t size) {
    if (size == 0) {
        return;
    }
    char* grown = m_complete ? static_cast<char*>(std::realloc(m_bytes, m_size + size)) : nullptr;
    if (!grown) {
        m_complete = false;
        return;
    }
    std::memcpy(grown + m_size, bytes, size);
    m_bytes = grown;
    m_size += size;
}

} // namespace platform
