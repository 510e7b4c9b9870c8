#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "platform/TextBuffer.h"
#include "platform/TextReader.h"
#include "platform/framework/CString.h"

// On/off values as the window system stores them: 0 off, 1 on.
using BOOL = std::int32_t;
static_assert(sizeof(int) == 4, "settings values are 32-bit integers");

// Size of every text buffer the settings file is read into, its NUL included.
constexpr std::size_t kSettingsLineSize = 512;

// The two games' installation directories: filled only by loading the settings file, never shown
// or edited, and written back exactly as read.
extern char g_zerbs3DDirectory[kSettingsLineSize];
extern char g_tolvaneDirectory[kSettingsLineSize];

// How the settings file was read, which a save keeps: filled by reading the file.
struct SettingsFileForm {
    platform::TextForm form = platform::TextForm::kAnsi;
    // Line 1, 2 or 13, which a save writes back, was read with a stand-in for a character.
    bool valueLost = false;
};
extern SettingsFileForm g_settingsFileForm;

// The values shown in the launcher window. The dialog binds each field to one of its controls;
// the fields stand in the dialog's exchange order on purpose, not in the file's line order.
struct LaunchSettings {
    CString m_advancedSwitches;
    BOOL m_invertFirstPerson = 0;
    int m_height = 0;
    BOOL m_invertZerbs = 0;
    BOOL m_noMovies = 0;
    BOOL m_noMusic = 0;
    BOOL m_noSounds = 0;
    int m_refreshRate = 0;
    BOOL m_invertThirdPerson = 0;
    int m_width = 0;
    BOOL m_runInWindow = 0;
};

// Name of the settings file, opened in the current working directory.
extern const char kSettingsFileName[];

// Reads the next value line into buffer, without its line end, skipping comment lines (first
// byte ';'). Returns false, leaving buffer as it was, when the stream ends before a value line.
bool ReadSettingsLine(char (&buffer)[kSettingsLineSize], std::FILE* stream);

// Reads the thirteen values from a stream opened on a file's bytes, and its form. A file in a form
// of Unicode (UTF-8, UTF-16) is read as its text in the ANSI code page, a character that code page
// lacks as '?'. Reading stops at the end of the stream; values not reached keep what they held.
void ReadSettings(std::FILE* stream, LaunchSettings& settings);

// Writes the thirteen values and two empty lines as the settings file's bytes, in the form it was
// read in. False where they would not read back as written.
bool WriteSettings(platform::TextBuffer& file, const LaunchSettings& settings);

// Reads the settings file into the directory buffers and settings; false when it can't be opened.
bool LoadSettings(LaunchSettings& settings);

// Replaces the settings file with the current values, through any link to it. True exactly when
// the file holds the new values. False when they could not be written completely: the old file
// is then byte for byte as it was, except where an in-place rewrite failed after it began. False
// too, the file untouched, where a value it writes back was read with a stand-in for a character.
bool SaveSettings(const LaunchSettings& settings);
