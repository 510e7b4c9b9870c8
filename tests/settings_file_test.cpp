// Loading and saving the real settings file in a working directory of its own, including saves
// that fail part-way and must leave the old file as it was.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>

#include "fixture_values.h"
#include "test_support.h"

namespace {

const char kOldFile[] =
    "old 3D\nold Tolvane\n1\n2\n3\nTRUE\nTRUE\nTRUE\nTRUE\nTRUE\nTRUE\nTRUE\n/OLD\n";

LaunchSettings EveryFieldSet() {
    LaunchSettings s;
    s.m_advancedSwitches = " /X %s %n 100%";
    s.m_invertFirstPerson = 1;
    s.m_height = -2147483647 - 1;
    s.m_invertZerbs = 1;
    s.m_noMovies = 0;
    s.m_noMusic = 1;
    s.m_noSounds = 0;
    s.m_refreshRate = 2147483647;
    s.m_invertThirdPerson = 0;
    s.m_width = -5;
    s.m_runInWindow = 1;
    return s;
}

void ExpectSameSettings(const LaunchSettings& a, const LaunchSettings& b) {
    EXPECT_EQ(a.m_advancedSwitches, b.m_advancedSwitches);
    EXPECT_EQ(a.m_invertFirstPerson, b.m_invertFirstPerson);
    EXPECT_EQ(a.m_height, b.m_height);
    EXPECT_EQ(a.m_invertZerbs, b.m_invertZerbs);
    EXPECT_EQ(a.m_noMovies, b.m_noMovies);
    EXPECT_EQ(a.m_noMusic, b.m_noMusic);
    EXPECT_EQ(a.m_noSounds, b.m_noSounds);
    EXPECT_EQ(a.m_refreshRate, b.m_refreshRate);
    EXPECT_EQ(a.m_invertThirdPerson, b.m_invertThirdPerson);
    EXPECT_EQ(a.m_width, b.m_width);
    EXPECT_EQ(a.m_runInWindow, b.m_runInWindow);
}

// Saves, then loads into a fresh record with cleared directories.
LoadedSettings SaveAndLoad(const LaunchSettings& saved) {
    EXPECT_TRUE(SaveSettings(saved));
    LoadedSettings loaded;
    SetDirectories("", "");
    EXPECT_TRUE(LoadSettings(loaded.settings));
    loaded.zerbs3DDirectory = g_zerbs3DDirectory;
    loaded.tolvaneDirectory = g_tolvaneDirectory;
    return loaded;
}

// Gives up the right to ignore file permissions, as a player's own account has none.
void DropRootPrivileges() {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
        _exit(99);
    }
}

TEST(SettingsFile, LoadOfMissingFileFailsAndChangesNothing) {
    TemporaryDirectory directory;
    SetDirectories("kept 3D", "kept Tolvane");
    LaunchSettings settings;
    settings.m_width = 5;
    EXPECT_FALSE(LoadSettings(settings));
    EXPECT_EQ(settings.m_width, 5);
    EXPECT_STREQ(g_zerbs3DDirectory, "kept 3D");
    EXPECT_STREQ(g_tolvaneDirectory, "kept Tolvane");
}

// Every fixture loads to the values its row requires of every build; the Windows tests hold the
// Windows build to the same rows.
TEST(SettingsFile, EveryFixtureLoadsToTheValuesOfItsRow) {
    const auto files = std::distance(std::filesystem::directory_iterator(ZTLV_FIXTURE_DIR),
                                     std::filesystem::directory_iterator());
    EXPECT_EQ(static_cast<std::size_t>(files), kFixtureValuesCount) << "a fixture without its row";
    for (std::size_t i = 0; i < kFixtureValuesCount; ++i) {
        TemporaryDirectory directory;
        WriteFileBytes(kSettingsFileName, ReadFileBytes(FixturePath(kFixtureValues[i].fixture)));
        EXPECT_EQ(LoadedValues(), kFixtureValues[i].values) << kFixtureValues[i].fixture;
    }
}

