#pragma once

#include <cstddef>

namespace platform {

// The bytes of a text file composed in memory, line ends as a text-mode stream writes them on
// this system: each '\n' becomes CR LF on Windows. The storage is plain C heap memory; should it
// run out, the text is marked incomplete and takes no more.
class TextBuffer {
public:
    TextBuffer() = default;
    ~TextBuffer();
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;

    void Write(const char* text);
    // Appends bytes as they are, line ends untranslated.
    void Append(const char* bytes, std::size_t size);

    const char* Data() const { return m_bytes; }
    std::size_t Size() const { return m_size; }
    // False once a write was lost for want of memory.
    bool Complete() const { return m_complete; }

private:
    char* m_bytes = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
    bool m_complete = true;
};

} // namespace platform
