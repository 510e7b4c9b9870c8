#include "launch/GameProfile.h"

#include <cstdio>
#include <cstring>

#include "platform/process.h"

#ifdef _WIN32
#define ZTLV_PATH_SEPARATOR "\\"
#else
#define ZTLV_PATH_SEPARATOR "/"
#endif

namespace {

// Every switch in the order it is appended; "Zerbs Tolvane" understands only the first four.
constexpr LaunchSwitch kSwitches[] = {
    {&LaunchSettings::m_runInWindow, " /WIN"},
    {&LaunchSettings::m_noMovies, " /NOMOVIES"},
    {&LaunchSettings::m_noMusic, " /NOMUSIC"},
    {&LaunchSettings::m_noSounds, " /SHUTUP"},
    {&LaunchSettings::m_invertFirstPerson, " /INVERTMOUSEFP"},
    {&LaunchSettings::m_invertThirdPerson, " /INVERTMOUSETP"},
    {&LaunchSettings::m_invertZerbs, " /1337"},
};
constexpr std::size_t kSharedSwitchCount = 4;

// Appends text at length if it fits with the buffer's NUL; false otherwise.
bool Append(char (&buffer)[kLaunchArgumentsSize], std::size_t& length, const char* text) {
    const std::size_t textLength = std::strlen(text);
    if (textLength >= kLaunchArgumentsSize - length) {
        return false;
    }
    std::memcpy(buffer + length, text, textLength + 1);
    length += textLength;
    return true;
}

} // namespace

const GameProfile g_zerbs3DProfile = {
    g_zerbs3DDirectory, "bin" ZTLV_PATH_SEPARATOR "Zerbs3D.exe", "/W %i /H %i /REFRESH %i",
    kSwitches,          sizeof kSwitches / sizeof kSwitches[0],
};

const GameProfile g_tolvaneProfile = {
    g_tolvaneDirectory, "ZT.exe", "/RES=%ix%i /REFRESH %i", kSwitches, kSharedSwitchCount,
};

bool BuildLaunchArguments(const GameProfile& profile, const LaunchSettings& settings,
                          char (&buffer)[kLaunchArgumentsSize]) {
    const int base = std::snprintf(buffer, sizeof buffer, profile.baseFormat, settings.m_width,
                                   settings.m_height, settings.m_refreshRate);
    std::size_t length = static_cast<std::size_t>(base);
    bool fits = base >= 0 && length < sizeof buffer;
    for (std::size_t i = 0; fits && i < profile.switchCount; ++i) {
        if (settings.*profile.switches[i].member) {
            fits = Append(buffer, length, profile.switches[i].text);
        }
    }
    fits = fits && Append(buffer, length, settings.m_advancedSwitches);
    if (!fits) {
        buffer[0] = '\0';
    }
    return fits;
}

void LaunchGame(const GameProfile& profile, const LaunchSettings& settings) {
    platform::ChangeDirectory(profile.directory);
    char arguments[kLaunchArgumentsSize];
    // A game started with a switch cut off would run with settings the player did not choose.
    if (BuildLaunchArguments(profile, settings, arguments)) {
        platform::ReplaceProcess(profile.executablePath, arguments);
    }
}
