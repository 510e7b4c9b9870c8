#include "platform/UnicodeText.h"

#include <cstring>

// Each system's code page, with the one call that writes a code point in it.
#ifdef _WIN32
#include "platform/windows/UnicodeText.inc"
#else
#include "platform/unix/UnicodeText.inc"
#endif

namespace platform {

namespace {

// Stands for a malformed sequence, which no code point is.
constexpr char32_t kMalformed = 0xFFFFFFFF;

// Decodes the UTF-8 sequence at bytes[at] and moves past it; a malformed one moves past its lead
// byte only. Overlong forms and surrogates are malformed.
char32_t NextUtf8(const unsigned char* bytes, std::size_t size, std::size_t& at) {
    const unsigned char lead = bytes[at++];
    if (lead < 0x80) {
        return lead;
    }
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (length == 0 || lead > 0xF4 || size - at < length - 1) {
        return kMalformed;
    }
    char32_t point = lead & (0x7Fu >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((bytes[at + i - 1] & 0xC0) != 0x80) {
            return kMalformed;
        }
        point = point << 6 | (bytes[at + i - 1] & 0x3Fu);
    }
    if (point < kLeast[length] || point > 0x10FFFF || (point >= 0xD800 && point < 0xE000)) {
        return kMalformed;
    }
    at += length - 1;
    return point;
}

// Decodes the UTF-16 character at bytes[at] and moves past it; a lone surrogate, or a last odd
// byte, is malformed.
char32_t NextUtf16(const unsigned char* bytes, std::size_t size, std::size_t& at, bool bigEndian) {
    const auto unit = [&](std::size_t i) -> char32_t {
        return bigEndian ? bytes[i] << 8 | bytes[i + 1] : bytes[i + 1] << 8 | bytes[i];
    };
    if (size - at < 2) {
        at = size;
        return kMalformed;
    }
    const char32_t first = unit(at);
    at += 2;
    if (first < 0xD800 || first >= 0xE000) {
        return first;
    }
    const char32_t second = first < 0xDC00 && size - at >= 2 ? unit(at) : 0;
    if (second < 0xDC00 || second >= 0xE000) {
        return kMalformed;
    }
    at += 2;
    return 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00);
}

} // namespace

std::size_t ByteOrderMarkLength(const char* bytes, std::size_t size) {
    constexpr const char* kMarks[] = {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"};
    for (const char* mark : kMarks) {
        const std::size_t length = std::strlen(mark);
        if (size >= length && std::memcmp(bytes, mark, length) == 0) {
            return length;
        }
    }
    return 0;
}

bool AppendAsAnsi(TextBuffer& ansi, const char* bytes, std::size_t size) {
    const auto* text = reinterpret_cast<const unsigned char*>(bytes);
    const std::size_t mark = ByteOrderMarkLength(bytes, size);
    bool exact = true;
    for (std::size_t at = mark; at < size;) {
        const char32_t point =
            mark == 3 ? NextUtf8(text, size, at) : NextUtf16(text, size, at, text[0] == 0xFE);
        if (point == kMalformed || !AppendCodePoint(ansi, point)) {
            ansi.Append("?", 1);
            exact = false;
        }
    }
    return exact && ansi.Complete();
}

} // namespace platform
