#include "launch/settings.h"

#include <cstdio>
#include <cstring>

#include "platform/IntegerText.h"
#include "platform/ReplacementFile.h"
#include "platform/TextBuffer.h"
#include "platform/UnicodeText.h"

char g_zerbs3DDirectory[kSettingsLineSize];
char g_tolvaneDirectory[kSettingsLineSize];

const char kSettingsFileName[] = "ztlvlauncher.ini";

namespace {

// A read takes at most this many bytes, its line end included, like fgets with a count of 511.
constexpr std::size_t kLinePieceBytes = kSettingsLineSize - 2;

// The three numbers in the order of the file's lines 3 to 5.
constexpr int LaunchSettings::*kNumberLines[] = {
    &LaunchSettings::m_width,
    &LaunchSettings::m_height,
    &LaunchSettings::m_refreshRate,
};

// The seven on/off values in the order of the file's lines 6 to 12.
constexpr BOOL LaunchSettings::*kOptionLines[] = {
    &LaunchSettings::m_runInWindow,       &LaunchSettings::m_noMovies,
    &LaunchSettings::m_noMusic,           &LaunchSettings::m_noSounds,
    &LaunchSettings::m_invertFirstPerson, &LaunchSettings::m_invertThirdPerson,
    &LaunchSettings::m_invertZerbs,
};

// Where the reader takes its bytes: an open stream, or, for a file in a form of Unicode, its text
// converted to the ANSI code page.
struct Input {
    std::FILE* stream;
    const char* text = nullptr;
    std::size_t size = 0, at = 0;
};

int NextByte(Input& input) {
    if (input.stream) {
        return std::getc(input.stream);
    }
    return input.at < input.size ? static_cast<unsigned char>(input.text[input.at++]) : EOF;
}

// The file is read as bytes, and read as Windows' text mode would read it, on every build: CR LF
// folds into one '\n', the first Ctrl-Z byte ends the file, and a lone CR is an ordinary byte.
// Text mode itself would also fold the bytes of UTF-16 characters.
int GetTextByte(Input& input) {
    constexpr int kCtrlZ = 0x1A;
    const int byte = NextByte(input);
    if (byte == kCtrlZ) {
        // Every later read must find the end too, so the rest of the input is passed over.
        while (NextByte(input) != EOF) {
        }
        return EOF;
    }
    if (byte == '\r') {
        const int next = NextByte(input);
        if (next == '\n') {
            return '\n';
        }
        if (next != EOF) {
            input.stream ? static_cast<void>(std::ungetc(next, input.stream))
                         : static_cast<void>(--input.at);
        }
    }
    return byte;
}

struct LinePiece {
    std::size_t length; // bytes taken, NUL bytes of the line included
    bool cutByEnd;      // the stream ended before a line end or the byte limit
};

// Reads up to and including the next line end, at most kLinePieceBytes bytes, and NUL-terminates.
LinePiece ReadLinePiece(char (&piece)[kSettingsLineSize], Input& input) {
    std::size_t length = 0;
    while (length < kLinePieceBytes) {
        const int byte = GetTextByte(input);
        if (byte == EOF) {
            piece[length] = '\0';
            return {length, true};
        }
        piece[length++] = static_cast<char>(byte);
        if (byte == '\n') {
            break;
        }
    }
    piece[length] = '\0';
    return {length, false};
}

bool ReadLine(char (&buffer)[kSettingsLineSize], Input& input) {
    char piece[kSettingsLineSize];
    LinePiece read;
    do {
        read = ReadLinePiece(piece, input);
        if (read.length == 0) {
            return false;
        }
    } while (piece[0] == ';');

    // The last byte is the line end, or the 510th byte of an over-long line's piece. A last line
    // cut off by the end of the file has no line end and keeps all of its bytes.
    const std::size_t textLength = std::strlen(piece);
    if (textLength > 0 && !read.cutByEnd) {
        piece[textLength - 1] = '\0';
    }
    std::memcpy(buffer, piece, std::strlen(piece) + 1);
    return true;
}

void ReadValues(Input& input, LaunchSettings& settings) {
    if (!ReadLine(g_zerbs3DDirectory, input) || !ReadLine(g_tolvaneDirectory, input)) {
        return;
    }
    char line[kSettingsLineSize];
    for (int LaunchSettings::*number : kNumberLines) {
        if (!ReadLine(line, input)) {
            return;
        }
        settings.*number = platform::ParseIntegerSaturating(line);
    }
    for (BOOL LaunchSettings::*option : kOptionLines) {
        if (!ReadLine(line, input)) {
            return;
        }
        settings.*option = std::strcmp(line, "FALSE") != 0;
    }
    if (ReadLine(line, input)) {
        settings.m_advancedSwitches = line;
    }
}

enum class Form { kAnsi, kUnicode, kUnicodeAnsiLacks };

// Reads a file that begins with a byte-order mark whole, mark and all, and appends its text in the
// ANSI code page. A file without a mark is left at its start, to be read as it stands.
Form ReadAsAnsi(std::FILE* stream, platform::TextBuffer& ansi) {
    char start[3];
    const std::size_t begun = std::fread(start, 1, sizeof start, stream);
    if (platform::ByteOrderMarkLength(start, begun) == 0) {
        std::rewind(stream);
        return Form::kAnsi;
    }
    platform::TextBuffer marked;
    marked.Append(start, begun);
    char chunk[4096];
    for (std::size_t read; (read = std::fread(chunk, 1, sizeof chunk, stream)) > 0;) {
        marked.Append(chunk, read);
    }
    const bool exact = marked.Complete() && !std::ferror(stream) &&
                       platform::AppendAsAnsi(ansi, marked.Data(), marked.Size());
    return exact ? Form::kUnicode : Form::kUnicodeAnsiLacks;
}

// The settings file holds a character the ANSI code page cannot write, which a save would lose.
bool HoldsTextAnsiLacks() {
    std::FILE* stream = std::fopen(kSettingsFileName, "rb");
    if (!stream) {
        return false;
    }
    platform::TextBuffer ansi;
    const bool lacks = ReadAsAnsi(stream, ansi) == Form::kUnicodeAnsiLacks;
    std::fclose(stream);
    return lacks;
}

// Writes text byte for byte and ends the line. Without text mode, a CR ending the text would merge
// with the line end on reading, so the line then ends in CR LF as Windows would write it.
void WriteLine(platform::TextBuffer& text, const char* line) {
    text.Write(line);
#ifndef _WIN32
    const std::size_t length = std::strlen(line);
    if (length > 0 && line[length - 1] == '\r') {
        text.Write("\r");
    }
#endif
    text.Write("\n");
}

} // namespace

