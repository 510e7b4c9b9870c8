// The save with each of its system calls failing in turn, natively and on Windows: the file holds
// the old bytes or the new ones, the result says which, and only the save's own leftovers go.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "launch/settings.h"
#include "platform/ReplacementFile.h"

#ifdef _WIN32
#include "LauncherProcess.h"
#else
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "test_support.h"
#endif

namespace {

using platform::ReplacementFile;
using Calls = ReplacementFile::SystemCalls;
using Error = ReplacementFile::Error;

#ifdef _WIN32
using Scratch = ScratchWorkingDirectory;
constexpr Error kExists = ERROR_FILE_EXISTS, kDenied = ERROR_ACCESS_DENIED,
                kDiskFull = ERROR_DISK_FULL, kNameTooLong = ERROR_FILENAME_EXCED_RANGE,
                kIoError = ERROR_IO_DEVICE, kInUse = ERROR_SHARING_VIOLATION,
                kNotImplemented = ERROR_CALL_NOT_IMPLEMENTED, kMapped = ERROR_USER_MAPPED_FILE;
unsigned long ThisProcess() {
    return ::GetCurrentProcessId();
}
// The desktop's process runs as long as the tests do.
unsigned long RunningProcess() {
    DWORD process = 0;
    ::GetWindowThreadProcessId(::GetDesktopWindow(), &process);
    return process;
}
#else
using Scratch = TemporaryDirectory;
constexpr Error kExists = EEXIST, kDenied = EACCES, kDiskFull = ENOSPC, kNameTooLong = ENAMETOOLONG,
                kIoError = EIO, kInUse = EBUSY, kNotImplemented = ENOSYS, kMapped = ETXTBSY;
unsigned long ThisProcess() {
    return static_cast<unsigned long>(getpid());
}
unsigned long RunningProcess() {
    return static_cast<unsigned long>(getppid());
}
unsigned long FileIndex(const char* path) {
    struct stat info {};
    stat(path, &info);
    return static_cast<unsigned long>(info.st_ino);
}
mode_t Umask() {
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}
#endif

// Calls [first, first + count) of one system call, counted from 1, answer error.
struct Fault {
    const char* call;
    int first;
    int count;
    Error error;
};

// Puts a table in place whose calls fail as the faults say; waits are added up, not slept, and
// writes take at most writeChunk bytes each (0: all they are given). The real table comes back
// at the end.
class FaultyCalls {
public:
    FaultyCalls(const std::vector<Fault>& faults, std::size_t writeChunk) {
        s_faults = faults;
        s_counts.clear();
        s_waitedMs = 0;
        s_writeChunk = writeChunk;
        Calls& calls = ReplacementFile::Calls();
        Wrap<&Calls::createNew>("createNew");
        Wrap<&Calls::openExisting>("openExisting");
        Wrap<&Calls::write>("write");
        Wrap<&Calls::setLength>("setLength");
        Wrap<&Calls::sync>("sync");
        Wrap<&Calls::close, true>("close");
        Wrap<&Calls::replace>("replace");
        Wrap<&Calls::setAttributes>("setAttributes");
        Wrap<&Calls::remove>("remove");
        calls.sleep = [](unsigned milliseconds) { s_waitedMs += milliseconds; };
        calls.write = [](ReplacementFile::Handle file, std::size_t offset, const char* bytes,
                         std::size_t size, std::size_t* written) {
            const std::size_t chunk =
                s_writeChunk != 0 && size > s_writeChunk ? s_writeChunk : size;
            return Faulty<decltype(&Calls::write)>::Call<&Calls::write, false>(file, offset, bytes,
                                                                               chunk, written);
        };
    }
    ~FaultyCalls() { ReplacementFile::Calls() = s_real; }
    FaultyCalls(const FaultyCalls&) = delete;
    FaultyCalls& operator=(const FaultyCalls&) = delete;

    static unsigned WaitedMs() { return s_waitedMs; }

private:
    template <typename... Args> using Function = Error (*)(Args...);
    template <typename Member> struct Faulty;
    template <typename... Args> struct Faulty<Function<Args...> Calls::*> {
        // A close that fails still lets the file go, on both systems.
        template <Function<Args...> Calls::*member, bool releases> static Error Call(Args... args) {
            const Error injected = Injected(s_names<member>);
            const Error real = injected == 0 || releases ? (s_real.*member)(args...) : 0;
            return injected != 0 ? injected : real;
        }
    };
    template <auto member, bool releases = false> void Wrap(const char* name) {
        s_names<member> = name;
        ReplacementFile::Calls().*member =
            &Faulty<decltype(member)>::template Call<member, releases>;
    }
    static Error Injected(const std::string& call) {
        const int n = ++s_counts[call];
        for (const Fault& fault : s_faults) {
            if (call == fault.call && n >= fault.first && n < fault.first + fault.count) {
                return fault.error;
            }
        }
        return 0;
    }

