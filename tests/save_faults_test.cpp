// The save with each of its system calls failing in turn, natively and on Windows: the file holds
// the old bytes or the new ones, the result says which, and only the save's own leftovers go.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/ReplacementFile.h"

#ifdef _WIN32
#include "LauncherProcess.h"
#include "launch/settings.h"
using Scratch = ScratchWorkingDirectory;
constexpr unsigned long kExists = ERROR_FILE_EXISTS, kDenied = ERROR_ACCESS_DENIED,
                        kGone = ERROR_PATH_NOT_FOUND, kFull = ERROR_DISK_FULL,
                        kNameTooLong = ERROR_FILENAME_EXCED_RANGE, kIoError = ERROR_IO_DEVICE,
                        kInUse = ERROR_SHARING_VIOLATION, kUnsupported = ERROR_CALL_NOT_IMPLEMENTED,
                        kMapped = ERROR_USER_MAPPED_FILE;
#else
#include <cerrno>

#include "test_support.h"
using Scratch = TemporaryDirectory;
constexpr unsigned long kExists = EEXIST, kDenied = EACCES, kGone = ENOENT, kFull = ENOSPC,
                        kNameTooLong = ENAMETOOLONG, kIoError = EIO, kInUse = EBUSY,
                        kUnsupported = ENOSYS, kMapped = ETXTBSY;
#endif

