// Saving and loading the settings file with Windows' own file system calls: text mode on disk,
// the read-only attribute, and a failed save that must leave the old file as it was.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "LauncherProcess.h"
#include "fixture_values.h"
#include "launch/settings.h"

namespace {

const char kOldFile[] = "old 3D\r\nold Tolvane\r\n1\r\n2\r\n3\r\n";

// A scratch folder that is the working directory while the test runs.
class SettingsFolder : public ::testing::Test {
protected:
    void SetUp() override {
        std::snprintf(g_zerbs3DDirectory, sizeof g_zerbs3DDirectory, "C:\\Games\\Zerbs 3D");
        std::snprintf(g_tolvaneDirectory, sizeof g_tolvaneDirectory, "D:\\100%% Tolvane");
        m_settings.m_width = 1024;
        m_settings.m_height = 768;
        m_settings.m_refreshRate = 60;
        m_settings.m_runInWindow = 1;
        m_settings.m_advancedSwitches = " /X\r";
    }
    void TearDown() override {
        ::SetFileAttributesA((Folder() / kSettingsFileName).c_str(), FILE_ATTRIBUTE_NORMAL);
    }

    const ScratchFolder& Folder() const { return m_directory.Folder(); }

    ScratchWorkingDirectory m_directory;
    LaunchSettings m_settings;
};

TEST_F(SettingsFolder, SavedFileHasWindowsLineEndsAndLoadsBack) {
    ASSERT_TRUE(SaveSettings(m_settings));
    EXPECT_EQ(ReadFileBytes(kSettingsFileName),
              "C:\\Games\\Zerbs 3D\r\nD:\\100% Tolvane\r\n1024\r\n768\r\n60\r\nTRUE\r\nFALSE\r\n"
              "FALSE\r\nFALSE\r\nFALSE\r\nFALSE\r\nFALSE\r\n /X\r\r\n\r\n\r\n");
    EXPECT_EQ(Folder().Listing(), kSettingsFileName);

    LaunchSettings loaded;
    g_zerbs3DDirectory[0] = '\0';
    ASSERT_TRUE(LoadSettings(loaded));
    EXPECT_STREQ(g_zerbs3DDirectory, "C:\\Games\\Zerbs 3D");
    EXPECT_EQ(loaded.m_width, 1024);
    EXPECT_EQ(loaded.m_runInWindow, 1);
    EXPECT_STREQ(loaded.m_advancedSwitches, " /X\r");
}

// The program's own reader, text mode and all, gives each fixture the values the native build
// gives it.
TEST_F(SettingsFolder, EveryFixtureLoadsToTheValuesOfItsRow) {
    for (std::size_t i = 0; i < kFixtureValuesCount; ++i) {
        WriteFileBytes(kSettingsFileName,
                       ReadFileBytes(WindowsPath(std::string(ZTLV_FIXTURE_DIR) + "/" +
                                                 kFixtureValues[i].fixture)));
        EXPECT_EQ(LoadedValues(), kFixtureValues[i].values) << kFixtureValues[i].fixture;
    }
}

TEST_F(SettingsFolder, NewFileKeepsTheOldFilesAttributes) {
    const struct {
        DWORD before;
        DWORD after;
    } cases[] = {
        {FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_ARCHIVE},
        {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE},
        {FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE,
         FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE},
    };
    for (const auto& c : cases) {
        WriteFileBytes(kSettingsFileName, kOldFile);
        ASSERT_TRUE(::SetFileAttributesA(kSettingsFileName, c.before));
        EXPECT_TRUE(SaveSettings(m_settings)) << std::hex << c.before;
        EXPECT_EQ(::GetFileAttributesA(kSettingsFileName), c.after) << std::hex << c.before;
        EXPECT_EQ(Folder().Listing(), kSettingsFileName);
        ::SetFileAttributesA(kSettingsFileName, FILE_ATTRIBUTE_NORMAL);
    }
}

TEST_F(SettingsFolder, ReadOnlyFileIsNotReplaced) {
    WriteFileBytes(kSettingsFileName, kOldFile);
    ASSERT_TRUE(::SetFileAttributesA(kSettingsFileName, FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(SaveSettings(m_settings));
    EXPECT_EQ(ReadFileBytes(kSettingsFileName), kOldFile);
    EXPECT_EQ(Folder().Listing(), kSettingsFileName);
}

TEST_F(SettingsFolder, FolderInTheFilesPlaceFailsTheSaveAndLeavesNoTemporaryFile) {
    ASSERT_TRUE(::CreateDirectoryA(kSettingsFileName, nullptr));
    EXPECT_FALSE(SaveSettings(m_settings));
    EXPECT_EQ(Folder().Listing(), kSettingsFileName);
    ::RemoveDirectoryA(kSettingsFileName);
}

} // namespace