    template <auto member> static inline std::string s_names;
    static inline const Calls s_real = ReplacementFile::Calls();
    static inline std::vector<Fault> s_faults;
    static inline std::map<std::string, int> s_counts;
    static inline unsigned s_waitedMs = 0;
    static inline std::size_t s_writeChunk = 0;
};

std::set<std::string> Names() {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

TEST(SaveFaults, EveryFailureKeepsTheOldFileOrLandsTheNewOne) {
    // kTorn: the file may hold neither, where a plain rewrite would tear it too.
    enum Outcome { kOld, kReplaced, kInPlace, kTorn };
    const struct {
        const char* name;
        std::vector<Fault> faults;
        Outcome outcome;
        unsigned waitedMs;
        std::size_t writeChunk = 0;
        bool temporaryLeft = false; // its removal failed; the next save removes it
    } rows[] = {
        {"nothing fails", {}, kReplaced, 0},
        {"the temporary name exists 99 times", {{"createNew", 1, 99, kExists}}, kReplaced, 0},
        {"the temporary name exists 100 times", {{"createNew", 1, 100, kExists}}, kInPlace, 0},
        {"no temporary file: access denied", {{"createNew", 1, 1, kDenied}}, kInPlace, 0},
        {"no temporary file: disk full", {{"createNew", 1, 1, kDiskFull}}, kInPlace, 0},
        {"no temporary file: name too long", {{"createNew", 1, 1, kNameTooLong}}, kInPlace, 0},
        {"attributes refused", {{"setAttributes", 1, 1, kDenied}}, kInPlace, 0},
        {"disk full at the first byte", {{"write", 1, 1, kDiskFull}}, kOld, 0},
        {"writes of 100 bytes", {}, kReplaced, 0, 100},
        {"disk full part-way", {{"write", 3, 1, kDiskFull}}, kOld, 0, 100},
        {"sync: I/O error", {{"sync", 1, 1, kIoError}}, kOld, 0},
        {"close: I/O error", {{"close", 1, 1, kIoError}}, kOld, 0},
        {"in use once", {{"replace", 1, 1, kInUse}}, kReplaced, 10},
        {"in use 7 times", {{"replace", 1, 7, kInUse}}, kReplaced, 1000},
        {"in use 30 times", {{"replace", 1, 30, kInUse}}, kInPlace, 1000},
        {"no replacement (Windows 95)", {{"replace", 1, 1, kNotImplemented}}, kInPlace, 0},
        {"replacement: disk full", {{"replace", 1, 1, kDiskFull}}, kInPlace, 0},
        {"no temporary file, in-place open refused",
         {{"createNew", 1, 1, kDenied}, {"openExisting", 1, 1, kDenied}},
         kOld,
         0},
        {"no temporary file, length refused (mapped)",
         {{"createNew", 1, 1, kDenied}, {"setLength", 1, 1, kMapped}},
         kOld,
         0},
        {"in use 30 times, length refused: disk full",
         {{"replace", 1, 30, kInUse}, {"setLength", 1, 1, kDiskFull}},
         kOld,
         1000},
        {"in use 30 times, in-place write fails after the length is set",
         {{"replace", 1, 30, kInUse}, {"write", 2, 1, kIoError}},
         kTorn,
         1000},
        // The first removal is the abandoned file's.
        {"no replacement, the temporary file stays",
         {{"replace", 1, 1, kNotImplemented}, {"remove", 2, 1, kDenied}},
         kInPlace,
         0,
         0,
         true},
    };
    // Longer than the new content, so that an in-place rewrite must cut it.
    const std::string old = "old 3D\nold Tolvane\n" + std::string(2000, 'o') + "\n";
    // Several writes' worth where writes take 100 bytes.
    std::snprintf(g_zerbs3DDirectory, sizeof g_zerbs3DDirectory, "%s",
                  std::string(200, '3').c_str());
    std::snprintf(g_tolvaneDirectory, sizeof g_tolvaneDirectory, "%s",
                  std::string(200, 'T').c_str());
    LaunchSettings record;
    record.m_width = 1280;
    record.m_advancedSwitches = "/NEW";
    platform::TextBuffer text;
    WriteSettings(text, record);
    const std::string fresh(text.Data(), text.Size());
    const std::string running =
        "ztlvlauncher.ini.~ztlv-save." + std::to_string(RunningProcess()) + ".0";
    const std::string own = "ztlvlauncher.ini.~ztlv-save." + std::to_string(ThisProcess()) + ".0";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Scratch scratch;
        WriteFileBytes(kSettingsFileName, old);
        WriteFileBytes("ztlvlauncher.ini.~2024.06", "the player's own");
        WriteFileBytes(running, "a running launcher's");
        WriteFileBytes("ztlvlauncher.ini.~ztlv-save.4000000001.7", "an ended launcher's");
        const auto index = FileIndex(kSettingsFileName);
#ifndef _WIN32
        const mode_t mask = Umask();
#endif
        bool saved = false;
        {
            const FaultyCalls faults(row.faults, row.writeChunk);
            saved = SaveSettings(record);
            EXPECT_EQ(faults.WaitedMs(), row.waitedMs);
        }
        const std::string bytes = ReadFileBytes(kSettingsFileName);
        EXPECT_EQ(saved, row.outcome == kReplaced || row.outcome == kInPlace);
        if (row.outcome == kTorn) {
            EXPECT_TRUE(bytes != old && bytes != fresh);
        } else {
            EXPECT_EQ(bytes, row.outcome == kOld ? old : fresh);
            EXPECT_EQ(FileIndex(kSettingsFileName) != index, row.outcome == kReplaced);
        }
#ifndef _WIN32
        EXPECT_EQ(Umask(), mask);
#endif
        std::set<std::string> left = {kSettingsFileName, "ztlvlauncher.ini.~2024.06", running};
        if (row.temporaryLeft) {
            EXPECT_EQ(Names().count(own), 1u);
            EXPECT_TRUE(SaveSettings(record));
        }
        EXPECT_EQ(Names(), left);
    }
}

} // namespace
