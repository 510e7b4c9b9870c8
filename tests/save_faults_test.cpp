// The save with each of its system calls failing in turn, natively and on Windows: the file holds
// the old bytes or the new ones, the result says which, and only the save's own leftovers go.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
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
// The desktop's process runs as long as the tests do.
unsigned long RunningProcess() {
    DWORD process = 0;
    ::GetWindowThreadProcessId(::GetDesktopWindow(), &process);
    return process;
}
#else
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "test_support.h"
using Scratch = TemporaryDirectory;
constexpr unsigned long kExists = EEXIST, kDenied = EACCES, kGone = ENOENT, kFull = ENOSPC,
                        kNameTooLong = ENAMETOOLONG, kIoError = EIO, kInUse = EBUSY,
                        kUnsupported = ENOSYS, kMapped = ETXTBSY;
unsigned long RunningProcess() {
    return static_cast<unsigned long>(getppid());
}
#endif

namespace {

using platform::ReplacementFile;
using Calls = ReplacementFile::SystemCalls;
using Error = ReplacementFile::Error;

enum Call { kCreate, kOpen, kWrite, kSetLength, kSync, kClose, kReplace, kAttributes, kRemove };

// Calls first to first + count - 1 of one system call, counted from 1, answer error.
struct Fault {
    Call call;
    int first, count;
    Error error;
};
std::vector<Fault> g_faults;
std::map<Call, int> g_calls;
unsigned g_waitedMs = 0;
const Calls g_real = ReplacementFile::Calls();

// Counts the call and answers the error of a fault that names it; a close that fails still lets the
// file go, on both systems.
template <auto member, Call call, typename... Args> Error Faulty(Args... args) {
    const int n = ++g_calls[call];
    for (const Fault& fault : g_faults) {
        if (fault.call == call && n >= fault.first && n < fault.first + fault.count) {
            return call == kClose ? ((g_real.*member)(args...), fault.error) : fault.error;
        }
    }
    return (g_real.*member)(args...);
}

// Puts a table in place whose calls fail as the faults say and whose waits are added up instead of
// slept; the real table comes back at the end.
struct FaultyCalls {
    explicit FaultyCalls(const std::vector<Fault>& faults) {
        g_faults = faults;
        g_calls.clear();
        g_waitedMs = 0;
        Calls& calls = ReplacementFile::Calls();
        calls.createNew = &Faulty<&Calls::createNew, kCreate>;
        calls.openExisting = &Faulty<&Calls::openExisting, kOpen>;
        calls.write = &Faulty<&Calls::write, kWrite>;
        calls.setLength = &Faulty<&Calls::setLength, kSetLength>;
        calls.sync = &Faulty<&Calls::sync, kSync>;
        calls.close = &Faulty<&Calls::close, kClose>;
        calls.replace = &Faulty<&Calls::replace, kReplace>;
        calls.setAttributes = &Faulty<&Calls::setAttributes, kAttributes>;
        calls.remove = &Faulty<&Calls::remove, kRemove>;
        calls.sleep = [](unsigned milliseconds) { g_waitedMs += milliseconds; };
    }
    ~FaultyCalls() { ReplacementFile::Calls() = g_real; }
};

std::set<std::string> Names() {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

TEST(SaveFaults, EveryFailureKeepsTheOldFileOrLandsTheNewOne) {
    // kTorn: the file holds neither, where a plain rewrite would tear it too. A row that refuses a
    // removal leaves the temporary file, which the next save removes.
    enum Outcome { kOld, kReplaced, kInPlace, kTorn };
    const struct {
        Outcome outcome;
        unsigned waitedMs;
        const char* name;
        std::vector<Fault> faults;
    } rows[] = {
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
        // The first removal is the ended launcher's file.
        {kInPlace,
         0,
         "removal refused",
         {{kReplace, 1, 1, kUnsupported}, {kRemove, 2, 1, kDenied}}},
    };
    // Longer than the new content, so that an in-place rewrite must cut it.
    const std::string old = "old 3D\nold Tolvane\n" + std::string(2000, 'o') + "\n";
    LaunchSettings record;
    record.m_width = 1280;
    platform::TextBuffer text;
    WriteSettings(text, record);
    const std::string fresh(text.Data(), text.Size());
    const std::string mark = "ztlvlauncher.ini.~ztlv-save.";
    const std::string running = mark + std::to_string(RunningProcess()) + ".0";
    const std::string own = mark + std::to_string(ReplacementFile::Calls().currentProcess()) + ".0";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Scratch scratch;
        WriteFileBytes(kSettingsFileName, old);
#ifndef _WIN32
        chmod(kSettingsFileName, 0640); // the new file must keep it
#endif
        // The player's own file is a second name of the old one: it must survive the save, and it
        // shows whether the file was replaced or rewritten in place.
        std::filesystem::create_hard_link(kSettingsFileName, "ztlvlauncher.ini.~2024.06");
        WriteFileBytes(running, "");
        WriteFileBytes(mark + "4000000001.7", "");
        const bool saves = row.outcome == kReplaced || row.outcome == kInPlace;
        {
            const FaultyCalls faults(row.faults);
            EXPECT_EQ(SaveSettings(record), saves);
            EXPECT_EQ(g_waitedMs, row.waitedMs);
        }
        const bool removalRefused = row.faults.size() > 1 && row.faults[1].call == kRemove;
        std::set<std::string> left = {kSettingsFileName, "ztlvlauncher.ini.~2024.06", running};
        if (removalRefused) {
            left.insert(own);
        }
        ASSERT_EQ(Names(), left);
        const std::string bytes = ReadFileBytes(kSettingsFileName);
        EXPECT_EQ(bytes == old, row.outcome == kOld);
        EXPECT_EQ(bytes == fresh, saves);
        EXPECT_EQ(ReadFileBytes("ztlvlauncher.ini.~2024.06") == bytes, row.outcome != kReplaced);
#ifndef _WIN32
        struct stat info {};
        EXPECT_TRUE(stat(kSettingsFileName, &info) == 0 && (info.st_mode & 07777) == 0640);
#endif
        if (removalRefused) {
            EXPECT_TRUE(SaveSettings(record));
            left.erase(own);
            EXPECT_EQ(Names(), left);
        }
    }
}

} // namespace
