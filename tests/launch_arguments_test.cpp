// The argument strings built for both games from the settings.

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "launch/GameProfile.h"

namespace {

LaunchSettings Resolution(int width, int height, int refreshRate) {
    LaunchSettings s;
    s.m_width = width;
    s.m_height = height;
    s.m_refreshRate = refreshRate;
    return s;
}

LaunchSettings AllOptionsOn() {
    LaunchSettings s = Resolution(800, 600, 75);
    s.m_runInWindow = s.m_noMovies = s.m_noMusic = s.m_noSounds = 1;
    s.m_invertFirstPerson = s.m_invertThirdPerson = s.m_invertZerbs = 1;
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

TEST(LaunchArguments, AllOptionsOffGiveTheBaseFormatOnly) {
    const LaunchSettings s = Resolution(800, 600, 75);
    EXPECT_EQ(Build(g_zerbs3DProfile, s), "/W 800 /H 600 /REFRESH 75");
    EXPECT_EQ(Build(g_tolvaneProfile, s), "/RES=800x600 /REFRESH 75");
}

TEST(LaunchArguments, SwitchesFollowInProfileOrderAndTolvaneTakesOnlyFour) {
    const LaunchSettings s = AllOptionsOn();
    EXPECT_EQ(Build(g_zerbs3DProfile, s),
              "/W 800 /H 600 /REFRESH 75 /WIN /NOMOVIES /NOMUSIC /SHUTUP"
              " /INVERTMOUSEFP /INVERTMOUSETP /1337");
    EXPECT_EQ(Build(g_tolvaneProfile, s),
              "/RES=800x600 /REFRESH 75 /WIN /NOMOVIES /NOMUSIC /SHUTUP");

    LaunchSettings one = Resolution(1024, 768, 60);
    one.m_runInWindow = 1;
    one.m_noMusic = 1;
    EXPECT_EQ(Build(g_zerbs3DProfile, one), "/W 1024 /H 768 /REFRESH 60 /WIN /NOMUSIC");
    one = Resolution(1, 2, 3);
    one.m_invertZerbs = 1;
    EXPECT_EQ(Build(g_zerbs3DProfile, one), "/W 1 /H 2 /REFRESH 3 /1337");
    EXPECT_EQ(Build(g_tolvaneProfile, one), "/RES=1x2 /REFRESH 3");
}

TEST(LaunchArguments, NumbersReachTheGameUncheckedWithTheirSign) {
    EXPECT_EQ(Build(g_zerbs3DProfile, Resolution(-1, 0, -60)), "/W -1 /H 0 /REFRESH -60");
    EXPECT_EQ(Build(g_tolvaneProfile, Resolution(INT_MIN, INT_MAX, INT_MIN)),
              "/RES=-2147483648x2147483647 /REFRESH -2147483648");
}

TEST(LaunchArguments, AdvancedSwitchesAreAppendedExactlyAsTyped) {
    LaunchSettings s = Resolution(1024, 768, 60);
    s.m_advancedSwitches = " /X %s";
    EXPECT_EQ(Build(g_zerbs3DProfile, s), "/W 1024 /H 768 /REFRESH 60 /X %s");
    s.m_advancedSwitches = "/X";
    EXPECT_EQ(Build(g_tolvaneProfile, s), "/RES=1024x768 /REFRESH 60/X");
    s.m_noSounds = 1;
    EXPECT_EQ(Build(g_tolvaneProfile, s), "/RES=1024x768 /REFRESH 60 /SHUTUP/X");
}

TEST(LaunchArguments, WidestBaseAndSwitchesLeaveRoomFor393And430Characters) {
    LaunchSettings s = AllOptionsOn();
    s.m_width = s.m_height = s.m_refreshRate = INT_MIN;
    EXPECT_EQ(Build(g_zerbs3DProfile, s).size(), 118u);
    EXPECT_EQ(Build(g_tolvaneProfile, s).size(), 81u);

    bool fits = false;
    s.m_advancedSwitches = std::string(393, 'x').c_str();
    EXPECT_EQ(Build(g_zerbs3DProfile, s, &fits).size(), 511u);
    EXPECT_TRUE(fits);
    s.m_advancedSwitches = std::string(394, 'x').c_str();
    EXPECT_EQ(Build(g_zerbs3DProfile, s, &fits), "") << "a cut-off string is never handed out";
    EXPECT_FALSE(fits);

    s.m_advancedSwitches = std::string(430, 'x').c_str();
    EXPECT_EQ(Build(g_tolvaneProfile, s, &fits).size(), 511u);
    EXPECT_TRUE(fits);
    s.m_advancedSwitches = std::string(431, 'x').c_str();
    Build(g_tolvaneProfile, s, &fits);
    EXPECT_FALSE(fits);
    s.m_advancedSwitches = std::string(5000, 'x').c_str();
    Build(g_tolvaneProfile, s, &fits);
    EXPECT_FALSE(fits);
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
