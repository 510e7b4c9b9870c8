#include "launch/settings.h"

#include <cstdio>
#include <cstring>

#include "platform/IntegerText.h"
#include "platform/ReplacementFile.h"
#include "platform/TextBuffer.h"
#include "platform/TextReader.h"

char g_zerbs3DDirectory[kSettingsLineSize];
char g_tolvaneDirectory[kSettingsLineSize];

SettingsFileForm g_settingsFileForm;

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

// The file is read as bytes, and read as Windows' text mode would read it, on every build: CR LF
// folds into one '\n', the first Ctrl-Z byte ends the file, and a lone CR is an ordinary byte.
// Text mode itself would also fold the bytes of UTF-16 characters.
int GetTextByte(platform::TextReader& text) {
    constexpr int kCtrlZ = 0x1A;
    const int byte = text.Next();
    if (byte == kCtrlZ) {
        text.Stop();
        return EOF;
    }
    if (byte == '\r') {
        const int next = text.Next();
        if (next == '\n') {
            return '\n';
        }
        if (next != EOF) {
            text.Unget();
        }
    }
    return byte;
}

struct LinePiece {
    std::size_t length; // bytes taken, NUL bytes of the line included
    bool cutByEnd;      // the stream ended before a line end or the byte limit
    bool standIn;       // a byte taken stands in for a character
};

// Reads up to and including the next line end, at most kLinePieceBytes bytes, and NUL-terminates.
LinePiece ReadLinePiece(char (&piece)[kSettingsLineSize], platform::TextReader& text) {
    LinePiece read{0, false, false};
    while (read.length < kLinePieceBytes) {
        const int byte = GetTextByte(text);
        if (byte == EOF) {
            read.cutByEnd = true;
            break;
        }
        read.standIn = read.standIn || text.StandsIn();
        piece[read.length++] = static_cast<char>(byte);
        if (byte == '\n') {
            break;
        }
    }
    piece[read.length] = '\0';
    return read;
}

enum class LineRead { kNone, kExact, kWithStandIn };

LineRead ReadLine(char (&buffer)[kSettingsLineSize], platform::TextReader& text) {
    char piece[kSettingsLineSize];
    LinePiece read;
    do {
        read = ReadLinePiece(piece, text);
        if (read.length == 0) {
            return LineRead::kNone;
        }
    } while (piece[0] == ';');

    // The last byte is the line end, or the 510th byte of an over-long line's piece. A last line
    // cut off by the end of the file has no line end and keeps all of its bytes.
    const std::size_t textLength = std::strlen(piece);
    if (textLength > 0 && !read.cutByEnd) {
        piece[textLength - 1] = '\0';
    }
    std::memcpy(buffer, piece, std::strlen(piece) + 1);
    return read.standIn ? LineRead::kWithStandIn : LineRead::kExact;
}

void ReadValues(platform::TextReader& text, LaunchSettings& settings) {
    // A value the save writes back is spoiled by a stand-in.
    const auto readText = [&text](char(&buffer)[kSettingsLineSize]) {
        const LineRead read = ReadLine(buffer, text);
        g_settingsFileForm.valueLost |= read == LineRead::kWithStandIn;
        return read != LineRead::kNone;
    };
    if (!readText(g_zerbs3DDirectory) || !readText(g_tolvaneDirectory)) {
        return;
    }
    char line[kSettingsLineSize];
    for (int LaunchSettings::*number : kNumberLines) {
        if (ReadLine(line, text) == LineRead::kNone) {
            return;
        }
        settings.*number = platform::ParseIntegerSaturating(line);
    }
    for (BOOL LaunchSettings::*option : kOptionLines) {
        if (ReadLine(line, text) == LineRead::kNone) {
            return;
        }
        settings.*option = std::strcmp(line, "FALSE") != 0;
    }
    if (readText(line)) {
        settings.m_advancedSwitches = line;
    }
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
    platform::TextReader text(stream, nullptr, 0, platform::TextForm::kAnsi);
    return ReadLine(buffer, text) != LineRead::kNone;
}

// The form is told from the file's start, which is read once and then read on from.
void ReadSettings(std::FILE* stream, LaunchSettings& settings) {
    char start[platform::kFormSampleSize];
    const std::size_t size = std::fread(start, 1, sizeof start, stream);
    g_settingsFileForm = {platform::FormOf(start, size, size < sizeof start), false};
    platform::TextReader text(stream, start, size, g_settingsFileForm.form);
    ReadValues(text, settings);
}

bool WriteSettings(platform::TextBuffer& file, const LaunchSettings& settings) {
    platform::TextBuffer text;
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
    return text.Complete() &&
           platform::EncodeText(file, text.Data(), text.Size(), g_settingsFileForm.form);
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
    platform::TextBuffer file;
    return !g_settingsFileForm.valueLost && WriteSettings(file, settings) &&
           platform::ReplacementFile(kSettingsFileName).Commit(file.Data(), file.Size());
}