TEST(SettingsFile, WritesFifteenLinesInTheLauncherLayout) {
    TemporaryDirectory directory;
    SetDirectories("C:\\Games\\Zerbs 3D", "D:\\100% Tolvane %s%n");
    ASSERT_TRUE(SaveSettings(ExampleRecord()));
    EXPECT_EQ(ReadFileBytes(kSettingsFileName),
              "C:\\Games\\Zerbs 3D\nD:\\100% Tolvane %s%n\n1024\n768\n60\n"
              "TRUE\nFALSE\nFALSE\nFALSE\nFALSE\nFALSE\nFALSE\n\n\n\n");
    EXPECT_EQ(directory.Listing(), kSettingsFileName);
}

TEST(SettingsFile, SavedValuesLoadBackUnchanged) {
    TemporaryDirectory directory;
    SetDirectories("/games/z3d 100%", "relative/tolvane");
    const LaunchSettings saved = EveryFieldSet();
    const LoadedSettings loaded = SaveAndLoad(saved);
    EXPECT_EQ(loaded.zerbs3DDirectory, "/games/z3d 100%");
    EXPECT_EQ(loaded.tolvaneDirectory, "relative/tolvane");
    ExpectSameSettings(loaded.settings, saved);

    LaunchSettings inverted = saved;
    for (BOOL* option : {&inverted.m_invertFirstPerson, &inverted.m_invertZerbs,
                         &inverted.m_noMovies, &inverted.m_noMusic, &inverted.m_noSounds,
                         &inverted.m_invertThirdPerson, &inverted.m_runInWindow}) {
        *option = !*option;
    }
    ExpectSameSettings(SaveAndLoad(inverted).settings, inverted);
}

TEST(SettingsFile, TextsReadBackToTheirFirst509Bytes) {
    TemporaryDirectory directory;
    SetDirectories(std::string(509, 'd'), "");
    LaunchSettings saved;
    saved.m_advancedSwitches = std::string(509, 'x').c_str();
    LoadedSettings loaded = SaveAndLoad(saved);
    EXPECT_EQ(loaded.zerbs3DDirectory, std::string(509, 'd'));
    EXPECT_EQ(loaded.settings.m_advancedSwitches, saved.m_advancedSwitches);

    saved.m_advancedSwitches = (std::string(509, 'y') + "TAIL").c_str();
    loaded = SaveAndLoad(saved);
    EXPECT_NE(ReadFileBytes(kSettingsFileName).find("yTAIL\n"), std::string::npos)
        << "a longer text is written whole";
    EXPECT_EQ(std::string(loaded.settings.m_advancedSwitches), std::string(509, 'y'));
}

TEST(SettingsFile, AdvancedSwitchesStartingWithSemicolonComeBackEmpty) {
    TemporaryDirectory directory;
    LaunchSettings saved = ExampleRecord();
    saved.m_advancedSwitches = ";/NOTE";
    const LoadedSettings loaded = SaveAndLoad(saved);
    EXPECT_NE(ReadFileBytes(kSettingsFileName).find("\n;/NOTE\n"), std::string::npos);
    EXPECT_EQ(loaded.settings.m_advancedSwitches, "");
    EXPECT_EQ(loaded.settings.m_width, 1024);
}

TEST(SettingsFile, CarriageReturnEndingAValueSurvivesTheRoundTrip) {
    TemporaryDirectory directory;
    SetDirectories("ends in CR\r", "\r");
    LaunchSettings saved = ExampleRecord();
    saved.m_advancedSwitches = " /X\r";
    const LoadedSettings loaded = SaveAndLoad(saved);
    EXPECT_EQ(loaded.zerbs3DDirectory, "ends in CR\r");
    EXPECT_EQ(loaded.tolvaneDirectory, "\r");
    EXPECT_EQ(loaded.settings.m_advancedSwitches, " /X\r");
    EXPECT_EQ(loaded.settings.m_width, 1024);
}

