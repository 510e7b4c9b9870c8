#pragma once

#include <cstddef>

#include "platform/TextBuffer.h"

// Text saved by an editor in a form of Unicode, told by the byte-order mark it begins with, turned
// into the system's ANSI code page (natively UTF-8), in which the launcher handles all text.
namespace platform {

// The length of the mark the bytes begin with: 3 for UTF-8, 2 for UTF-16 in either byte order, 0
// where they begin with none and so are ANSI text already.
std::size_t ByteOrderMarkLength(const char* bytes, std::size_t size);

// Appends marked text, the mark left out, in the ANSI code page. A character the code page has no
// exact form for, or a malformed sequence, is appended as '?' and makes the answer false.
bool AppendAsAnsi(TextBuffer& ansi, const char* bytes, std::size_t size);

} // namespace platform
