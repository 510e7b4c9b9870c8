#pragma once

#include <cstddef>

#include "launch/settings.h"

// One on/off value and the switch it adds to a game's arguments (the text brings its own blank).
struct LaunchSwitch {
    BOOL LaunchSettings::*member;
    const char* text;
};

// The fixed description of one game: where it lives and how its arguments are written.
struct GameProfile {
    const char* directory;      // one of the process-wide directory buffers
    const char* executablePath; // relative to the directory
    const char* baseFormat;     // takes width, height and refresh rate, in that order
    const LaunchSwitch* switches;
    std::size_t switchCount;
};

extern const GameProfile g_zerbs3DProfile;
extern const GameProfile g_tolvaneProfile;

// Size of the argument buffer, its NUL included.
constexpr std::size_t kLaunchArgumentsSize = 512;

// Fills buffer with the game's argument string. False, with buffer empty, when it would not fit.
bool BuildLaunchArguments(const GameProfile& profile, const LaunchSettings& settings,
                          char (&buffer)[kLaunchArgumentsSize]);

// Enters the game's directory and starts the game in place of this process. Returns only when the
// game could not be started; then the working directory stays wherever the directory change left
// it.
void LaunchGame(const GameProfile& profile, const LaunchSettings& settings);