bool ReadSettingsLine(char (&buffer)[kSettingsLineSize], std::FILE* stream) {
    Input input{stream};
    return ReadLine(buffer, input);
}

void ReadSettings(std::FILE* stream, LaunchSettings& settings) {
    platform::TextBuffer ansi;
    Input input{ReadAsAnsi(stream, ansi) == Form::kAnsi ? stream : nullptr, ansi.Data(),
                ansi.Size()};
    ReadValues(input, settings);
}

void WriteSettings(platform::TextBuffer& text, const LaunchSettings& settings) {
    WriteLine(text, g_zerbs3DDirectory);
    WriteLine(text, g_tolvaneDirectory);
    char numbers[3 * 12 + 1];
    std::snprintf(numbers, sizeof numbers, "%i\n%i\n%i\n", settings.m_width, settings.m_height,
                  settings.m_refreshRate);
    text.Write(numbers);
    for (BOOL LaunchSettings::*option : kOptionLines) {
        WriteLine(text, settings.*option ? "TRUE" : "FALSE");
    }
    WriteLine(text, settings.m_advancedSwitches);
    text.Write("\n\n");
}

bool LoadSettings(LaunchSettings& settings) {
    std::FILE* stream = std::fopen(kSettingsFileName, "rb");
    if (!stream) {
        return false;
    }
    ReadSettings(stream, settings);
    std::fclose(stream);
    return true;
}

bool SaveSettings(const LaunchSettings& settings) {
    if (HoldsTextAnsiLacks()) {
        return false;
    }
    platform::TextBuffer text;
    WriteSettings(text, settings);
    // Text that begins with a byte-order mark's bytes would read back in another form.
    return text.Complete() && platform::ByteOrderMarkLength(text.Data(), text.Size()) == 0 &&
           platform::ReplacementFile(kSettingsFileName).Commit(text.Data(), text.Size());
}
