// Loading and saving the real settings file in a working directory of its own, including saves
// that fail part-way and must leave the old file as it was.

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
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
    s.m_width = -5;
    s.m_height = INT_MIN;
    s.m_refreshRate = INT_MAX;
    s.m_invertFirstPerson = s.m_invertZerbs = s.m_noMusic = s.m_runInWindow = 1;
    return s;
}

// The eleven values, so that two records compare whole.
std::string Values(const LaunchSettings& s) {
    return DescribeValues("", "", s);
}

// Saves, then reads the file into a fresh record with cleared directories.
LoadedSettings SaveAndLoad(const LaunchSettings& saved) {
    EXPECT_TRUE(SaveSettings(saved));
    return ReadFromBytes(ReadFileBytes(kSettingsFileName));
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
    TemporaryDirectory directory;
    ExpectEveryRowLoadsAndSaves(ZTLV_FIXTURE_DIR);
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
    EXPECT_EQ(Values(loaded.settings), Values(saved));

    LaunchSettings inverted = saved;
    for (BOOL* option : {&inverted.m_invertFirstPerson, &inverted.m_invertZerbs,
                         &inverted.m_noMovies, &inverted.m_noMusic, &inverted.m_noSounds,
                         &inverted.m_invertThirdPerson, &inverted.m_runInWindow}) {
        *option = !*option;
    }
    EXPECT_EQ(Values(SaveAndLoad(inverted).settings), Values(inverted));
}

// Texts come back whole up to 509 bytes, a CR at their end included; a longer one is written whole
// and comes back cut; switches starting with ';' are taken as a comment, and the first trailing
// empty line as the switches.
TEST(SettingsFile, SavedTextsLoadBack) {
    const std::string d(509, 'd'), x(509, 'x'), y(509, 'y');
    const struct {
        std::string zerbs3D, tolvane, advanced, written, loadedAdvanced;
    } cases[] = {
        {d, "", x, "\n" + x + "\n", x},
        {"3D", "T", y + "TAIL", "yTAIL\n", y},
        {"3D", "T", ";/NOTE", "\n;/NOTE\n", ""},
        {"ends in CR\r", "\r", " /X\r", "\n /X\r", " /X\r"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.advanced.substr(0, 8));
        TemporaryDirectory directory;
        SetDirectories(c.zerbs3D, c.tolvane);
        LaunchSettings saved = ExampleRecord();
        saved.m_advancedSwitches = c.advanced.c_str();
        const LoadedSettings loaded = SaveAndLoad(saved);
        EXPECT_NE(ReadFileBytes(kSettingsFileName).find(c.written), std::string::npos);
        EXPECT_EQ(loaded.zerbs3DDirectory, c.zerbs3D);
        EXPECT_EQ(loaded.tolvaneDirectory, c.tolvane);
        EXPECT_EQ(std::string(loaded.settings.m_advancedSwitches), c.loadedAdvanced);
        EXPECT_EQ(loaded.settings.m_width, 1024);
    }
}

