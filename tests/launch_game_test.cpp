// Starting the stand-in game for real, in a child process that the game replaces.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "launch/GameProfile.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

// Exit code of a child whose LaunchGame returned instead of starting the game.
constexpr int kLaunchReturned = 42;

// Puts the stand-in game at an executable path below folder.
void InstallStandIn(const fs::path& folder, const fs::path& executable) {
    fs::create_directories((folder / executable).parent_path());
    fs::copy_file(ZTLV_STAND_IN_GAME, folder / executable);
}

// Runs LaunchGame in a child; the result is the game's exit code or kLaunchReturned.
int LaunchInChild(const GameProfile& profile, const LaunchSettings& settings) {
    return RunInChild([&] {
        setenv("ZTLV_TEST_INHERITED", "from the launcher", 1);
        LaunchGame(profile, settings);
        return kLaunchReturned;
    });
}

TEST(LaunchGame, StartsZerbs3DInItsDirectoryWithOneArgumentAndTheEnvironment) {
    TemporaryDirectory directory;
    const fs::path game = fs::path(directory.Path()) / "Zerbs 3D";
    InstallStandIn(game, "bin/Zerbs3D.exe");
    SetDirectories(game.string(), "");

    EXPECT_EQ(LaunchInChild(g_zerbs3DProfile, ExampleRecord()), 0);
    const std::string record = ReadFileBytes((game / "received.txt").string());
    EXPECT_NE(record.find("argument count: 2\n"
                          "argument 0: bin/Zerbs3D.exe\n"
                          "argument 1: /W 1024 /H 768 /REFRESH 60 /WIN\n"
                          "working directory: " +
                          game.string() + "\n"),
              std::string::npos)
        << record;
    EXPECT_NE(record.find("environment: ZTLV_TEST_INHERITED=from the launcher\n"),
              std::string::npos);
}

TEST(LaunchGame, RelativeDirectoryIsResolvedFromTheWorkingDirectory) {
    TemporaryDirectory directory;
    InstallStandIn("games/tolvane", "ZT.exe");
    SetDirectories("", "games/tolvane");
    LaunchSettings s = ExampleRecord();
    s.m_advancedSwitches = " /X \"quoted\" two words";

    EXPECT_EQ(LaunchInChild(g_tolvaneProfile, s), 0);
    const std::string record = ReadFileBytes("games/tolvane/received.txt");
    EXPECT_NE(record.find("argument count: 2\nargument 0: ZT.exe\n"
                          "argument 1: /RES=1024x768 /REFRESH 60 /WIN /X \"quoted\" two words\n"),
              std::string::npos)
        << record;
}

TEST(LaunchGame, DirectoryThatCannotBeEnteredLeavesTheWorkingDirectory) {
    TemporaryDirectory directory;
    // With the game's folder missing, the game is looked for from where the launcher stands.
    InstallStandIn(".", "bin/Zerbs3D.exe");
    for (const char* missing : {"", "no such folder"}) {
        SCOPED_TRACE(std::string("directory \"") + missing + "\"");
        SetDirectories(missing, "");
        EXPECT_EQ(LaunchInChild(g_zerbs3DProfile, ExampleRecord()), 0);
        EXPECT_NE(
            ReadFileBytes("received.txt").find("working directory: " + directory.Path() + "\n"),
            std::string::npos);
        fs::remove("received.txt");
    }
}

TEST(LaunchGame, MissingExecutableReturnsToTheCallerInTheGameDirectory) {
    TemporaryDirectory directory;
    fs::create_directory("empty game");
    SetDirectories(directory.Path() + "/empty game", "");
    const int result = RunInChild([&] {
        LaunchGame(g_zerbs3DProfile, ExampleRecord());
        return fs::current_path() == fs::path(directory.Path()) / "empty game" ? kLaunchReturned
                                                                               : 1;
    });
    EXPECT_EQ(result, kLaunchReturned);
}

TEST(LaunchGame, ArgumentsThatDoNotFitStartNothing) {
    TemporaryDirectory directory;
    InstallStandIn("tolvane", "ZT.exe");
    SetDirectories("", "tolvane");
    LaunchSettings s = ExampleRecord();
    s.m_advancedSwitches = std::string(490, 'x').c_str();
    EXPECT_EQ(LaunchInChild(g_tolvaneProfile, s), kLaunchReturned);
    EXPECT_FALSE(fs::exists("tolvane/received.txt"));
}

} // namespace
