// Saving and loading the settings file with Windows' own file system calls: text mode on disk,
// the read-only attribute, and a failed save that must leave the old file as it was.

#include <gtest/gtest.h>

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <cstdint>
#include <string>

#include "LauncherProcess.h"
#include "fixture_values.h"
#include "launch/settings.h"
#include "platform/ReplacementFile.h"

namespace {

// Longer than a save of the record below, so that an in-place rewrite must cut its tail.
const std::string kOldFile = "old 3D\r\nold Tolvane\r\n1\r\n2\r\n3\r\n;" + std::string(200, 'o');
// What a save of the record below writes.
const char kNewFile[] =
    "C:\\Games\\Zerbs 3D\r\nD:\\100% Tolvane\r\n1024\r\n768\r\n60\r\nTRUE\r\nFALSE\r\nFALSE\r\n"
    "FALSE\r\nFALSE\r\nFALSE\r\nFALSE\r\n /X\r\r\n\r\n\r\n";

// The number that tells a file from every other on its volume, whatever its names.
std::uint64_t FileIdentity(const char* path) {
    const HANDLE file = ::CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION information = {};
    ::GetFileInformationByHandle(file, &information);
    ::CloseHandle(file);
    return std::uint64_t{information.nFileIndexHigh} << 32 | information.nFileIndexLow;
}

// The file's permissions as text; under Wine, those its Unix mode stands for.
std::string Permissions(const char* path) {
    PSECURITY_DESCRIPTOR security = nullptr;
    char* text = nullptr;
    ::GetNamedSecurityInfoA(path, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                            nullptr, nullptr, &security);
    ::ConvertSecurityDescriptorToStringSecurityDescriptorA(
        security, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr);
    const std::string permissions = text ? text : "(none)";
    ::LocalFree(text);
    ::LocalFree(security);
    return permissions;
}

// The attributes the save last gave a new file: Wine reports every file marked for backup.
platform::ReplacementFile::SystemCalls g_realCalls;
unsigned long g_givenAttributes = 0;

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

// The program's own reader, text mode and all, gives each fixture the values the native build
// gives it.
TEST_F(SettingsFolder, EveryFixtureLoadsToTheValuesOfItsRow) {
    ExpectEveryRowLoadsAndSaves(WindowsPath(ZTLV_FIXTURE_DIR));
}

// What holds what during the save, and what the save then does: replaces the file, its
// attributes kept and marked for backup; rewrites it in place where another program holds it open
// but lets others write it, as a plain rewrite would; or fails and leaves it as it was. It never
// leaves a temporary file, and takes under 2 s: a held file is tried again for 1 s.
TEST_F(SettingsFolder, SaveLandsWhereverAPlainRewriteWould) {
    constexpr DWORD kHidden = FILE_ATTRIBUTE_HIDDEN, kArchive = FILE_ATTRIBUTE_ARCHIVE,
                    kNormal = FILE_ATTRIBUTE_NORMAL, kSystem = FILE_ATTRIBUTE_SYSTEM;
    constexpr DWORD kReadAndWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;
    enum Outcome { kReplaced, kInPlace, kFailed };
    const struct {
        const char* name;
        DWORD before, after;
        DWORD heldSharing; // the settings file held open sharing this; 0 not held
        Outcome outcome;
        DWORD heldAccess = GENERIC_READ;
        const char* permissions = nullptr; // given to the file, as text
    } cases[] = {
        {"hidden", kHidden, kHidden | kArchive, 0, kReplaced},
        {"system", kSystem | kArchive, kSystem | kArchive, 0, kReplaced},
        {"read-only", FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_READONLY, 0, kFailed},
        {"held sharing read and write", kNormal, 0, kReadAndWrite, kInPlace},
        {"held sharing read only", kNormal, 0, FILE_SHARE_READ, kFailed},
        {"hidden, held sharing read and write", kHidden, kHidden, kReadAndWrite, kInPlace},
        {"held for writing, as editors and sync tools hold it", kNormal, 0, kReadAndWrite, kInPlace,
         GENERIC_READ | GENERIC_WRITE},
        // Everyone may do anything: under Wine a mode that no copy of permissions gives back.
        {"permissions no new file has", kNormal, 0, 0, kInPlace, GENERIC_READ, "D:P(A;;FA;;;WD)"},
    };
    g_realCalls = platform::ReplacementFile::Calls();
    platform::ReplacementFile::Calls().setAttributes =
        [](const char* path, const char* from, const platform::ReplacementFile::Attributes& kept) {
            g_givenAttributes = kept.kept;
            return g_realCalls.setAttributes(path, from, kept);
        };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileBytes(kSettingsFileName, kOldFile);
        PSECURITY_DESCRIPTOR given = nullptr;
        ASSERT_TRUE(!c.permissions || ::ConvertStringSecurityDescriptorToSecurityDescriptorA(
                                          c.permissions, SDDL_REVISION_1, &given, nullptr));
        ASSERT_TRUE(!c.permissions ||
                    ::SetFileSecurityA(kSettingsFileName, DACL_SECURITY_INFORMATION, given));
        ::LocalFree(given);
        ASSERT_TRUE(::SetFileAttributesA(kSettingsFileName, c.before));
        const std::uint64_t identity = FileIdentity(kSettingsFileName);
        const std::string permissions = Permissions(kSettingsFileName);
        const HANDLE held = c.heldSharing == 0
                                ? nullptr
                                : ::CreateFileA(kSettingsFileName, c.heldAccess, c.heldSharing,
                                                nullptr, OPEN_EXISTING, 0, nullptr);
        const ULONGLONG start = ::GetTickCount64();
        EXPECT_EQ(SaveSettings(m_settings), c.outcome != kFailed);
        const ULONGLONG tookMs = ::GetTickCount64() - start;
        ::CloseHandle(held);
        EXPECT_LT(tookMs, 2000u);
        EXPECT_EQ(ReadFileBytes(kSettingsFileName), c.outcome == kFailed ? kOldFile : kNewFile);
        EXPECT_EQ(FileIdentity(kSettingsFileName) == identity, c.outcome != kReplaced)
            << "replaced";
        EXPECT_EQ(Permissions(kSettingsFileName), permissions);
        // Only a replacement sets the backup mark itself; Windows sets it on any write too.
        const DWORD backup = c.outcome == kReplaced ? 0 : kArchive;
        EXPECT_EQ(::GetFileAttributesA(kSettingsFileName) | backup, c.after | backup);
        EXPECT_TRUE(c.outcome != kReplaced || g_givenAttributes == c.after) << "attributes given";
        EXPECT_EQ(Folder().Listing("ztlvlauncher.ini*"), kSettingsFileName);
        ::SetFileAttributesA(kSettingsFileName, kNormal);
    }
    platform::ReplacementFile::Calls() = g_realCalls;
}

TEST_F(SettingsFolder, FolderInTheFilesPlaceFailsTheSaveAndLeavesNoTemporaryFile) {
    ASSERT_TRUE(::CreateDirectoryA(kSettingsFileName, nullptr));
    EXPECT_FALSE(SaveSettings(m_settings));
    EXPECT_EQ(Folder().Listing(), kSettingsFileName);
    ::RemoveDirectoryA(kSettingsFileName);
}

} // namespace