TEST(SettingsFile, SaveReplacesTheFileAndKeepsItsPermissions) {
    TemporaryDirectory directory;
    WriteFileBytes(kSettingsFileName, kOldFile);
    ASSERT_EQ(chmod(kSettingsFileName, 0640), 0);
    SetDirectories("new 3D", "new Tolvane");
    ASSERT_TRUE(SaveSettings(ExampleRecord()));
    EXPECT_EQ(ReadFileBytes(kSettingsFileName).substr(0, 7), "new 3D\n");
    struct stat info {};
    ASSERT_EQ(stat(kSettingsFileName, &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(directory.Listing(), kSettingsFileName);
}

// Each failed save must return false, leave the old file byte for byte and leave no temporary file.
class FailedSave : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFileBytes(kSettingsFileName, kOldFile);
        SetDirectories(std::string(500, 'n'), "new Tolvane");
    }
    void ExpectOldFileIntact() {
        EXPECT_EQ(ReadFileBytes(m_directory.Path() + "/" + kSettingsFileName), kOldFile);
        EXPECT_EQ(m_directory.Listing(), kSettingsFileName) << "no temporary file may remain";
    }
    TemporaryDirectory m_directory;
};

TEST_F(FailedSave, DiskFullShowsUpOnlyAtTheFlushAndIsCaught) {
    const int result = RunInChild([] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100, 100};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            return 99;
        }
        return SaveSettings(ExampleRecord()) ? 1 : 0;
    });
    EXPECT_EQ(result, 0) << "1: the save claimed success; 99: the limit could not be set";
    ExpectOldFileIntact();
}

TEST_F(FailedSave, SettingsFileNameTakenByADirectory) {
    ASSERT_EQ(std::remove(kSettingsFileName), 0);
    ASSERT_EQ(mkdir(kSettingsFileName, 0755), 0);
    WriteFileBytes(std::string(kSettingsFileName) + "/inside", "kept");
    EXPECT_FALSE(SaveSettings(ExampleRecord()));
    EXPECT_EQ(ReadFileBytes(std::string(kSettingsFileName) + "/inside"), "kept");
    EXPECT_EQ(m_directory.Listing(), kSettingsFileName);
}

TEST_F(FailedSave, WorkingDirectoryRemovedAndItsPathTakenByAFile) {
    const std::string folder = m_directory.Path() + "/folder";
    const int result = RunInChild([&folder] {
        if (mkdir(folder.c_str(), 0755) != 0 || chdir(folder.c_str()) != 0 ||
            rmdir(folder.c_str()) != 0) {
            return 99;
        }
        WriteFileBytes(folder, "a file now");
        return SaveSettings(ExampleRecord()) ? 1 : 0;
    });
    EXPECT_EQ(result, 0) << "1: the save claimed success; 99: the folder could not be set up";
    EXPECT_EQ(ReadFileBytes(folder), "a file now");
    ASSERT_EQ(std::remove(folder.c_str()), 0);
    ExpectOldFileIntact();
}

TEST_F(FailedSave, ReadOnlySettingsFile) {
    ASSERT_EQ(chmod(kSettingsFileName, 0444), 0);
    EXPECT_FALSE(SaveSettings(ExampleRecord()));
    ExpectOldFileIntact();
}

TEST_F(FailedSave, FolderThePlayerMayNotWriteTo) {
    // Nobody may write the folder, its owner included; root is held to that too once it gives up
    // its privileges.
    ASSERT_EQ(chmod(m_directory.Path().c_str(), 0555), 0);
    // Read first: the example file may lie where only root can reach it.
    const LaunchSettings example = ExampleRecord();
    const int result = RunInChild([&example] {
        DropRootPrivileges();
        return SaveSettings(example) ? 1 : 0;
    });
    ASSERT_EQ(chmod(m_directory.Path().c_str(), 0755), 0);
    EXPECT_EQ(result, 0) << "1: the save claimed success; 99: privileges could not be dropped";
    ExpectOldFileIntact();
}

} // namespace