namespace {

namespace fs = std::filesystem;
using Calls = platform::ReplacementFile::SystemCalls;

enum Call { kCreate, kOpen, kWrite, kSetLength, kSync, kClose, kReplace, kAttributes, kRemove };

// Calls first to first + count - 1 of one system call, counted from 1, answer error.
struct Fault {
    Call call;
    unsigned long first, count, error, calls = 0;
};
std::vector<Fault> g_faults;
unsigned g_waitedMs = 0;
const Calls g_real = platform::ReplacementFile::Calls();
// The save takes itself for this process, which runs as its own would; the test's own process,
// which runs too, is then another launcher's.
constexpr unsigned long kSaver = 4000000002;

// Answers the error of a fault that names the call; a failed close still lets the file go.
template <auto member, Call call, typename... Args> unsigned long Faulty(Args... args) {
    for (Fault& fault : g_faults) {
        if (fault.call == call && ++fault.calls >= fault.first &&
            fault.calls < fault.first + fault.count) {
            return call == kClose ? ((g_real.*member)(args...), fault.error) : fault.error;
        }
    }
    return (g_real.*member)(args...);
}

// Saves with calls that fail as the faults say and waits that are added up instead of slept.
bool SaveWith(const std::vector<Fault>& faults) {
    g_faults = faults;
    g_waitedMs = 0;
    Calls& calls = platform::ReplacementFile::Calls();
    calls.createNew = &Faulty<&Calls::createNew, kCreate>;
    calls.openExisting = &Faulty<&Calls::openExisting, kOpen>;
    calls.write = &Faulty<&Calls::write, kWrite>;
    calls.setLength = &Faulty<&Calls::setLength, kSetLength>;
    calls.sync = &Faulty<&Calls::sync, kSync>;
    calls.close = &Faulty<&Calls::close, kClose>;
    calls.replace = &Faulty<&Calls::replace, kReplace>;
    calls.setAttributes = &Faulty<&Calls::setAttributes, kAttributes>;
    calls.remove = &Faulty<&Calls::remove, kRemove>;
    calls.currentProcess = [] { return kSaver; };
    calls.processRuns = [](unsigned long p) { return p == kSaver || g_real.processRuns(p); };
    calls.sleep = [](unsigned milliseconds) { g_waitedMs += milliseconds; };
    const bool saved = SaveSettings(LaunchSettings());
    calls = g_real;
    return saved;
}

std::set<std::string> Names() {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(".")) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

TEST(SaveFaults, EveryFailureKeepsTheOldFileOrLandsTheNewOne) {
    // kTorn: the file holds neither, where a plain rewrite would tear it too.
    enum Outcome { kOld, kReplaced, kInPlace, kTorn };
    const std::tuple<Outcome, unsigned, const char*, std::vector<Fault>> rows[] = {
        {kReplaced, 0, "nothing fails", {}},
        {kInPlace, 0, "the temporary name exists 100 times", {{kCreate, 1, 100, kExists}}},
        {kInPlace, 0, "no temporary file: access denied", {{kCreate, 1, 1, kDenied}}},
        {kInPlace, 0, "no temporary file: disk full", {{kCreate, 1, 1, kFull}}},
        {kInPlace, 0, "no temporary file: name too long", {{kCreate, 1, 1, kNameTooLong}}},
        {kOld, 0, "folder gone", {{kCreate, 1, 999, kGone}, {kOpen, 1, 1, kGone}}},
        {kInPlace, 0, "attributes refused", {{kAttributes, 1, 1, kDenied}}},
        {kOld, 0, "disk full at the first byte", {{kWrite, 1, 1, kFull}}},
        {kOld, 0, "sync: I/O error", {{kSync, 1, 1, kIoError}}},
        {kOld, 0, "close: I/O error", {{kClose, 1, 1, kIoError}}},
        {kReplaced, 10, "in use once", {{kReplace, 1, 1, kInUse}}},
        {kReplaced, 1000, "in use 7 times", {{kReplace, 1, 7, kInUse}}},
        {kInPlace, 1000, "in use 30 times", {{kReplace, 1, 30, kInUse}}},
        {kInPlace, 0, "no replacement (Windows 95)", {{kReplace, 1, 1, kUnsupported}}},
        {kInPlace, 0, "replacement: disk full", {{kReplace, 1, 1, kFull}}},
        {kOld, 0, "open refused", {{kCreate, 1, 1, kDenied}, {kOpen, 1, 1, kDenied}}},
        {kOld, 0, "length refused", {{kCreate, 1, 1, kDenied}, {kSetLength, 1, 1, kMapped}}},
        {kOld, 1000, "held, disk full", {{kReplace, 1, 30, kInUse}, {kSetLength, 1, 1, kFull}}},
        {kTorn, 1000, "held, write fails", {{kReplace, 1, 30, kInUse}, {kWrite, 2, 1, kIoError}}},
        // The temporary file stays; the first removal was the ended launcher's file.
        {kInPlace, 0, "removal refused", {{kReplace, 1, 1, kFull}, {kRemove, 2, 1, kDenied}}},
    };
    // Longer than the new content, so that an in-place rewrite must cut it.
    const std::string old = "old 3D\nold Tolvane\n" + std::string(2000, 'o') + "\n";
    platform::TextBuffer text;
    WriteSettings(text, LaunchSettings());
    const std::string fresh(text.Data(), text.Size()), mark = "ztlvlauncher.ini.~ztlv-save.";
    const std::string own = mark + std::to_string(kSaver) + ".0",
                      player = "ztlvlauncher.ini.~2024.06";
    const std::string running = mark + std::to_string(g_real.currentProcess()) + ".0";
    const std::set<std::string> left = {kSettingsFileName, player, running};
    for (const auto& [outcome, waitedMs, name, faults] : rows) {
        SCOPED_TRACE(name);
        const Scratch scratch;
        WriteFileBytes(kSettingsFileName, old);
        fs::permissions(kSettingsFileName, fs::perms(0640)); // the new file must keep them
        // The player's own file is a second name of the old one: it must survive the save, and it
        // shows whether the file was replaced or rewritten in place.
        fs::create_hard_link(kSettingsFileName, player);
        WriteFileBytes(running, "");
        WriteFileBytes(mark + "4000000001.7", "");
        const bool saves = outcome == kReplaced || outcome == kInPlace;
        EXPECT_EQ(SaveWith(faults), saves);
        EXPECT_EQ(g_waitedMs, waitedMs);
        std::set<std::string> names = Names();
        EXPECT_EQ(names.erase(own), faults.size() > 1 && faults[1].call == kRemove);
        ASSERT_EQ(names, left);
        const std::string bytes = ReadFileBytes(kSettingsFileName);
        const bool linked = ReadFileBytes(player) == bytes;
        EXPECT_EQ(bytes == old && linked, outcome == kOld);
        EXPECT_EQ(bytes == fresh, saves);
        EXPECT_EQ(linked, outcome != kReplaced) << "replaced";
        EXPECT_EQ(fs::status(kSettingsFileName).permissions(), fs::status(player).permissions());
        // The next save removes what this one left.
        EXPECT_TRUE(SaveWith({}));
        EXPECT_EQ(Names(), left);
    }
}

} // namespace
