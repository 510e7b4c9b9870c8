#pragma once

#include <cstddef>
#include <cstdio>

#include "platform/TextBuffer.h"

// A text file in the forms editors save it in, read and written as text in the system's ANSI code
// page (natively UTF-8), in which the launcher handles all text.
namespace platform {

enum class TextForm : unsigned char {
    kAnsi,       // the code page's own bytes
    kUtf8,       // UTF-8 without a byte-order mark
    kUtf8Marked, // UTF-8 after its mark, EF BB BF
    kUtf16LE,    // UTF-16, low byte first, after its mark FF FE
    kUtf16BE,    // UTF-16, high byte first, after its mark FE FF
};

// How much of a file's start decides its form: any real settings file whole.
constexpr std::size_t kFormSampleSize = 64 * 1024;

// The form of a file that begins with these bytes: the one its byte-order mark names; else UTF-8
// where the bytes up to the first Ctrl-Z are valid UTF-8 holding a character of two or more bytes,
// as Notepad decides; else ANSI. whole: the bytes are the whole file, not only its start.
TextForm FormOf(const char* start, std::size_t size, bool whole);

// Puts into an empty buffer the bytes of a file that holds ANSI text in a form, its mark first.
// False where a character has no exact form in it, or where the bytes would read back as other
// text: ANSI or unmarked UTF-8 that begins with a mark's bytes, ANSI that reads as UTF-8.
bool EncodeText(TextBuffer& file, const char* ansi, std::size_t size, TextForm form);

// Reads a file's bytes as text in the ANSI code page, decoding its form as it goes. The bytes come
// first from those of its start already read, then from the stream, if any.
class TextReader {
public:
    // Most bytes one character takes in the ANSI code page.
    static constexpr std::size_t kAnsiBytesMax = 4;
    // What NextCharacter answers at the end, and for a malformed sequence, which no code point is.
    static constexpr char32_t kEnd = 0xFFFFFFFF;
    static constexpr char32_t kMalformed = 0xFFFFFFFE;

    // start holds the file's first size bytes, its mark included, which the reader passes over.
    TextReader(std::FILE* stream, const char* start, std::size_t size, TextForm form);

    // The next byte of the text, or EOF. A character the code page has no exact form for, or a
    // malformed sequence, reads as a '?' that StandsIn.
    int Next() {
        // ANSI bytes, nearly every settings file's, pass as they are.
        return m_form == TextForm::kAnsi && !m_stopped ? NextByte() : NextDecoded();
    }
    // Gives back the byte Next last answered, to be read again.
    void Unget();
    // The byte Next last answered stands in for a character.
    bool StandsIn() const { return m_standIn; }
    // Every later Next answers EOF.
    void Stop() { m_stopped = true; }

    // The next character's code point, kMalformed, or kEnd.
    char32_t NextCharacter();

private:
    static constexpr int kOddByte = -2;

    // The next byte of a character decoded into the code page, or EOF once stopped.
    int NextDecoded();
    int NextByte() {
        m_fromStream = m_at == m_size;
        m_byte = !m_fromStream ? m_start[m_at++] : m_stream ? std::getc(m_stream) : EOF;
        return m_byte;
    }
    // Gives back the byte NextByte last answered.
    void UngetByte();
    char32_t NextUtf8(int lead);
    char32_t NextUtf16();
    int NextUnit();
    // Each system's own: the character of the ANSI code page that begins with lead.
    char32_t NextAnsiCharacter(int lead);

    std::FILE* m_stream;
    const unsigned char* m_start;
    std::size_t m_size;
    std::size_t m_at;
    int m_byte = EOF;          // the byte NextByte last answered
    bool m_fromStream = false; // which came from the stream
    TextForm m_form;
    bool m_stopped = false;
    int m_heldUnit = -1; // a UTF-16 unit read past a lone high surrogate, to be read again
    // The character Next is answering, in the code page.
    char m_text[kAnsiBytesMax];
    std::size_t m_textAt = 0, m_textEnd = 0;
    bool m_standIn = false;
};

} // namespace platform
