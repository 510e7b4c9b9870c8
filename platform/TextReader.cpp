#include "platform/TextReader.h"

#include <cstring>
#include <initializer_list>

namespace platform {

namespace {

// Each form's byte-order mark, by the form's number.
constexpr const char* kMarks[] = {"", "", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"};

constexpr char32_t kCtrlZ = 0x1A;

std::size_t MarkLength(TextForm form) {
    return std::strlen(kMarks[static_cast<int>(form)]);
}

// Writes a code point in UTF-8 and answers its length.
std::size_t EncodeUtf8(char32_t point, char* bytes) {
    const std::size_t length = point < 0x80 ? 1 : point < 0x800 ? 2 : point < 0x10000 ? 3 : 4;
    constexpr unsigned char kLead[] = {0, 0, 0xC0, 0xE0, 0xF0};
    for (std::size_t i = length - 1; i > 0; --i) {
        bytes[i] = static_cast<char>(0x80 | (point & 0x3F));
        point >>= 6;
    }
    bytes[0] = static_cast<char>(kLead[length] | point);
    return length;
}

// Writes a code point in UTF-16, one or two units in the form's byte order, and answers its length.
std::size_t EncodeUtf16(char32_t point, bool bigEndian, char* bytes) {
    const bool paired = point >= 0x10000;
    const char32_t units[] = {paired ? 0xD800 + ((point - 0x10000) >> 10) : point,
                              0xDC00 + (point & 0x3FF)};
    const std::size_t count = paired ? 2 : 1;
    for (std::size_t i = 0; i < count; ++i) {
        bytes[2 * i + !bigEndian] = static_cast<char>(units[i] >> 8);
        bytes[2 * i + bigEndian] = static_cast<char>(units[i] & 0xFF);
    }
    return 2 * count;
}

} // namespace

} // namespace platform

// Each system's code page: the form of a code point in it, and the character its bytes begin.
#ifdef _WIN32
#include "platform/windows/TextReader.inc"
#else
#include "platform/unix/TextReader.inc"
#endif

namespace platform {

TextForm FormOf(const char* start, std::size_t size, bool whole) {
    for (const TextForm form : {TextForm::kUtf8Marked, TextForm::kUtf16LE, TextForm::kUtf16BE}) {
        const std::size_t length = MarkLength(form);
        if (size >= length && std::memcmp(start, kMarks[static_cast<int>(form)], length) == 0) {
            return form;
        }
    }
    // Text in ASCII up to its end or a Ctrl-Z is ANSI, told without decoding it. A character cut
    // off where a file's start ends is no fault of the file.
    const std::size_t end = whole || size < 3 ? size : size - 3;
    const auto* bytes = reinterpret_cast<const unsigned char*>(start);
    std::size_t ascii = 0;
    while (ascii < end && bytes[ascii] < 0x80 && bytes[ascii] != kCtrlZ) {
        ++ascii;
    }
    if (ascii == end || bytes[ascii] == kCtrlZ) {
        return TextForm::kAnsi;
    }
    TextReader sample(nullptr, start + ascii, end - ascii, TextForm::kUtf8);
    bool multiByte = false;
    for (char32_t point; (point = sample.NextCharacter()) != TextReader::kEnd && point != kCtrlZ;) {
        if (point == TextReader::kMalformed) {
            return TextForm::kAnsi;
        }
        multiByte = multiByte || point >= 0x80;
    }
    return multiByte ? TextForm::kUtf8 : TextForm::kAnsi;
}

bool EncodeText(TextBuffer& file, const char* ansi, std::size_t size, TextForm form) {
    if (form == TextForm::kAnsi) {
        file.Append(ansi, size);
    } else {
        file.Append(kMarks[static_cast<int>(form)], MarkLength(form));
        TextReader text(nullptr, ansi, size, TextForm::kAnsi);
        for (char32_t point; (point = text.NextCharacter()) != TextReader::kEnd;) {
            if (point == TextReader::kMalformed) {
                return false;
            }
            char bytes[4];
            file.Append(bytes, form == TextForm::kUtf16LE || form == TextForm::kUtf16BE
                                   ? EncodeUtf16(point, form == TextForm::kUtf16BE, bytes)
                                   : EncodeUtf8(point, bytes));
        }
    }
    if (!file.Complete()) {
        return false;
    }
    TextReader back(nullptr, file.Data(), file.Size(), FormOf(file.Data(), file.Size(), true));
    for (std::size_t i = 0; i < size; ++i) {
        if (back.Next() != static_cast<unsigned char>(ansi[i])) {
            return false;
        }
    }
    return back.Next() == EOF;
}

TextReader::TextReader(std::FILE* stream, const char* start, std::size_t size, TextForm form)
    : m_stream(stream), m_start(reinterpret_cast<const unsigned char*>(start)), m_size(size),
      m_at(MarkLength(form) < size ? MarkLength(form) : size), m_form(form) {}

int TextReader::NextDecoded() {
    if (m_stopped) {
        return EOF;
    }
    if (m_textAt < m_textEnd) {
        return static_cast<unsigned char>(m_text[m_textAt++]);
    }
    const char32_t point = NextCharacter();
    if (point == kEnd) {
        return EOF;
    }
    m_standIn = false;
    m_textEnd = 1;
    if (point < 0x80) {
        m_text[0] = static_cast<char>(point);
    } else if (point == kMalformed || (m_textEnd = AnsiForm(point, m_text)) == 0) {
        m_text[0] = '?';
        m_textEnd = 1;
        m_standIn = true;
    }
    m_textAt = 1;
    return static_cast<unsigned char>(m_text[0]);
}

void TextReader::Unget() {
    if (m_form == TextForm::kAnsi) {
        UngetByte();
    } else {
        --m_textAt;
    }
}

char32_t TextReader::NextCharacter() {
    if (m_form == TextForm::kUtf16LE || m_form == TextForm::kUtf16BE) {
        return NextUtf16();
    }
    const int lead = NextByte();
    if (lead == EOF) {
        return kEnd;
    }
    if (lead < 0x80) {
        return static_cast<char32_t>(lead);
    }
    return m_form == TextForm::kAnsi ? NextAnsiCharacter(lead) : NextUtf8(lead);
}

void TextReader::UngetByte() {
    if (m_byte == EOF) {
        return;
    }
    if (m_fromStream) {
        std::ungetc(m_byte, m_stream);
    } else {
        --m_at;
    }
}

// A byte that cannot continue the sequence ends it as malformed and is read again. Overlong forms,
// surrogates and code points past U+10FFFF are malformed too.
char32_t TextReader::NextUtf8(int lead) {
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || lead >= 0xF8) {
        return kMalformed;
    }
    char32_t point = static_cast<char32_t>(lead) & (0x7Fu >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const int next = NextByte();
        if (next == EOF || (next & 0xC0) != 0x80) {
            UngetByte();
            return kMalformed;
        }
        point = point << 6 | (static_cast<char32_t>(next) & 0x3F);
    }
    constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    const bool surrogate = point >= 0xD800 && point < 0xE000;
    return point < kLeast[length] || point > 0x10FFFF || surrogate ? kMalformed : point;
}

// A lone surrogate, or a last odd byte, is malformed; a unit read past a lone high surrogate is
// read again.
char32_t TextReader::NextUtf16() {
    const int first = NextUnit();
    if (first < 0) {
        return first == EOF ? kEnd : kMalformed;
    }
    if (first < 0xD800 || first >= 0xE000) {
        return static_cast<char32_t>(first);
    }
    const int second = first < 0xDC00 ? NextUnit() : EOF;
    if (second >= 0xDC00 && second < 0xE000) {
        return 0x10000 + (static_cast<char32_t>(first - 0xD800) << 10) +
               static_cast<char32_t>(second - 0xDC00);
    }
    m_heldUnit = second;
    return kMalformed;
}

// The next UTF-16 unit, EOF at the end, or kOddByte for a last byte without its pair.
int TextReader::NextUnit() {
    if (m_heldUnit >= 0) {
        const int unit = m_heldUnit;
        m_heldUnit = -1;
        return unit;
    }
    const int first = NextByte();
    const int second = first == EOF ? EOF : NextByte();
    if (second == EOF) {
        return first == EOF ? EOF : kOddByte;
    }
    return m_form == TextForm::kUtf16BE ? first << 8 | second : second << 8 | first;
}

} // namespace platform