// A new file gets the mode any newly created file would.
TEST(SettingsFile, SaveCreatesTheFileAsAnyNewFile) {
    TemporaryDirectory directory;
    const mode_t mask = umask(002);
    EXPECT_TRUE(SaveSettings(ExampleRecord()));
    umask(mask);
    struct stat info {};
    ASSERT_EQ(stat(kSettingsFileName, &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0664u);
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

// Mounts a file system of 64 KiB on the working directory, seen by this process alone: in a user
// namespace of its own, where the player is root. False where the system allows none.
bool MountSmallFileSystem() {
    const std::string folder = std::filesystem::current_path();
    const std::string uid = std::to_string(geteuid()), gid = std::to_string(getegid());
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
        return false;
    }
    WriteFileBytes("/proc/self/setgroups", "deny");
    WriteFileBytes("/proc/self/uid_map", "0 " + uid + " 1");
    WriteFileBytes("/proc/self/gid_map", "0 " + gid + " 1");
    return mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k") == 0 &&
           chdir(folder.c_str()) == 0;
}

// On a disk filled to its last block, the old file's own space takes new settings no longer than
// the old, as a plain rewrite's would; longer ones find no room and leave the file as it was.
TEST_F(FailedSave, FullDiskTakesWhatFitsInTheOldFilesSpace) {
    const int result = RunInChild([] {
        if (!MountSmallFileSystem()) {
            return 99;
        }
        const std::string old = std::string(kOldFile) + ";" + std::string(4000, 'o') + "\n";
        WriteFileBytes(kSettingsFileName, old);
        std::FILE* const filler = std::fopen("filler", "wb");
        while (filler && std::fputc('f', filler) != EOF && std::fflush(filler) == 0) {
        }
        LaunchSettings longer = ExampleRecord();
        longer.m_advancedSwitches = std::string(5000, 'x').c_str();
        if (SaveSettings(longer) || ReadFileBytes(kSettingsFileName) != old) {
            return 1;
        }
        SetDirectories("3D", "Tolvane");
        return SaveSettings(ExampleRecord()) &&
                       ReadFileBytes(kSettingsFileName).rfind("3D\n", 0) == 0
                   ? 0
                   : 2;
    });
    if (result == 99) {
        GTEST_SKIP() << "no small file system can be made here; the fault table's disk-full rows "
                        "stand for it";
    }
    EXPECT_EQ(result, 0) << "1: longer settings lost the old file; 2: shorter ones were not saved";
}

TEST_F(FailedSave, SettingsFileNameTakenByADirectory) {
    ASSERT_EQ(std::remove(kSettingsFileName), 0);
    ASSERT_EQ(mkdir(kSettingsFileName, 0755), 0);
    WriteFileBytes(std::string(kSettingsFileName) + "/inside", "kept");
    EXPECT_FALSE(SaveSettings(ExampleRecord()));
    EXPECT_EQ(ReadFileBytes(std::string(kSettingsFileName) + "/inside"), "kept");
    EXPECT_EQ(m_directory.Listing(), kSettingsFileName);
}

// The settings text finds no memory: nothing of it may reach the file.
TEST_F(FailedSave, NoMemoryForTheText) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "AddressSanitizer's allocator does not give way to a memory limit";
#endif
    LaunchSettings huge = ExampleRecord();
    huge.m_advancedSwitches = std::string(64 << 20, 'x').c_str();
    EXPECT_EQ(RunInChild([&huge] {
                  // Room for 16 MiB more than the process holds now.
                  const rlim_t pages = std::stoul(ReadFileBytes("/proc/self/statm"));
                  const rlimit limit{pages * sysconf(_SC_PAGESIZE) + (16 << 20), RLIM_INFINITY};
                  return setrlimit(RLIMIT_AS, &limit) == 0 && !SaveSettings(huge) ? 0 : 1;
              }),
              0);
    ExpectOldFileIntact();
}

TEST_F(FailedSave, ReadOnlySettingsFile) {
    ASSERT_EQ(chmod(kSettingsFileName, 0444), 0);
    EXPECT_FALSE(SaveSettings(ExampleRecord()));
    ExpectOldFileIntact();
}

// A folder nobody may write to, its owner included; root is held to that too once it gives up its
// privileges. A file there that the player may write is rewritten in place (nothing can take its
// place), as a plain rewrite would; one they may not write (mode 0460: its owner may only read it,
// others nothing) stays as it was.
TEST_F(FailedSave, FolderThePlayerMayNotWriteTo) {
    ASSERT_EQ(chmod(m_directory.Path().c_str(), 0555), 0);
    ASSERT_EQ(chmod(kSettingsFileName, 0460), 0);
    // Read first: the example file may lie where only root can reach it.
    const LaunchSettings example = ExampleRecord();
    const auto saveAsPlayer = [&example] {
        return RunInChild([&example] {
            DropRootPrivileges();
            return SaveSettings(example) ? 1 : 0;
        });
    };
    EXPECT_EQ(saveAsPlayer(), 0) << "1: the save claimed success; 99: privileges not dropped";
    ExpectOldFileIntact();
    ASSERT_EQ(chmod(kSettingsFileName, 0666), 0);
    EXPECT_EQ(saveAsPlayer(), 1);
    ASSERT_EQ(chmod(m_directory.Path().c_str(), 0755), 0);
    EXPECT_EQ(ReadFileBytes(kSettingsFileName).substr(500, 13), "\nnew Tolvane\n");
    EXPECT_EQ(m_directory.Listing(), kSettingsFileName);
}

} // namespace
