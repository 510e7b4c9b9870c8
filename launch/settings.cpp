#include "launch/settings.h"

#include <cstdio>
#include <cstring>

#include "platform/IntegerText.h"
#include "platform/ReplacementFile.h"
#include "platform/TextBuffer.h"

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

// Windows opens the file in text mode, which folds CR LF into one '\n' and ends the file at the
// first Ctrl-Z byte. Elsewhere the same is done here, so a settings file reads alike on both; a
// lone CR stays an ordinary byte.
int GetTextByte(std::FILE* stream) {
    int byte = std::getc(stream);
#ifndef _WIN32
    constexpr int kCtrlZ = 0x1A;
    if (byte == kCtrlZ) {
        // Every later read must find the end too, so the rest of the stream is passed over.
        while (std::getc(stream) != EOF) {
        }
        return EOF;
    }
    if (byte == '\r') {
        const int next = std::getc(stream);
        if (next == '\n') {
            return '\n';
        }
        if (next != EOF) {
            std::ungetc(next, stream);
        }
    }
#endif
    return byte;
}

struct LinePiece {
    std::size_t length; // bytes taken, NUL bytes of the line included
    bool cutByEnd;      // the stream ended before a line end or the byte limit
};

// Reads up to and including the next line end, at most kLinePieceBytes bytes, and NUL-terminates.
LinePiece ReadLinePiece(char (&piece)[kSettingsLineSize], std::FILE* stream) {
    std::size_t length = 0;
    while (length < kLinePieceBytes) {
        const int byte = GetTextByte(stream);
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
    char piece[kSettingsLineSize];
    LinePiece read;
    do {
        read = ReadLinePiece(piece, stream);
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

void ReadSettings(std::FILE* stream, LaunchSettings& settings) {
    if (!ReadSettingsLine(g_zerbs3DDirectory, stream) ||
        !ReadSettingsLine(g_tolvaneDirectory, stream)) {
        return;
    }
    char line[kSettingsLineSize];
    for (int LaunchSettings::*number : kNumberLines) {
        if (!ReadSettingsLine(line, stream)) {
            return;
        }
        settings.*number = platform::ParseIntegerSaturating(line);
    }
    for (BOOL LaunchSettings::*option : kOptionLines) {
        if (!ReadSettingsLine(line, stream)) {
            return;
        }
        settings.*option = std::strcmp(line, "FALSE") != 0;
    }
    if (ReadSettingsLine(line, stream)) {
        settings.m_advancedSwitches = line;
    }
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
    std::FILE* stream = std::fopen(kSettingsFileName, "r");
    if (!stream) {
        return false;
    }
    ReadSettings(stream, settings);
    std::fclose(stream);
    return true;
}

bool SaveSettings(const LaunchSettings& settings) {
    platform::TextBuffer text;
    WriteSettings(text, settings);
    return text.Complete() &&
           platform::ReplacementFile(kSettingsFileName).Commit(text.Data(), text.Size());
}
