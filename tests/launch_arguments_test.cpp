// The argument strings built for both games from the settings, and each option's own line in the
// settings file.

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "launch/GameProfile.h"
#include "test_support.h"

namespace {

using Option = BOOL LaunchSettings::*;
const std::vector<Option> kEveryOption = {
    &LaunchSettings::m_runInWindow,       &LaunchSettings::m_noMovies,
    &LaunchSettings::m_noMusic,           &LaunchSettings::m_noSounds,
    &LaunchSettings::m_invertFirstPerson, &LaunchSettings::m_invertThirdPerson,
    &LaunchSettings::m_invertZerbs};

LaunchSettings Settings(int width, int height, int refreshRate, const char* advanced = "",
                        const std::vector<Option>& on = {}) {
    LaunchSettings s;
    s.m_width = width;
    s.m_height = height;
    s.m_refreshRate = refreshRate;
    s.m_advancedSwitches = advanced;
    for (const Option option : on) {
        s.*option = 1;
    }
    return s;
}

// Builds into a buffer inside a larger one, so that a write past the 512 bytes shows.
std::string Build(const GameProfile& profile, const LaunchSettings& settings,
                  bool* fits = nullptr) {
    struct {
        char buffer[kLaunchArgumentsSize];
        char guard[16];
    } area;
    std::memset(&area, '#', sizeof area);
    const bool result = BuildLaunchArguments(profile, settings, area.buffer);
    EXPECT_EQ(std::string(area.guard, sizeof area.guard), std::string(16, '#'))
        << "written past the argument buffer";
    if (fits) {
        *fits = result;
    }
    return area.buffer;
}

TEST(LaunchArguments, BaseFormatThenSwitchesInProfileOrderThenTheTextAsTyped) {
    const struct {
        LaunchSettings settings;
        const char* zerbs3D;
        const char* tolvane;
    } cases[] = {
        {Settings(800, 600, 75), "/W 800 /H 600 /REFRESH 75", "/RES=800x600 /REFRESH 75"},
        {Settings(800, 600, 75, "", kEveryOption),
         "/W 800 /H 600 /REFRESH 75 /WIN /NOMOVIES /NOMUSIC /SHUTUP /INVERTMOUSEFP /INVERTMOUSETP "
         "/1337",
         "/RES=800x600 /REFRESH 75 /WIN /NOMOVIES /NOMUSIC /SHUTUP"},
        // Numbers reach the game unchecked, with their sign.
        {Settings(-1, 0, -60), "/W -1 /H 0 /REFRESH -60", "/RES=-1x0 /REFRESH -60"},
        {Settings(INT_MIN, INT_MAX, INT_MIN), "/W -2147483648 /H 2147483647 /REFRESH -2147483648",
         "/RES=-2147483648x2147483647 /REFRESH -2147483648"},
        // The text follows without a blank of its own.
        {Settings(1024, 768, 60, " /X %s"), "/W 1024 /H 768 /REFRESH 60 /X %s",
         "/RES=1024x768 /REFRESH 60 /X %s"},
        {Settings(1024, 768, 60, "/X", {&LaunchSettings::m_noSounds}),
         "/W 1024 /H 768 /REFRESH 60 /SHUTUP/X", "/RES=1024x768 /REFRESH 60 /SHUTUP/X"},
        {Settings(1, 2, 3, "/X"), "/W 1 /H 2 /REFRESH 3/X", "/RES=1x2 /REFRESH 3/X"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Build(g_zerbs3DProfile, c.settings), c.zerbs3D);
        EXPECT_EQ(Build(g_tolvaneProfile, c.settings), c.tolvane);
    }
}

// Each option switched on alone: any two options swapped, in the file or on a command line, fail.
TEST(LaunchArguments, EachOptionAloneHasItsOwnFileLineAndSwitch) {
    const struct {
        Option option;
        int line; // of the settings file, counted from 1
        const char* zerbs3D;
        const char* tolvane;
    } cases[] = {
        {&LaunchSettings::m_runInWindow, 6, " /WIN", " /WIN"},
        {&LaunchSettings::m_noMovies, 7, " /NOMOVIES", " /NOMOVIES"},
        {&LaunchSettings::m_noMusic, 8, " /NOMUSIC", " /NOMUSIC"},
        {&LaunchSettings::m_noSounds, 9, " /SHUTUP", " /SHUTUP"},
        {&LaunchSettings::m_invertFirstPerson, 10, " /INVERTMOUSEFP", ""},
        {&LaunchSettings::m_invertThirdPerson, 11, " /INVERTMOUSETP", ""},
        {&LaunchSettings::m_invertZerbs, 12, " /1337", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("line " + std::to_string(c.line));
        const LaunchSettings alone = Settings(4, 3, 2, "", {c.option});
        EXPECT_EQ(Build(g_zerbs3DProfile, alone), std::string("/W 4 /H 3 /REFRESH 2") + c.zerbs3D);
        EXPECT_EQ(Build(g_tolvaneProfile, alone), std::string("/RES=4x3 /REFRESH 2") + c.tolvane);

        SetDirectories("d1", "d2");
        std::string file = "d1\nd2\n4\n3\n2\n";
        for (int line = 6; line <= 12; ++line) {
            file += line == c.line ? "TRUE\n" : "FALSE\n";
        }
        TemporaryDirectory directory;
        ASSERT_TRUE(SaveSettings(alone));
        EXPECT_EQ(ReadFileBytes(kSettingsFileName), file + "\n\n\n");
        const LaunchSettings read = ReadFromBytes(file).settings;
        for (const Option option : kEveryOption) {
            EXPECT_EQ(read.*option, option == c.option ? 1 : 0);
        }
    }
}

TEST(LaunchArguments, WidestBaseAndSwitchesLeaveRoomFor393And430Characters) {
    LaunchSettings s = Settings(INT_MIN, INT_MIN, INT_MIN, "", kEveryOption);
    EXPECT_EQ(Build(g_zerbs3DProfile, s).size(), 118u);
    EXPECT_EQ(Build(g_tolvaneProfile, s).size(), 81u);

    // A string that does not fit is never handed out cut off.
    for (const auto& [profile, length, fits] : {std::tuple{&g_zerbs3DProfile, 393, true},
                                                {&g_zerbs3DProfile, 394, false},
                                                {&g_tolvaneProfile, 430, true},
                                                {&g_tolvaneProfile, 431, false},
                                                {&g_tolvaneProfile, 5000, false}}) {
        SCOPED_TRACE(length);
        s.m_advancedSwitches = std::string(static_cast<std::size_t>(length), 'x').c_str();
        bool built = !fits;
        EXPECT_EQ(Build(*profile, s, &built).size(), fits ? 511u : 0u);
        EXPECT_EQ(built, fits);
    }
}

TEST(LaunchArguments, ProfilesNameTheirDirectoryAndExecutable) {
    EXPECT_EQ(g_zerbs3DProfile.directory, g_zerbs3DDirectory);
    EXPECT_EQ(g_tolvaneProfile.directory, g_tolvaneDirectory);
#ifdef _WIN32
    EXPECT_STREQ(g_zerbs3DProfile.executablePath, "bin\\Zerbs3D.exe");
#else
    EXPECT_STREQ(g_zerbs3DProfile.executablePath, "bin/Zerbs3D.exe");
#endif
    EXPECT_STREQ(g_tolvaneProfile.executablePath, "ZT.exe");
}

} // namespace
